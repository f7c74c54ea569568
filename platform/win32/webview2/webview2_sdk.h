// The WebView2 SDK's interfaces, as mingw-w64 GCC 12 compiles them. The
// MIDL-generated WebView2.h needs nothing but "EventToken.h" (compat/) and
// defines its interface ids itself (__declspec(selectany)), so no __uuidof
// is needed. WebView2EnvironmentOptions.h is left out: its option classes
// are built on WRL, which mingw-w64 does not have; the environment is made
// without options.
#pragma once

#include <windows.h>

#include "WebView2.h"
