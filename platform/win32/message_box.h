// The toolkit's message box on Windows: MessageBoxW with the given caption,
// OK or OK and Cancel, no icon, OK the default button.
#pragma once

#include <string>

namespace platform {

// `buttons` is vbOKOnly or vbOKCancel. Returns vbOK for IDOK and vbCancel
// for any other answer; a box with only OK answers vbOK whatever closed it.
int Win32MessageBox(const std::string& prompt, int buttons, const std::string& title);

}  // namespace platform
