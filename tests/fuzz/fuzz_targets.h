#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace quillfold::fuzz {

// One input for one fuzz target. Each target feeds the bytes to one routine
// and checks what must hold for every input; a broken rule ends the process
// through FuzzCheck, which is what a fuzzer and the regression test notice.
using FuzzInput = std::span<const std::uint8_t>;

void FuzzDecodeTrackTag(FuzzInput input);
void FuzzCleanName(FuzzInput input);
void FuzzParseHive(FuzzInput input);
void FuzzSplitPlaylistLines(FuzzInput input);
void FuzzReadId3v2(FuzzInput input);
void FuzzParseJournal(FuzzInput input);

// Prints `rule` and aborts when `holds` is false.
void FuzzCheck(bool holds, std::string_view rule);

// The routine behind the fuzz target called `name` ("decode_track_tag",
// "clean_name", ...), or nullptr for an unknown name.
using FuzzTarget = void (*)(FuzzInput);
FuzzTarget FindFuzzTarget(std::string_view name);

}  // namespace quillfold::fuzz
