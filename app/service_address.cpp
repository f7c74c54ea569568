#include "app/service_address.h"

namespace service {

std::string BaseAddress() {
  return std::string("http://") + VARNOCK_SERVICE_HOST + ":8010/";
}

std::string PageAddress(std::string_view page_key) {
  std::string address = BaseAddress();
  address += page_key;
  return address;
}

std::string LoginAddress() { return PageAddress(kLoginPageKey); }

bool SameAddress(std::string_view a, std::string_view b) { return a == b; }

}  // namespace service
