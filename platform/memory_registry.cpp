#include "platform/memory_registry.h"

#include <algorithm>
#include <cstring>

namespace reg {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return text;
}

}  // namespace

MemoryRegistry::Path MemoryRegistry::MakePath(HKEY root, const std::string& key) {
  return {root, Lower(key)};
}

void MemoryRegistry::SetValue(HKEY root, const std::string& key, const std::string& name,
                              DWORD type, std::vector<BYTE> data) {
  keys_[MakePath(root, key)].values[Lower(name)] = Value{type, std::move(data)};
}

void MemoryRegistry::SetString(HKEY root, const std::string& key, const std::string& name,
                               const std::string& text) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  SetValue(root, key, name, kRegSz, std::move(data));
}

void MemoryRegistry::DeleteKey(HKEY root, const std::string& key) {
  keys_.erase(MakePath(root, key));
}

void MemoryRegistry::SetGrantedAccess(HKEY root, const std::string& key, REGSAM granted) {
  keys_[MakePath(root, key)].granted = granted;
}

LONG MemoryRegistry::OpenKeyEx(HKEY root, const std::string& sub_key, DWORD, REGSAM desired,
                               HKEY* result) {
  if (result == nullptr) return kErrorInvalidHandle;
  auto found = keys_.find(MakePath(root, sub_key));
  if (found == keys_.end()) return kErrorFileNotFound;
  if ((desired & ~found->second.granted) != 0) return kErrorAccessDenied;
  HKEY handle = next_handle_++;
  handles_[handle] = found->first;
  *result = handle;
  return kErrorSuccess;
}

LONG MemoryRegistry::QueryValueEx(HKEY key, const std::string& value_name, DWORD* reserved,
                                  DWORD* type, BYTE* data, DWORD* size) {
  if (reserved != nullptr && *reserved != 0) return 87;  // ERROR_INVALID_PARAMETER
  auto handle = handles_.find(key);
  if (handle == handles_.end()) return kErrorInvalidHandle;
  auto found = keys_.find(handle->second);
  if (found == keys_.end()) return kErrorFileNotFound;  // deleted while open
  auto value = found->second.values.find(Lower(value_name));
  if (value == found->second.values.end()) return kErrorFileNotFound;
  const Value& v = value->second;
  if (type != nullptr) *type = v.type;
  const auto needed = static_cast<DWORD>(v.data.size());
  if (data != nullptr) {
    if (size == nullptr) return 998;  // ERROR_NOACCESS
    if (*size < needed) {
      *size = needed;
      return kErrorMoreData;
    }
    if (needed != 0) std::memcpy(data, v.data.data(), needed);
  }
  if (size != nullptr) *size = needed;
  return kErrorSuccess;
}

LONG MemoryRegistry::CloseKey(HKEY key) {
  return handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace reg
