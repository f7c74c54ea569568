// GetKeyValue on any registry value: any type, any size, any bytes. The
// input's first byte picks the type, the rest is the data.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "tests/fuzz/fuzz_host.h"
#include "windows/about/frm_about.h"

namespace {

std::string ExpectedHex(const std::vector<std::uint8_t>& kept) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex = "&h";
  for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
    hex += digits[*it >> 4];
    hex += digits[*it & 0xF];
  }
  return hex;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const std::uint32_t kTypes[] = {0, 1, 2, 3, 4, 7, 11, 0xFFFFFFFFu};
  const std::uint32_t type = kTypes[data[0] % std::size(kTypes)];
  std::vector<std::uint8_t> value(data + 1, data + size);

  fuzz::NoWindows toolkit;
  fuzz::MemorySystem system;
  platform::FormRuntime runtime(toolkit, system, "Varnock");
  windows::frmAbout about(runtime);
  const std::int32_t hklm = static_cast<std::int32_t>(0x80000002);
  system.registry.SetValue(reg::RootKey(hklm), "K", "V", type, value);

  std::string key_val = "as passed";
  bool read = false;
  bool raised = false;
  try {
    read = about.GetKeyValue(hklm, "K", "V", key_val);
  } catch (const platform::RuntimeError&) {
    raised = true;
  }
  fuzz::Require(system.registry.OpenHandles() == 0);  // closed on every way out

  if (value.empty()) {
    fuzz::Require(raised);
    return 0;
  }
  fuzz::Require(!raised);
  if (value.size() > 1024) {
    fuzz::Require(!read && key_val.empty());
    return 0;
  }
  fuzz::Require(read);
  std::vector<std::uint8_t> kept = value;
  if (kept.back() == 0) kept.pop_back();
  switch (type) {
    case 1:
      fuzz::Require(key_val == std::string(kept.begin(), kept.end()));
      break;
    case 4:
      fuzz::Require(key_val == ExpectedHex(kept));
      break;
    default:
      fuzz::Require(key_val == "as passed");
  }
  return 0;
}
