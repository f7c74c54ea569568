// The system information launcher of the About box.
#include <array>

#include "platform/errors.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/text_encoding.h"
#include "windows/about/frm_about.h"

namespace windows {
namespace {

constexpr std::int32_t HKEY_LOCAL_MACHINE = static_cast<std::int32_t>(0x80000002);
// READ_CONTROL with query, set, create-sub-key, enumerate, notify and
// create-link rights, as the tool's installers have always been asked for.
constexpr reg::REGSAM KEY_ALL_ACCESS = 0x2003F;
constexpr reg::LONG ERROR_SUCCESS = reg::kErrorSuccess;
constexpr reg::DWORD REG_SZ = reg::kRegSz;
constexpr reg::DWORD REG_DWORD = reg::kRegDword;
constexpr std::size_t kValueBufferSize = 1024;

constexpr const char* gREGKEYSYSINFO = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* gREGVALSYSINFO = "PATH";
constexpr const char* gREGKEYSYSINFOLOC = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* gREGVALSYSINFOLOC = "MSINFO";

std::string HexByte(unsigned value) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

}  // namespace

void frmAbout::StartSysInfo() {
  // Any error on the way, in the lookups, the file test or the start, ends in
  // the failure message.
  try {
    std::string SysInfoPath;
    bool found = false;
    if (GetKeyValue(HKEY_LOCAL_MACHINE, gREGKEYSYSINFO, gREGVALSYSINFO, SysInfoPath)) {
      found = true;  // a full path, started as it is
    } else if (GetKeyValue(HKEY_LOCAL_MACHINE, gREGKEYSYSINFOLOC, gREGVALSYSINFOLOC,
                           SysInfoPath)) {
      // A directory: exactly one backslash and the file name go after it.
      if (Sys().FileExists(SysInfoPath + "\\MSINFO32.EXE")) {
        SysInfoPath += "\\MSINFO32.EXE";
        found = true;
      }
    }
    if (found) {
      Sys().Shell(SysInfoPath, platform::vbNormalFocus);
      return;
    }
  } catch (const std::exception&) {
  }
  MsgBox("此时系统信息不可用", platform::vbOKOnly);
}

bool frmAbout::GetKeyValue(std::int32_t KeyRoot, const std::string& KeyName,
                           const std::string& SubKeyRef, std::string& KeyVal) {
  reg::Registry& registry = Sys().Registry();
  reg::HKEY hKey = 0;

  // Closes the key on every way out, the error for an empty value included.
  struct KeyCloser {
    reg::Registry& registry;
    reg::HKEY& key;
    ~KeyCloser() { registry.CloseKey(key); }  // result ignored; fails for a key never opened
  } closer{registry, hKey};

  reg::LONG rc = registry.OpenKeyEx(reg::RootKey(KeyRoot), KeyName, 0, KEY_ALL_ACCESS, &hKey);
  if (rc != ERROR_SUCCESS) {
    KeyVal = "";
    return false;
  }

  std::array<reg::BYTE, kValueBufferSize> tmpVal{};
  reg::DWORD KeyValType = 0;
  auto KeyValSize = static_cast<reg::DWORD>(tmpVal.size());
  rc = registry.QueryValueEx(hKey, SubKeyRef, nullptr, &KeyValType, tmpVal.data(), &KeyValSize);
  if (rc != ERROR_SUCCESS) {
    KeyVal = "";
    return false;
  }

  if (KeyValSize == 0) throw platform::RuntimeError(platform::kErrInvalidProcedureCall, "无效的过程调用或参数");
  // Only the last byte is looked at: one terminating NUL goes, data stored
  // without one keeps all its bytes.
  std::size_t kept = KeyValSize;
  if (tmpVal[kept - 1] == 0) --kept;

  switch (KeyValType) {
    case REG_SZ:
      KeyVal = platform::AnsiToText(std::string_view(reinterpret_cast<const char*>(tmpVal.data()), kept));
      break;
    case REG_DWORD: {
      // Last byte first: the most significant byte of a little-endian value
      // comes first. The text is kept as "&h" and its digits.
      std::string digits;
      for (std::size_t i = kept; i-- > 0;) digits += HexByte(tmpVal[i]);
      KeyVal = "&h" + digits;
      break;
    }
    default:
      break;  // read, but left as the caller passed it
  }
  return true;
}

}  // namespace windows
