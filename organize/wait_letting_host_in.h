#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

namespace quillfold {

// Waits on `changed` until `done()` holds, calling `between` every few
// milliseconds meanwhile, without `lock` (held on entry and on return): the
// run's thread waits for its helper threads this way, so that a front end
// stays responsive.
void WaitLettingHostIn(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
                       const std::function<bool()>& done, const std::function<void()>& between);

}  // namespace quillfold
