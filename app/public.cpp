#include "app/public.h"

namespace app::Public {

vb::Boolean LoggedIn = vb::False;
std::string SessionAddress;

}  // namespace app::Public
