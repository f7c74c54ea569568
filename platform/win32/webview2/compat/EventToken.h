// WebView2.h includes "EventToken.h" as the Windows SDK spells it; mingw-w64
// ships the same declarations as <eventtoken.h>, and a cross build on Linux
// sees the case of a file name.
#pragma once

#include <eventtoken.h>
