#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "settings/hive.h"

namespace quillfold {

// The text form of one root's keys, in the familiar registry export style,
// made to be read and edited by hand:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Brackwater\Quillfold]
//   "StartPath"="/home/ann/Music/"
//   "Count"=dword:0000002a
//   "Blob"=hex(3):01,ff,00
//
// The first line is "REGEDIT4". Then come blank lines, comment lines
// starting with ";", section lines naming a key by its full path from the
// root, and value lines "name"=data under the latest section; "@" names the
// unnamed value. Lines end in LF or CR LF. Data is one of:
//   "text"             type 1 (REG_SZ); the bytes between the quotes
//   dword:XXXXXXXX     type 4 (REG_DWORD) with 4 bytes; 1 to 8 hex digits
//   hex(N):hh,hh,...   type N (hex), any bytes; "hex:" alone means type 3
// Inside quotes \\ is a backslash, \" a quote and \xHH the byte HH; every
// other byte stands for itself. The writer escapes every control byte (NUL,
// tab, line ends, 0x7F), so any text survives byte for byte, and writes a
// value of any other type, or a type 4 value not 4 bytes long, as hex(N).
//
// A section that appears twice adds to the first; a value that appears
// twice keeps the later data. A section implies every key above it.

struct ParsedHive {
  Hive hive;
  // Empty when the bytes parsed; otherwise "line N: what is wrong", and
  // `hive` holds nothing.
  std::string error;

  bool ok() const { return error.empty(); }
};

// Parses the file of the root `root_name` (e.g. "HKEY_LOCAL_MACHINE").
// Empty bytes are an empty hive. A section under any other root is an error.
ParsedHive ParseHive(std::string_view root_name, std::string_view bytes);

// The file for `hive` under `root_name`. For any hive built with EnsureKey
// and StoreValue, ParseHive gives it back unchanged.
std::string WriteHive(std::string_view root_name, const Hive& hive);

// Shows `hive` as its file text (under the root name "ROOT"), for test
// failure messages.
void PrintTo(const Hive& hive, std::ostream* os);

}  // namespace quillfold
