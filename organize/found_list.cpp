#include "organize/found_list.h"

namespace quillfold {

void FoundList::Clear() {
  text_ = {};
  ends_ = {};
}

void FoundList::Append(std::string_view entry) {
  text_.append(entry);
  ends_.push_back(text_.size());
}

std::string_view FoundList::operator[](int index) const {
  const auto at = static_cast<std::size_t>(index);
  const std::size_t start = at == 0 ? 0 : ends_[at - 1];
  return std::string_view(text_).substr(start, ends_[at] - start);
}

std::vector<std::string> FoundList::entries() const {
  std::vector<std::string> all;
  all.reserve(ends_.size());
  for (int index = 0; index < FoundCount(); ++index) all.emplace_back((*this)[index]);
  return all;
}

}  // namespace quillfold
