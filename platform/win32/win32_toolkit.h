// The toolkit on Windows as far as this build goes: real message boxes, and
// a clear run-time error for everything that needs windows, controls or the
// message loop, which a Win32 form backend will provide.
#pragma once

#include "platform/toolkit.h"

namespace platform {

class Win32Toolkit final : public Toolkit {
 public:
  std::unique_ptr<NativeWindow> OpenWindow(const FormDesign& design,
                                             WindowCallbacks callbacks) override;
  Single ScreenWidth() const override;
  Single ScreenHeight() const override;
  int MsgBox(const std::string& prompt, int buttons, const std::string& title,
             const std::function<bool()>& withdrawn) override;
  void Run() override;
  void RunUntil(const std::function<bool()>& done) override;
  void Quit() override;
  void Post(std::function<void()> task) override;
  int DownloadsUnderWay() const override { return 0; }
  // To the debugger's output, where Windows programs log their faults.
  void LogMisplacedWait(const std::string& what) override;
};

}  // namespace platform
