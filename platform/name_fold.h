#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillfold {

// A key for a file name such that two names that some file system may take
// for one entry get the same key: file systems that ignore letter case
// (NTFS, FAT, ext4's case-folded folders, shares), that ignore a name's
// trailing dots and spaces (Windows), or that compare names decomposed
// (ext4's case-folded folders, HFS+) and without default-ignorable code
// points (HFS+). The key is the name upper-cased, decomposed (NFD), case
// folded, without default-ignorable code points and without trailing dots
// and spaces: coarser than each of those rules, so names with different
// keys are never one entry. Two names with one key may still be two.
//
// Nothing for a name no such key is sound for: one that is not valid
// UTF-8 (a file system may read its bytes in some code page), or that holds
// "~", which FAT and shares may answer to as the short alias of another.
std::optional<std::string> FoldedName(std::string_view name);

}  // namespace quillfold
