#include "proc_table.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <system_error>

namespace gui {
namespace {

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<pid_t> ParsePid(std::string_view text) {
  pid_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<ProcInfo> ReadStat(pid_t pid) {
  const std::string stat = ReadWhole("/proc/" + std::to_string(pid) + "/stat");
  // "pid (comm) state ppid pgrp ..."; comm may itself hold spaces and parentheses.
  const auto open = stat.find('(');
  const auto close = stat.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return std::nullopt;
  ProcInfo info;
  info.pid = pid;
  info.comm = stat.substr(open + 1, close - open - 1);
  std::istringstream rest(stat.substr(close + 1));
  rest >> info.state >> info.ppid >> info.pgrp;
  if (!rest) return std::nullopt;
  return info;
}

}  // namespace

std::vector<ProcInfo> ListProcesses() {
  std::vector<ProcInfo> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const auto pid = ParsePid(entry.path().filename().string());
    if (!pid) continue;
    if (auto info = ReadStat(*pid)) out.push_back(std::move(*info));
  }
  return out;
}

std::vector<pid_t> DescendantsOf(pid_t root) {
  const auto table = ListProcesses();
  std::vector<pid_t> found;
  std::vector<pid_t> frontier{root};
  while (!frontier.empty()) {
    const pid_t parent = frontier.back();
    frontier.pop_back();
    for (const auto& info : table) {
      if (info.ppid == parent && std::find(found.begin(), found.end(), info.pid) == found.end()) {
        frontier.push_back(info.pid);
        if (info.state != 'Z') found.push_back(info.pid);
      }
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

bool PidAlive(pid_t pid) {
  const auto info = ReadStat(pid);
  return info.has_value() && info->state != 'Z' && info->state != 'X';
}

std::vector<pid_t> ProcessesWithEnvironmentContaining(std::string_view needle) {
  std::vector<pid_t> out;
  for (const auto& info : ListProcesses()) {
    if (info.state == 'Z') continue;
    const std::string environ = ReadWhole("/proc/" + std::to_string(info.pid) + "/environ");
    std::string_view rest(environ);
    while (!rest.empty()) {
      const auto end = rest.find('\0');
      const std::string_view entry = rest.substr(0, end);
      if (entry.find(needle) != std::string_view::npos) {
        out.push_back(info.pid);
        break;
      }
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }
  return out;
}

std::vector<pid_t> ProcessGroupMembers(pid_t pgrp) {
  std::vector<pid_t> out;
  for (const auto& info : ListProcesses()) {
    if (info.pgrp == pgrp && info.state != 'Z') out.push_back(info.pid);
  }
  return out;
}

std::string CommandLineOf(pid_t pid) {
  std::string text = ReadWhole("/proc/" + std::to_string(pid) + "/cmdline");
  while (!text.empty() && text.back() == '\0') text.pop_back();
  std::replace(text.begin(), text.end(), '\0', ' ');
  return text;
}

}  // namespace gui
