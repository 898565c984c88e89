#pragma once

#include <map>
#include <string>

#include "settings/hive_file.h"
#include "settings/registry.h"

namespace quillfold {

// The registry kept in files on Linux: one file per root in `hive_folder`
// (HKEY_LOCAL_MACHINE.reg, HKEY_CURRENT_USER.reg; see hive_file.h and
// hive_format.h). Other roots are invalid handles.
//
// A handle remembers only its root and key path: every call reads the file
// afresh, and every change is a locked read-modify-write, so several
// processes may share the folder and a file edited by hand takes effect at
// the next call. A value set under a key that has meanwhile vanished from
// the file brings the key back.
//
// Reads need only read access. When the folder cannot be written, creating
// a key and setting a value fail with ERROR_ACCESS_DENIED and change
// nothing; opening an existing key still works. A file that cannot be
// parsed makes every open and query fail with ERROR_BADDB until a change
// sets it aside.
//
// Handles belong to this object; use it from one thread at a time.
class FileRegistry final : public Registry {
 public:
  explicit FileRegistry(std::string hive_folder);

  std::int32_t CreateKey(HKEY root, std::string_view path, HKEY& key) override;
  std::int32_t OpenKey(HKEY root, std::string_view path, HKEY& key) override;
  std::int32_t QueryValue(HKEY key, std::string_view name, std::int32_t& type, std::uint8_t* data,
                          std::uint32_t& size) override;
  std::int32_t SetValue(HKEY key, std::string_view name, std::int32_t type,
                        const std::uint8_t* data, std::uint32_t size) override;
  std::int32_t CloseKey(HKEY key) override;

 private:
  struct KeyName {
    HKEY root = 0;
    std::string path;
  };

  std::int32_t Resolve(HKEY key, std::string_view relative, KeyName& name) const;
  std::int32_t FindExistingKey(const KeyName& name, Hive& hive) const;
  HKEY NewHandle(KeyName name);
  const HiveFile& FileOf(HKEY root) const;

  HiveFile local_machine_;
  HiveFile current_user_;
  std::map<HKEY, KeyName> handles_;
  HKEY next_handle_ = 1;
};

// Where the desktop program keeps its hive files: $XDG_CONFIG_HOME/quillfold
// when that variable holds an absolute path, otherwise ~/.config/quillfold
// ($HOME, or the home folder of the user's account). Empty when the user has
// no home folder at all.
std::string DefaultHiveFolder();

}  // namespace quillfold
