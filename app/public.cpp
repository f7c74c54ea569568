#include "app/public.h"

namespace app::Public {

platform::Boolean LoggedIn = platform::False;
std::string SessionAddress;

}  // namespace app::Public
