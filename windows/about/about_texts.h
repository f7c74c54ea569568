// The About box's constant texts.
#pragma once

namespace windows {

inline constexpr const char* kDescription = "和中国移动、电信、联通等运营商合作打造的专业信息通信平台";
inline constexpr const char* kSlogan = "让每一条短信准时抵达。";
inline constexpr const char* kDisclaimer = "© 2026 瓦诺克通信 保留所有权利";

}  // namespace windows
