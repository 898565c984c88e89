#include "organize/wait_letting_host_in.h"

#include <chrono>

namespace quillfold {

void WaitLettingHostIn(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
                       const std::function<bool()>& done, const std::function<void()>& between) {
  constexpr auto kBetweenCalls = std::chrono::milliseconds(20);
  auto next_call = std::chrono::steady_clock::now() + kBetweenCalls;
  while (!done()) {
    if (changed.wait_until(lock, next_call) == std::cv_status::no_timeout) continue;
    lock.unlock();
    between();
    next_call = std::chrono::steady_clock::now() + kBetweenCalls;
    lock.lock();
  }
}

}  // namespace quillfold
