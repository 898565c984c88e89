#include "organize/organize_options.h"

namespace quillfold {

void PrintTo(const OrganizeOptions& options, std::ostream* os) {
  *os << "{chkDontDo=" << options.chkDontDo << " chkTrackName=" << options.chkTrackName
      << " chkIgnoreNoTrack=" << options.chkIgnoreNoTrack << " chkNoAlbum=" << options.chkNoAlbum
      << " chkDelDirs=" << options.chkDelDirs << " chkUpdateM3U=" << options.chkUpdateM3U
      << " chkID3v2=" << options.chkID3v2 << "}";
}

}  // namespace quillfold
