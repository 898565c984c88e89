#include "organize/found_list.h"

#include "errors/run_error.h"

namespace quillfold {

void FoundList::Append(std::string entry) {
  if (FoundCount() >= kMaxEntries) {
    throw RunError(ErrorNumber::kOverflow,
                   "Overflow (more than 32,767 entries found in one search; the last one found "
                   "was \"" +
                       entry + "\")");
  }
  entries_.push_back(std::move(entry));
}

}  // namespace quillfold
