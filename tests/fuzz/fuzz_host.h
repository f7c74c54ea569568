// The little the fuzz targets need around the About box: a toolkit with no
// windows and an operating system whose registry lives in memory.
#pragma once

#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "platform/form_runtime.h"
#include "platform/memory_registry.h"
#include "platform/system.h"
#include "platform/toolkit.h"

namespace fuzz {

class NoWindows final : public platform::Toolkit {
 public:
  std::unique_ptr<platform::NativeWindow> OpenWindow(const platform::FormDesign&, platform::WindowCallbacks) override {
    throw std::logic_error("no windows here");
  }
  platform::Single ScreenWidth() const override { return 19200; }
  platform::Single ScreenHeight() const override { return 15360; }
  int MsgBox(const std::string&, int, const std::string&, const std::function<bool()>&) override {
    return platform::vbOK;
  }
  void Run() override {}
  void RunUntil(const std::function<bool()>&) override {}
  void Quit() override {}
  void Post(std::function<void()>) override {}
  int DownloadsUnderWay() const override { return 0; }
  // A fault of the program's: the fuzzer reports it as a crash.
  void LogMisplacedWait(const std::string&) override { std::abort(); }
};

class MemorySystem final : public platform::System {
 public:
  platform::ProcessHandle GetCurrentProcess() override { return -1; }
  bool SetProcessWorkingSetSize(platform::ProcessHandle, std::size_t, std::size_t) override { return true; }
  reg::Registry& Registry() override { return registry; }
  bool FileExists(const std::string&) override { return false; }
  double Shell(const std::string&, int) override { return 1; }
  reg::MemoryRegistry registry;
};

// A property that must hold; a violation is a crash the fuzzer reports.
inline void Require(bool holds) {
  if (!holds) std::abort();
}

}  // namespace fuzz
