#include <string>
#include <string_view>

#include "settings/hive_format.h"
#include "settings/registry.h"
#include "tests/fuzz/fuzz_targets.h"

namespace quillfold::fuzz {
namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";

void CheckWritesBack(const Hive& hive) {
  const std::string text = WriteHive(kRoot, hive);
  const ParsedHive reparsed = ParseHive(kRoot, text);
  FuzzCheck(reparsed.ok(), "a written hive always parses");
  FuzzCheck(reparsed.hive == hive, "a written hive parses back unchanged");
  FuzzCheck(WriteHive(kRoot, reparsed.hive) == text, "writing a parsed hive again is stable");
}

}  // namespace

// The input is read as a hive file, and also stored as a value's name and
// text, so both the parser and the escaping of every byte get exercised.
void FuzzParseHive(FuzzInput input) {
  const std::string_view bytes(reinterpret_cast<const char*>(input.data()), input.size());
  const ParsedHive parsed = ParseHive(kRoot, bytes);
  if (parsed.ok()) {
    CheckWritesBack(parsed.hive);
  } else {
    FuzzCheck(parsed.error.starts_with("line "), "a parse error names its line");
    FuzzCheck(parsed.hive == Hive{}, "a file that does not parse gives no keys");
  }
  Hive stored;
  StoreValue(EnsureKey(stored, "SOFTWARE\\Key"), {std::string(bytes), REG_SZ, std::string(bytes)});
  CheckWritesBack(stored);
}

}  // namespace quillfold::fuzz
