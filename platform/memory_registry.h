// A registry held in memory, for platforms that have none. Key paths and
// value names compare without regard to ASCII case, as on Windows.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace reg {

class MemoryRegistry final : public Registry {
 public:
  void SetValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                std::vector<BYTE> data);
  // A REG_SZ value stored with its terminating NUL.
  void SetString(HKEY root, const std::string& key, const std::string& name,
                 const std::string& text);
  void DeleteKey(HKEY root, const std::string& key);
  // Opening the key asking for any right outside `granted` is denied.
  void SetGrantedAccess(HKEY root, const std::string& key, REGSAM granted);

  LONG OpenKeyEx(HKEY root, const std::string& sub_key, DWORD options, REGSAM desired,
                 HKEY* result) override;
  LONG QueryValueEx(HKEY key, const std::string& value_name, DWORD* reserved, DWORD* type,
                    BYTE* data, DWORD* size) override;
  LONG CloseKey(HKEY key) override;

  // Handles opened and not yet closed.
  std::size_t OpenHandles() const noexcept { return handles_.size(); }

 private:
  struct Value {
    DWORD type = kRegNone;
    std::vector<BYTE> data;
  };
  struct Key {
    REGSAM granted = 0xFFFFFFFFu;
    std::map<std::string, Value> values;  // by lower-case name
  };
  using Path = std::pair<HKEY, std::string>;  // root, lower-case path

  static Path MakePath(HKEY root, const std::string& key);

  std::map<Path, Key> keys_;
  std::map<HKEY, Path> handles_;
  HKEY next_handle_ = 0x100;
};

}  // namespace reg
