#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "organize/journal.h"

namespace quillfold {

// One record as it is stored: "LENGTH CHECKSUM\tKIND\tFIELD...\n", the length
// and checksum (8 hex digits) being those of what follows the tab up to the
// line feed. Tabs, line feeds, carriage returns and backslashes in fields
// are escaped.
// The record is written straight into `out`, without a copy of its own.
void AppendRecord(std::string& out, JournalRecord::Kind kind,
                  std::span<const std::string_view> fields);
void AppendRecord(std::string& out, JournalRecord::Kind kind,
                  const std::vector<std::string>& fields);

}  // namespace quillfold
