// The session state: the only data the windows share. Two program-wide
// variables, zero-initialised at start and alive for the whole run. `Public`
// is the program's own name for the module that holds them.
#pragma once

#include <string>

#include "platform/vb_types.h"

namespace app::Public {

// True from a recognised web login until the login window loads again or the
// user confirms the exit. Stored in 16 bits (false = 0, true = -1) and always
// tested for non-zero.
extern platform::Boolean LoggedIn;

// The top-level address the login window's browser showed when the web login
// was recognised; the main window opens it. Never cleared.
extern std::string SessionAddress;

}  // namespace app::Public
