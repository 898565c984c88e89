#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "settings/hive.h"

namespace quillfold {

// The file that holds one root's keys inside a hive folder, such as
// <folder>/HKEY_LOCAL_MACHINE.reg (format: hive_format.h), and the rules for
// changing it safely:
// - Every change is a read-modify-write under an exclusive lock (flock on
//   <file>.lock beside it), so two processes changing it at the same moment
//   never lose each other's values.
// - The new content is written completely to a temporary file in the same
//   folder, flushed to disk and renamed over the old one, and the folder is
//   flushed too: a crash at any point leaves either the old file or the new
//   one, whole. Readers need no lock.
// - A file that cannot be parsed is never destroyed: reads report it, and a
//   change first copies it to <file>.corrupt-<local time>[-n], which never
//   replaces anything, and only then writes a fresh file.
// - Anything but a regular file at the file's place is left alone: reads and
//   changes fail with ERROR_CANTREAD.
// Result codes are those of registry.h.
class HiveFile {
 public:
  // An empty `folder` means there is nowhere to keep anything: the hive is
  // always empty and every change fails with ERROR_ACCESS_DENIED.
  HiveFile(std::string folder, std::string_view root_name);

  // Fills `hive` from the file. A missing file (or folder) is an empty hive.
  // ERROR_BADDB when the file cannot be parsed, ERROR_ACCESS_DENIED or
  // ERROR_CANTREAD when it cannot be read; `hive` is then empty.
  std::int32_t Load(Hive& hive) const;

  // Creates the folder if needed, takes the lock, loads the hive (setting an
  // unparseable file aside), lets `change` alter it and saves it when it
  // changed. When `change` returns non-zero nothing is saved and that code
  // is the result. ERROR_ACCESS_DENIED when the folder cannot be written,
  // ERROR_CANTWRITE for every other failure to save; the old file stays.
  std::int32_t Update(const std::function<std::int32_t(Hive&)>& change) const;

  const std::string& path() const { return path_; }

 private:
  std::int32_t Save(const std::string& content) const;
  std::int32_t SetAside(const std::string& content) const;
  void RemoveStaleTemporaries() const;
  std::string TemporaryPrefix() const;

  std::string folder_;  // ends in "/"
  std::string root_name_;
  std::string path_;
};

}  // namespace quillfold
