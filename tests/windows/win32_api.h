// windows.h for the test program, without the CreateWindow macro, which
// would rename the toolkit's member of that name in the files that see both.
#pragma once

#include <windows.h>
#undef CreateWindow
