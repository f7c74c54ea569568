#include "app/service_address.h"

namespace app {

std::string BaseAddress() {
  return std::string("http://") + VARNOCK_SERVICE_HOST + ":8010/";
}

std::string PageAddress(std::string_view page_key) {
  std::string address = BaseAddress();
  address += page_key;
  return address;
}

std::string LoginAddress() { return PageAddress(kLoginPageKey); }

bool IsWebAddress(std::string_view address) {
  const auto colon = address.find(':');
  if (colon == std::string_view::npos) return false;
  std::string scheme(address.substr(0, colon));
  for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return (scheme == "http" || scheme == "https") && address.substr(colon + 1, 2) == "//";
}

bool SameAddress(std::string_view a, std::string_view b) { return a == b; }

}  // namespace app
