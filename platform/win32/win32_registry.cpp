#include "platform/win32/win32_registry.h"

#include <windows.h>

namespace reg {
namespace {

static_assert(sizeof(reg::HKEY) == sizeof(::HKEY), "a reg::HKEY carries a real HKEY");
static_assert(sizeof(reg::DWORD) == sizeof(::DWORD) && sizeof(reg::LONG) == sizeof(::LONG));

// The predefined roots are pointers holding a sign-extended 32-bit value
// (HKEY_LOCAL_MACHINE is (HKEY)(ULONG_PTR)(LONG)0x80000002), the very bits
// RootKey gives; every other value is a key opened here.
::HKEY ToNative(reg::HKEY key) { return reinterpret_cast<::HKEY>(key); }

// DWORD is unsigned long on Windows and uint32_t here: same size, distinct
// types, so values are copied rather than pointers cast.
class DwordArg {
 public:
  explicit DwordArg(reg::DWORD* target) : target_(target), value_(target ? *target : 0) {}
  ~DwordArg() {
    if (target_ != nullptr) *target_ = value_;
  }
  DwordArg(const DwordArg&) = delete;
  DwordArg& operator=(const DwordArg&) = delete;
  ::DWORD* get() noexcept { return target_ != nullptr ? &value_ : nullptr; }

 private:
  reg::DWORD* target_;
  ::DWORD value_;
};

}  // namespace

LONG Win32Registry::OpenKeyEx(HKEY root, const std::string& sub_key, DWORD options, REGSAM desired,
                              HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  ::HKEY opened = nullptr;
  const ::LONG rc = ::RegOpenKeyExA(ToNative(root), sub_key.c_str(), options, desired, &opened);
  *result = rc == ERROR_SUCCESS ? reinterpret_cast<HKEY>(opened) : 0;
  return rc;
}

LONG Win32Registry::QueryValueEx(HKEY key, const std::string& value_name, DWORD* reserved,
                                 DWORD* type, BYTE* data, DWORD* size) {
  DwordArg native_reserved(reserved), native_type(type), native_size(size);
  return ::RegQueryValueExA(ToNative(key), value_name.c_str(), native_reserved.get(),
                            native_type.get(), data, native_size.get());
}

LONG Win32Registry::CloseKey(HKEY key) { return ::RegCloseKey(ToNative(key)); }

}  // namespace reg
