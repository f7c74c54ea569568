#include "environment.h"

extern char** environ;

namespace gui {

Environment Environment::FromCurrentProcess() {
  Environment env;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    std::string text(*entry);
    const auto eq = text.find('=');
    if (eq == std::string::npos) continue;
    env.vars_[text.substr(0, eq)] = text.substr(eq + 1);
  }
  return env;
}

Environment& Environment::Set(const std::string& key, const std::string& value) {
  vars_[key] = value;
  return *this;
}

Environment& Environment::Unset(const std::string& key) {
  vars_.erase(key);
  return *this;
}

std::optional<std::string> Environment::Get(const std::string& key) const {
  const auto it = vars_.find(key);
  if (it == vars_.end()) return std::nullopt;
  return it->second;
}

Environment& Environment::Merge(const Environment& other) {
  for (const auto& [key, value] : other.vars_) vars_[key] = value;
  return *this;
}

std::vector<std::string> Environment::ToStrings() const {
  std::vector<std::string> out;
  out.reserve(vars_.size());
  for (const auto& [key, value] : vars_) out.push_back(key + "=" + value);
  return out;
}

}  // namespace gui
