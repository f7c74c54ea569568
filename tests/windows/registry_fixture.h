// Registry values written with advapi32 itself under HKEY_LOCAL_MACHINE, and
// put back as they were when a case is done.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <windows.h>

namespace wintest {

// HKEY_LOCAL_MACHINE as the program passes it: the 32-bit value.
inline constexpr std::int32_t kHklm = static_cast<std::int32_t>(0x80000002);

// Creates the key if needed and stores the bytes as they are, without
// adding a terminator. Returns the API's result.
LONG SetValueA(const std::string& key, const std::string& name, DWORD type, std::string_view bytes);
// A REG_SZ through the wide form, stored with its terminator.
LONG SetStringW(const std::string& key, const std::string& name, const std::wstring& text);
bool KeyExists(const std::string& key);
// The size of the value as stored (strings in UTF-16), 0 when it is missing.
DWORD StoredSize(const std::string& key, const std::string& name);

// A key of the tests' own, empty at the start and removed with everything
// under it at the end.
class ScratchKey {
 public:
  ScratchKey();
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  const std::string& path() const noexcept { return path_; }
  LONG Set(const std::string& name, DWORD type, std::string_view bytes) {
    return SetValueA(path_, name, type, bytes);
  }

 private:
  std::string path_;
};

// Keeps one value as it was found (its data, or its absence and that of the
// keys above it) and restores exactly that at the end.
class ValueGuard {
 public:
  ValueGuard(std::string key, std::string name);
  ~ValueGuard();
  ValueGuard(const ValueGuard&) = delete;
  ValueGuard& operator=(const ValueGuard&) = delete;

  // The value goes, and so do the keys that were not there at the start.
  void Remove();
  LONG SetString(const std::string& text);  // REG_SZ with its terminator
  LONG Set(DWORD type, std::string_view bytes) { return SetValueA(key_, name_, type, bytes); }

 private:
  struct Saved {
    DWORD type;
    std::string data;
  };
  std::string key_;
  std::string name_;
  std::string first_missing_;  // the highest key that did not exist, if any
  std::optional<Saved> saved_;
};

}  // namespace wintest
