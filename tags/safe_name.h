#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillfold {

// The longest name, in bytes, that Linux file systems (and FAT's long names,
// counted in UTF-16 units, which are never more than the UTF-8 bytes) take.
inline constexpr std::size_t kMaxNameBytes = 255;

// Turns a UTF-8 tag text into a folder name that is safe on Linux, Windows
// and FAT, keeping every letter and digit of every script: control
// characters and / \ : * ? " < > | are dropped, the rest is normalised to
// NFC, leading and trailing dots and spaces go, a Windows device name (CON,
// PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, in any letter case, alone or
// before a dot) gets an underscore after it ("CON" -> "CON_"), and a name
// over kMaxNameBytes is cut at a character boundary. Never empty: "_".
std::string SafeFolderName(std::string_view text);

// The same rules for a file name made of `stem` and `extension` (".mp3"):
// the extension is kept whole and the cut shortens the stem; a stem with
// nothing left becomes "_".
std::string SafeFileName(std::string_view stem, std::string_view extension);

}  // namespace quillfold
