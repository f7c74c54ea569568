// Owns a registry key opened or created by the caller and closes it once.
#pragma once

#include <windows.h>

#include <utility>

namespace win32 {

class RegistryKey {
 public:
  RegistryKey() noexcept = default;
  explicit RegistryKey(HKEY key) noexcept : key_(key) {}
  ~RegistryKey() { reset(); }
  RegistryKey(RegistryKey&& other) noexcept : key_(other.release()) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  HKEY get() const noexcept { return key_; }
  // For the API's out parameter; closes what was held before.
  HKEY* put() noexcept {
    reset();
    return &key_;
  }
  explicit operator bool() const noexcept { return key_ != nullptr; }
  HKEY release() noexcept { return std::exchange(key_, nullptr); }
  void reset(HKEY key = nullptr) noexcept {
    HKEY old = std::exchange(key_, key);
    if (old != nullptr) ::RegCloseKey(old);
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace win32
