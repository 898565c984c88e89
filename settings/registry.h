#pragma once

#include <cstdint>
#include <string_view>

namespace quillfold {

// A key handle. 0 is never a valid handle; the predefined roots are handles
// too and stay open for the life of the process.
using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

// Value types. Any other number is a legal type whose bytes the store keeps
// without interpreting them.
inline constexpr std::int32_t REG_SZ = 1;     // text, its bytes without a terminating NUL
inline constexpr std::int32_t REG_DWORD = 4;  // 32-bit integer, 4 bytes, least significant first

// Result codes. 0 is success; the others keep the platform's numbers so that
// a code means the same on every build.
inline constexpr std::int32_t ERROR_SUCCESS = 0;
inline constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;      // no such key or value
inline constexpr std::int32_t ERROR_ACCESS_DENIED = 5;       // the store may not be changed
inline constexpr std::int32_t ERROR_INVALID_HANDLE = 6;      // 0, closed or never opened
inline constexpr std::int32_t ERROR_OUTOFMEMORY = 14;        // the data does not fit in memory
inline constexpr std::int32_t ERROR_INVALID_PARAMETER = 87;  // a malformed key path or name
inline constexpr std::int32_t ERROR_MORE_DATA = 234;         // the caller's buffer is too small
inline constexpr std::int32_t ERROR_BADDB = 1009;            // the stored keys cannot be parsed
inline constexpr std::int32_t ERROR_CANTREAD = 1012;         // the stored keys cannot be read
inline constexpr std::int32_t ERROR_CANTWRITE = 1013;        // a change could not be saved

// A store of keys and typed values laid out like the system registry: roots,
// key paths with "\" between levels, and values named within a key. Names of
// keys and values match without regard to ASCII letter case and keep the
// case they were created with.
//
// No call throws: every failure is a non-zero result code and leaves the
// store as it was. Handles belong to the object that gave them out.
class Registry {
 public:
  virtual ~Registry() = default;

  // Opens the key `path` below `root` (a predefined root or an open handle),
  // creating every missing level, and puts a new handle in `key`. An empty
  // path opens `root` itself. On failure `key` is 0.
  virtual std::int32_t CreateKey(HKEY root, std::string_view path, HKEY& key) = 0;

  // Opens the existing key `path` below `root` and puts a new handle in
  // `key`. Fails with ERROR_FILE_NOT_FOUND when the key does not exist; on
  // any failure `key` is 0.
  virtual std::int32_t OpenKey(HKEY root, std::string_view path, HKEY& key) = 0;

  // Reports the type and the size in bytes of the value `name` under `key`.
  // With `data` null, `size` on entry is ignored and only type and size come
  // back. With `data`, `size` on entry is the buffer's capacity: when the
  // value fits, its bytes are copied to `data` and `size` becomes their
  // count; when it does not, nothing is copied, `size` becomes the size
  // needed and the result is ERROR_MORE_DATA. A missing value is
  // ERROR_FILE_NOT_FOUND, and `type` and `size` are then left alone.
  virtual std::int32_t QueryValue(HKEY key, std::string_view name, std::int32_t& type,
                                  std::uint8_t* data, std::uint32_t& size) = 0;

  // Stores `size` bytes from `data` as the value `name` of type `type` under
  // `key`, replacing any value of that name, and keeps everything else.
  virtual std::int32_t SetValue(HKEY key, std::string_view name, std::int32_t type,
                                const std::uint8_t* data, std::uint32_t size) = 0;

  // Releases `key`. Closing 0, a root or an unknown handle changes nothing
  // (the result says whether there was a handle to close).
  virtual std::int32_t CloseKey(HKEY key) = 0;
};

}  // namespace quillfold
