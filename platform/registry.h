// The registry, shaped like the advapi32 calls the program makes: open a key
// under a root with an access mask, query a value into the caller's buffer,
// close. Names follow the Windows API; the Windows build implements this over
// advapi32, the portable build over an in-memory registry.
#pragma once

#include <cstdint>
#include <string>

namespace reg {

using HKEY = std::intptr_t;
using LONG = std::int32_t;
using DWORD = std::uint32_t;
using REGSAM = std::uint32_t;
using BYTE = std::uint8_t;

// A predefined root, given as its 32-bit value and widened with sign as on
// 64-bit Windows.
constexpr HKEY RootKey(std::int32_t value) { return static_cast<HKEY>(value); }

inline constexpr LONG kErrorSuccess = 0;
inline constexpr LONG kErrorFileNotFound = 2;
inline constexpr LONG kErrorAccessDenied = 5;
inline constexpr LONG kErrorInvalidHandle = 6;
inline constexpr LONG kErrorMoreData = 234;

inline constexpr DWORD kRegNone = 0;
inline constexpr DWORD kRegSz = 1;
inline constexpr DWORD kRegExpandSz = 2;
inline constexpr DWORD kRegBinary = 3;
inline constexpr DWORD kRegDword = 4;

inline constexpr REGSAM kKeyQueryValue = 0x0001;
inline constexpr REGSAM kKeyRead = 0x20019;

class Registry {
 public:
  virtual ~Registry() = default;
  // RegOpenKeyExA: 0 with *result filled in, or an error code.
  virtual LONG OpenKeyEx(HKEY root, const std::string& sub_key, DWORD options, REGSAM desired,
                         HKEY* result) = 0;
  // RegQueryValueExA: fills *type, the data and *size (bytes). Data that does
  // not fit gives kErrorMoreData with *size set to what it needs.
  virtual LONG QueryValueEx(HKEY key, const std::string& value_name, DWORD* reserved, DWORD* type,
                            BYTE* data, DWORD* size) = 0;
  // RegCloseKey.
  virtual LONG CloseKey(HKEY key) = 0;
};

}  // namespace reg
