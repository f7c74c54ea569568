#include "app/public.h"

namespace Public {

vb::Boolean LoggedIn = vb::False;
std::string SessionAddress;

}  // namespace Public
