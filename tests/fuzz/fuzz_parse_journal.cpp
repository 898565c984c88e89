#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

#include "organize/journal.h"
#include "organize/journal_format.h"
#include "tests/fuzz/fuzz_targets.h"

namespace quillfold::fuzz {
namespace {

bool SameRecords(const std::vector<JournalRecord>& a, const std::vector<JournalRecord>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.kind == y.kind && x.fields == y.fields;
  });
}

bool Holds(const std::vector<JournalRecord>& records, JournalRecord::Kind kind) {
  return std::ranges::any_of(records, [&](const auto& record) { return record.kind == kind; });
}

}  // namespace

void FuzzParseJournal(FuzzInput input) {
  using Kind = JournalRecord::Kind;
  const std::string_view bytes(reinterpret_cast<const char*>(input.data()), input.size());
  const ParsedJournal all = ParseJournal(bytes);
  FuzzCheck(all.whole_bytes <= bytes.size(), "the whole records lie within the bytes");
  FuzzCheck(
      all.complete == Holds(all.records, Kind::kComplete) &&
          all.undo_started == Holds(all.records, Kind::kUndoStarted) &&
          all.undone == Holds(all.records, Kind::kUndone) &&
          all.files_moved == std::ranges::count(all.records, Kind::kMoved, &JournalRecord::kind),
      "what is said of the run is what its records say");

  // A list of the runs reads the same of each, keeping only the first record.
  const ParsedJournal first = ParseJournal(bytes, KeptRecords::kFirstOnly);
  const auto kept = std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(all.records.size()), 1);
  FuzzCheck(SameRecords(first.records, {all.records.begin(), all.records.begin() + kept}) &&
                first.whole_bytes == all.whole_bytes && first.complete == all.complete &&
                first.undo_started == all.undo_started && first.undone == all.undone &&
                first.files_moved == all.files_moved,
            "keeping the first record alone changes nothing else");

  // Handed over in pieces of any size, up to where the parser says nothing
  // after counts, the bytes read the same, the records after the first as
  // an undo takes them.
  for (const std::size_t size : {std::size_t{1}, std::size_t{7}, bytes.size() / 2 + 1}) {
    std::vector<JournalRecord> later;
    JournalParser parser([&later](JournalRecord&& record) { later.push_back(std::move(record)); });
    for (std::size_t at = 0; at < bytes.size() && parser.Take(bytes.substr(at, size)); at += size) {
    }
    ParsedJournal pieces = std::move(parser).Finish();
    std::ranges::move(later, std::back_inserter(pieces.records));
    FuzzCheck(SameRecords(pieces.records, all.records) && pieces.whole_bytes == all.whole_bytes &&
                  pieces.complete == all.complete && pieces.undo_started == all.undo_started &&
                  pieces.undone == all.undone && pieces.files_moved == all.files_moved,
              "the bytes read in pieces read the same");
  }

  // Every try is one name of one move; nothing else is a move's.
  std::vector<JournaledMove> moves;
  std::size_t others = 0;
  for (JournalRecord record : all.records) others += TakeMoveRecord(record, moves) ? 0 : 1;
  std::size_t names = 0;
  for (const JournaledMove& move : moves) names += move.targets.size();
  FuzzCheck(names == static_cast<std::size_t>(
                         std::ranges::count(all.records, Kind::kTry, &JournalRecord::kind)) &&
                others + names + static_cast<std::size_t>(all.files_moved) == all.records.size(),
            "the moves take the tries and the moved records, and only those");

  std::string again;
  for (const JournalRecord& record : all.records) AppendRecord(again, record.kind, record.fields);
  const ParsedJournal reread = ParseJournal(again);
  FuzzCheck(reread.whole_bytes == again.size() && SameRecords(reread.records, all.records),
            "records written again read back whole and the same");
}

}  // namespace quillfold::fuzz
