// Playlist lines as players write them, followed through one move.
#include "organize/playlist_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "organize/playlist_store.h"

namespace quillfold {
namespace {

constexpr const char* kOldPath = "/m/incoming/Track 1.mp3";
constexpr const char* kNewPath = "/m/Band/Album/01. Song.mp3";
constexpr std::uint32_t kMove = 7;

// /m/ party.m3u  incoming/party.m3u (beside the file)  Lists/party.m3u (a sibling folder)
// The file moves from incoming/ to Band/Album/; each line, read from a
// playlist in `folder`, becomes `after` (unchanged lines keep their bytes).
TEST(PlaylistEntryTest, EachFormFollowsTheMoveInItsOwnFormWithEveryLineEnd) {
  const struct {
    const char* form;
    const char* folder;
    const char* line;
    const char* after;
    bool by_move;  // the journal keeps the move's number, not the line
  } rows[] = {
      {"absolute", "", "/m/incoming/Track 1.mp3", "/m/Band/Album/01. Song.mp3", true},
      {"relative", "", "incoming/Track 1.mp3", "Band/Album/01. Song.mp3", true},
      {"./", "", "./incoming/Track 1.mp3", "./Band/Album/01. Song.mp3", true},
      {"../", "", "Lists/../incoming//Track 1.mp3", "Band/Album/01. Song.mp3", false},
      {"URI", "", "file:///m/incoming/Track%201.mp3", "file:///m/Band/Album/01.%20Song.mp3", true},
      {"URI, escapes", "", "FILE://localhost/m/%69ncoming/Track%201.mp3",
       "FILE://localhost/m/Band/Album/01.%20Song.mp3", false},
      {"#EXTINF", "", "#EXTINF:61,Band - Song", "#EXTINF:61,Band - Song", false},
      {"URL", "", "http://radio.example/m/incoming/Track%201.mp3",
       "http://radio.example/m/incoming/Track%201.mp3", false},
      {"letter case", "", "INCOMING/track 1.MP3", "Band/Album/01. Song.mp3", false},
      {"absolute", "incoming/", "/m/incoming/Track 1.mp3", "/m/Band/Album/01. Song.mp3", true},
      {"relative", "incoming/", "Track 1.mp3", "../Band/Album/01. Song.mp3", true},
      {"./", "incoming/", "./Track 1.mp3", "../Band/Album/01. Song.mp3", false},
      {"../", "incoming/", "../incoming/Track 1.mp3", "../Band/Album/01. Song.mp3", false},
      {"URI", "incoming/", "file:///m/incoming/Track%201.mp3",
       "file:///m/Band/Album/01.%20Song.mp3", true},
      {"letter case", "incoming/", "./track 1.mp3", "../Band/Album/01. Song.mp3", false},
      {"relative", "Lists/", "incoming/Track 1.mp3", "incoming/Track 1.mp3", false},
      {"./", "Lists/", "./../incoming/Track 1.mp3", "../Band/Album/01. Song.mp3", false},
      {"../", "Lists/", "../incoming/Track 1.mp3", "../Band/Album/01. Song.mp3", true},
      {"URI, escapes", "Lists/", "file:///m/incoming/Track%201%2Emp3",
       "file:///m/Band/Album/01.%20Song.mp3", false},
      {"URI, other host", "Lists/", "file://nas/m/incoming/Track%201.mp3",
       "file://nas/m/incoming/Track%201.mp3", false},
      {"URI, bad escape", "Lists/", "file:///m/incoming/Track%2.mp3",
       "file:///m/incoming/Track%2.mp3", false},
      {"letter case", "Lists/", "../Incoming/Track 1.mp3", "../Band/Album/01. Song.mp3", false},
  };
  // Without a LF alone, every line is written with CR LF; with one, each
  // line keeps its own end, and a last line without one stays so.
  const struct {
    const char* style;
    std::string before;
    std::string after;
    bool end_kept;
  } ends[] = {
      {"CR LF", "#EXTM3U\r\n{}\r\n", "#EXTM3U\r\n{}\r\n", true},
      {"CR LF, none at the end", "#EXTM3U\r\n{}", "#EXTM3U\r\n{}\r\n", false},
      {"lone CR", "#EXTM3U\r{}\r", "#EXTM3U\r\n{}\r\n", false},
      {"LF", "#EXTM3U\n{}\n", "#EXTM3U\n{}\n", true},
      {"LF, none at the end", "#EXTM3U\n{}", "#EXTM3U\n{}", true},
      {"LF and CR LF", "#EXTM3U\r\n{}\n", "#EXTM3U\r\n{}\n", true},
  };
  const auto with = [](std::string text, const std::string& line) {
    return text.replace(text.find("{}"), 2, line);
  };
  for (const auto& row : rows) {
    std::string scratch;
    EXPECT_EQ(EntryFormOf(row.line, '/'),
              ReadPlaylistEntry(row.line, "/m/" + std::string(row.folder), '/', scratch).form)
        << row.form;
    for (const auto& end : ends) {
      const std::string before = with(end.before, row.line);
      PlaylistStore store;
      store.SetBaseFolder("/m/", '/');
      store.SetPlaylistCount(1);
      store.SetPlaylistName(1, std::string(row.folder) + "party.m3u");
      store.SetPlaylistContent(1, before);
      store.FileMoved(kOldPath, kNewPath, kMove);
      store.FollowMovedFiles([](const std::string&) { return false; });
      const std::string on_disk = store.PlaylistChanged(1) ? store.PlaylistContent(1) : before;
      const std::string expected =
          std::string(row.line) == row.after ? before : with(end.after, row.after);
      EXPECT_EQ(on_disk, expected) << row.form << " in /m/" << row.folder << ", " << end.style;
      // What the journal keeps must give back exactly the bytes as read,
      // as undo reads it: a line the move's number gives back is kept as
      // that number alone.
      const std::string saved = store.PlaylistContent(1);
      const ContentChange change = store.PlaylistChange(1);
      const auto old_line_of = [&](std::string_view line, std::uint32_t move) {
        return move == kMove ? EntryNaming(line, kOldPath, "/m/" + std::string(row.folder), '/')
                             : std::nullopt;
      };
      const bool by_move =
          std::any_of(change.stretches.begin(), change.stretches.end(),
                      [](const ChangedStretch& stretch) { return !stretch.moves.empty(); });
      EXPECT_EQ(std::tuple(change.old_size, change.old_hash, change.new_size, change.new_hash,
                           by_move, OldContent(saved, change.stretches, old_line_of)),
                std::tuple(before.size(), ContentHash(before), saved.size(), ContentHash(saved),
                           row.by_move && end.end_kept, std::optional(before)))
          << row.form << " in /m/" << row.folder << ", " << end.style;
    }
  }
}

// A file moved to a name a player would read as a comment or a URL is
// named from "./"; undo, naming the old path in that line's form, would add
// the "./" too, so the journal keeps the old line itself.
TEST(PlaylistEntryTest, ARelativeLineThatWouldReadAsACommentOrAUrlStartsWithDotSlash) {
  for (const std::string name : {"#1 Hit.mp3", "ab:c.mp3"}) {
    PlaylistStore store;
    store.SetBaseFolder("/m/", '/');
    store.SetPlaylistCount(1);
    store.SetPlaylistName(1, "incoming/party.m3u");
    store.SetPlaylistContent(1, "Track 1.mp3\n");
    store.FileMoved(kOldPath, "/m/incoming/" + name, kMove);
    store.FollowMovedFiles();
    const ContentChange change = store.PlaylistChange(1);
    EXPECT_EQ(std::tuple(store.PlaylistContent(1), change.stretches.size(),
                         change.stretches.at(0).old_bytes),
              std::tuple("./" + name + "\n", std::size_t{1}, std::string("Track 1.mp3\n")));
  }
}

}  // namespace
}  // namespace quillfold
