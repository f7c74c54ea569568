#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace gui {

// A set of environment variables handed to a child process.
class Environment {
 public:
  Environment() = default;
  static Environment FromCurrentProcess();

  Environment& Set(const std::string& key, const std::string& value);
  Environment& Unset(const std::string& key);
  std::optional<std::string> Get(const std::string& key) const;
  // Overrides and additions from `other` win.
  Environment& Merge(const Environment& other);
  std::vector<std::string> ToStrings() const;  // "KEY=VALUE"
  const std::map<std::string, std::string>& Vars() const { return vars_; }

 private:
  std::map<std::string, std::string> vars_;
};

}  // namespace gui
