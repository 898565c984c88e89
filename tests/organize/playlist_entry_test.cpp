// Playlist lines as players write them, followed through one move.
#include "organize/playlist_entry.h"

#include <gtest/gtest.h>

#include <tuple>

#include "organize/playlist_store.h"

namespace quillfold {
namespace {

// /m/ party.m3u  incoming/party.m3u (beside the file)  Lists/party.m3u (a sibling folder)
// The file moves from incoming/ to Band/Album/; each line, read from a
// playlist in `folder`, becomes `after` (unchanged lines keep their bytes).
TEST(PlaylistEntryTest, EachFormFollowsTheMoveInItsOwnFormWithEveryLineEnd) {
  const struct {
    const char* form;
    const char* folder;
    const char* line;
    const char* after;
  } rows[] = {
      {"absolute", "", "/m/incoming/Track 1.mp3", "/m/Band/Album/01. Song.mp3"},
      {"relative", "", "incoming/Track 1.mp3", "Band/Album/01. Song.mp3"},
      {"./", "", "./incoming/Track 1.mp3", "./Band/Album/01. Song.mp3"},
      {"../", "", "Lists/../incoming//Track 1.mp3", "Band/Album/01. Song.mp3"},
      {"URI", "", "file:///m/incoming/Track%201.mp3", "file:///m/Band/Album/01.%20Song.mp3"},
      {"URI, escapes", "", "FILE://localhost/m/%69ncoming/Track%201.mp3",
       "FILE://localhost/m/Band/Album/01.%20Song.mp3"},
      {"#EXTINF", "", "#EXTINF:61,Band - Song", "#EXTINF:61,Band - Song"},
      {"URL", "", "http://radio.example/m/incoming/Track%201.mp3",
       "http://radio.example/m/incoming/Track%201.mp3"},
      {"letter case", "", "INCOMING/track 1.MP3", "Band/Album/01. Song.mp3"},
      {"absolute", "incoming/", "/m/incoming/Track 1.mp3", "/m/Band/Album/01. Song.mp3"},
      {"relative", "incoming/", "Track 1.mp3", "../Band/Album/01. Song.mp3"},
      {"./", "incoming/", "./Track 1.mp3", "../Band/Album/01. Song.mp3"},
      {"../", "incoming/", "../incoming/Track 1.mp3", "../Band/Album/01. Song.mp3"},
      {"URI", "incoming/", "file:///m/incoming/Track%201.mp3",
       "file:///m/Band/Album/01.%20Song.mp3"},
      {"letter case", "incoming/", "./track 1.mp3", "../Band/Album/01. Song.mp3"},
      {"relative", "Lists/", "incoming/Track 1.mp3", "incoming/Track 1.mp3"},
      {"./", "Lists/", "./../incoming/Track 1.mp3", "../Band/Album/01. Song.mp3"},
      {"../", "Lists/", "../incoming/Track 1.mp3", "../Band/Album/01. Song.mp3"},
      {"URI, escapes", "Lists/", "file:///m/incoming/Track%201%2Emp3",
       "file:///m/Band/Album/01.%20Song.mp3"},
      {"URI, other host", "Lists/", "file://nas/m/incoming/Track%201.mp3",
       "file://nas/m/incoming/Track%201.mp3"},
      {"URI, bad escape", "Lists/", "file:///m/incoming/Track%2.mp3",
       "file:///m/incoming/Track%2.mp3"},
      {"letter case", "Lists/", "../Incoming/Track 1.mp3", "../Band/Album/01. Song.mp3"},
  };
  // Without a LF alone, every line is written with CR LF; with one, each
  // line keeps its own end, and a last line without one stays so.
  const struct {
    const char* style;
    std::string before;
    std::string after;
  } ends[] = {
      {"CR LF", "#EXTM3U\r\n{}\r\n", "#EXTM3U\r\n{}\r\n"},
      {"CR LF, none at the end", "#EXTM3U\r\n{}", "#EXTM3U\r\n{}\r\n"},
      {"lone CR", "#EXTM3U\r{}\r", "#EXTM3U\r\n{}\r\n"},
      {"LF", "#EXTM3U\n{}\n", "#EXTM3U\n{}\n"},
      {"LF, none at the end", "#EXTM3U\n{}", "#EXTM3U\n{}"},
      {"LF and CR LF", "#EXTM3U\r\n{}\n", "#EXTM3U\r\n{}\n"},
  };
  const auto with = [](std::string text, const std::string& line) {
    return text.replace(text.find("{}"), 2, line);
  };
  for (const auto& row : rows) {
    for (const auto& end : ends) {
      const std::string before = with(end.before, row.line);
      PlaylistStore store;
      store.SetBaseFolder("/m/", '/');
      store.SetPlaylistCount(1);
      store.SetPlaylistName(1, std::string(row.folder) + "party.m3u");
      store.SetPlaylistContent(1, before);
      store.ReplaceMatchingLines("/m/incoming/Track 1.mp3", "/m/Band/Album/01. Song.mp3",
                                 [](const std::string&) { return false; });
      const std::string on_disk =
          store.PlaylistChanged(1) ? store.PlaylistContent(1) : store.LoadedContent(1);
      const std::string expected =
          std::string(row.line) == row.after ? before : with(end.after, row.after);
      EXPECT_EQ(on_disk, expected) << row.form << " in /m/" << row.folder << ", " << end.style;
      // What the journal keeps must give back exactly the bytes as read.
      const std::string saved = store.PlaylistContent(1);
      const ContentChange change = store.PlaylistChange(1);
      EXPECT_EQ(std::tuple(change.new_size, change.new_hash, OldContent(saved, change.stretches)),
                std::tuple(saved.size(), ContentHash(saved), before))
          << row.form << " in /m/" << row.folder << ", " << end.style;
    }
  }
}

}  // namespace
}  // namespace quillfold
