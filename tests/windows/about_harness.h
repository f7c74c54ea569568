// The About box on the real system: the Windows registry, file test and
// program start, and real message boxes, behind a real form runtime. The
// system's operations are passed on unchanged and noted on the way.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "app/app_info.h"
#include "platform/form_runtime.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_toolkit.h"
#include "windows/about/frm_about.h"

namespace wintest {

class RecordingRegistry final : public reg::Registry {
 public:
  struct Open {
    reg::HKEY root;
    std::string key;
    reg::REGSAM access;
    reg::LONG result;
    reg::HKEY handle;
  };
  struct Close {
    reg::HKEY handle;
    reg::LONG result;
  };

  explicit RecordingRegistry(reg::Registry& real) : real_(real) {}
  reg::LONG OpenKeyEx(reg::HKEY root, const std::string& sub_key, reg::DWORD options,
                      reg::REGSAM desired, reg::HKEY* result) override;
  reg::LONG QueryValueEx(reg::HKEY key, const std::string& value_name, reg::DWORD* reserved,
                         reg::DWORD* type, reg::BYTE* data, reg::DWORD* size) override;
  reg::LONG CloseKey(reg::HKEY key) override;

  std::vector<Open> opens;
  std::vector<Close> closes;
  std::vector<reg::LONG> queries;  // results

  // The keys opened successfully, by name.
  std::vector<std::string> OpenedKeys() const;
  // Every key opened was closed again, and nothing else was closed.
  bool AllClosed() const { return open_now_.empty() && stray_closes_ == 0; }

 private:
  reg::Registry& real_;
  std::set<reg::HKEY> open_now_;
  int stray_closes_ = 0;
};

class RecordingSystem final : public platform::System {
 public:
  struct Start {
    std::string path;
    int style;
    double id;
  };

  platform::ProcessHandle GetCurrentProcess() override { return real_.GetCurrentProcess(); }
  bool SetProcessWorkingSetSize(platform::ProcessHandle process, std::size_t minimum,
                                std::size_t maximum) override {
    return real_.SetProcessWorkingSetSize(process, minimum, maximum);
  }
  reg::Registry& Registry() override { return registry; }
  bool FileExists(const std::string& path) override;
  double Shell(const std::string& path, int window_style) override;

  platform::Win32System real_;
  RecordingRegistry registry{real_.Registry()};
  std::vector<std::string> file_checks;
  std::vector<std::string> shell_calls;  // every path given to Shell
  std::vector<Start> started;            // those that started
};

struct AboutHarness {
  RecordingSystem system;
  platform::Win32Toolkit toolkit;
  platform::FormRuntime runtime{toolkit, system, app::kTitle};
  windows::frmAbout about{runtime};
};

}  // namespace wintest
