// The registry over advapi32's ANSI forms. Keys opened here are real HKEYs
// carried in reg::HKEY, and the caller closes them through CloseKey.
#pragma once

#include "platform/registry.h"

namespace reg {

class Win32Registry final : public Registry {
 public:
  LONG OpenKeyEx(HKEY root, const std::string& sub_key, DWORD options, REGSAM desired,
                 HKEY* result) override;
  LONG QueryValueEx(HKEY key, const std::string& value_name, DWORD* reserved, DWORD* type,
                    BYTE* data, DWORD* size) override;
  LONG CloseKey(HKEY key) override;
};

}  // namespace reg
