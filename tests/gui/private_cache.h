// Where a running client keeps the libraries' caches: a directory of its
// own, named in the environment of the processes it starts (its own
// /proc environ shows only what it was started with).
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "harness/harness.h"

namespace varnock_gui {

inline std::optional<std::filesystem::path> PrivateCacheOf(const gui::Process& client) {
  for (pid_t child : client.Descendants()) {
    std::string all;
    try {
      std::ifstream environ("/proc/" + std::to_string(child) + "/environ", std::ios::binary);
      all.assign(std::istreambuf_iterator<char>(environ), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
      continue;  // a helper that ended while it was read
    }
    const std::string key = "XDG_CACHE_HOME=";
    for (std::size_t at = 0; at < all.size();) {
      const std::size_t end = all.find('\0', at);
      const std::string entry = all.substr(at, end == std::string::npos ? std::string::npos : end - at);
      if (entry.rfind(key, 0) == 0) return std::filesystem::path(entry.substr(key.size()));
      if (end == std::string::npos) break;
      at = end + 1;
    }
  }
  return std::nullopt;
}

}  // namespace varnock_gui
