#include "organize/found_list.h"

namespace quillfold {

void FoundList::Append(std::string entry) { entries_.push_back(std::move(entry)); }

}  // namespace quillfold
