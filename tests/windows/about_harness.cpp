#include "tests/windows/about_harness.h"

namespace wintest {

reg::LONG RecordingRegistry::OpenKeyEx(reg::HKEY root, const std::string& sub_key,
                                       reg::DWORD options, reg::REGSAM desired, reg::HKEY* result) {
  const reg::LONG rc = real_.OpenKeyEx(root, sub_key, options, desired, result);
  opens.push_back({root, sub_key, desired, rc, rc == reg::kErrorSuccess ? *result : 0});
  if (rc == reg::kErrorSuccess) open_now_.insert(*result);
  return rc;
}

reg::LONG RecordingRegistry::QueryValueEx(reg::HKEY key, const std::string& value_name,
                                          reg::DWORD* reserved, reg::DWORD* type, reg::BYTE* data,
                                          reg::DWORD* size) {
  const reg::LONG rc = real_.QueryValueEx(key, value_name, reserved, type, data, size);
  queries.push_back(rc);
  return rc;
}

reg::LONG RecordingRegistry::CloseKey(reg::HKEY key) {
  const reg::LONG rc = real_.CloseKey(key);
  closes.push_back({key, rc});
  // A key never opened (0 after a failed open) fails to close, by design.
  if (rc == reg::kErrorSuccess && open_now_.erase(key) == 0) ++stray_closes_;
  return rc;
}

std::vector<std::string> RecordingRegistry::OpenedKeys() const {
  std::vector<std::string> keys;
  for (const Open& open : opens) {
    if (open.result == reg::kErrorSuccess) keys.push_back(open.key);
  }
  return keys;
}

bool RecordingSystem::FileExists(const std::string& path) {
  file_checks.push_back(path);
  return real_.FileExists(path);
}

double RecordingSystem::Shell(const std::string& path, int window_style) {
  shell_calls.push_back(path);
  const double id = real_.Shell(path, window_style);
  started.push_back({path, window_style, id});
  return id;
}

}  // namespace wintest
