// The operating system's operations on Linux.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

#include "platform/errors.h"
#include "platform/posix/posix_system.h"
#include "platform/registry.h"

namespace {

namespace fs = std::filesystem;

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/varnock-unit-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(PosixSystem, TheTrimGivesFreedHeapBackAndTheResidentSetFalls) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's allocator keeps freed memory in quarantine";
#endif
  platform::PosixSystem system;
  // Heap blocks, touched, then freed; every eighth stays, so that the free
  // memory lies between blocks in use where free() alone cannot return it.
  constexpr std::size_t kBlock = 64 * 1024;
  std::vector<char*> blocks;
  for (int i = 0; i < 3000; ++i) {
    char* block = static_cast<char*>(std::malloc(kBlock));
    std::memset(block, 0x5a, kBlock);
    blocks.push_back(block);
  }
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    if (i % 8 != 7) std::free(std::exchange(blocks[i], nullptr));
  }
  const long before = ResidentKiB();
  ASSERT_TRUE(system.SetProcessWorkingSetSize(system.GetCurrentProcess(), platform::kTrimWorkingSet,
                                              platform::kTrimWorkingSet));
  const long after = ResidentKiB();
  for (char* block : blocks) std::free(block);
  EXPECT_LT(after, before - 100 * 1024) << "before " << before << " KiB, after " << after << " KiB";
}

TEST(PosixSystem, OnlyTheCurrentProcessWithBothLimitsAtMinusOneIsTrimmed) {
  platform::PosixSystem system;
  EXPECT_FALSE(system.SetProcessWorkingSetSize(1234, platform::kTrimWorkingSet, platform::kTrimWorkingSet));
  EXPECT_FALSE(system.SetProcessWorkingSetSize(system.GetCurrentProcess(), 1 << 20, 1 << 22));
}

TEST(PosixSystem, OnlyVisibleRegularFilesExist) {
  platform::PosixSystem system;
  TempDir dir;
  std::ofstream(dir.path() / "tool") << "x";
  std::ofstream(dir.path() / ".hidden") << "x";
  fs::create_directory(dir.path() / "folder");
  EXPECT_TRUE(system.FileExists((dir.path() / "tool").string()));
  EXPECT_FALSE(system.FileExists((dir.path() / ".hidden").string()));
  EXPECT_FALSE(system.FileExists((dir.path() / "folder").string()));
  EXPECT_FALSE(system.FileExists((dir.path() / "missing").string()));
  EXPECT_FALSE(system.FileExists(""));
}

TEST(PosixSystem, ShellStartsTheProgramAndReturnsWithoutWaiting) {
  platform::PosixSystem system;
  TempDir dir;
  const fs::path marker = dir.path() / "started";
  const fs::path tool = dir.path() / "tool";
  std::ofstream(tool) << "#!/bin/sh\nsleep 1\necho ok > '" << marker.string() << "'\n";
  fs::permissions(tool, fs::perms::owner_all);

  const auto begin = std::chrono::steady_clock::now();
  const double id = system.Shell(tool.string(), platform::vbNormalFocus);
  const auto returned_after = std::chrono::steady_clock::now() - begin;
  EXPECT_GT(id, 0);
  EXPECT_FALSE(fs::exists(marker)) << "the call waited for the program";
  EXPECT_LT(returned_after, std::chrono::seconds(1));
  for (int i = 0; i < 100 && !fs::exists(marker); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(fs::exists(marker)) << "the program did not run";
}

TEST(PosixSystem, ShellRaisesAnErrorWhenNothingCanBeStarted) {
  platform::PosixSystem system;
  TempDir dir;
  std::ofstream(dir.path() / "not-executable") << "x";
  EXPECT_THROW(system.Shell("", 1), platform::RuntimeError);
  EXPECT_THROW(system.Shell((dir.path() / "missing").string(), 1), platform::RuntimeError);
  EXPECT_THROW(system.Shell((dir.path() / "not-executable").string(), 1), platform::RuntimeError);
  EXPECT_THROW(system.Shell(dir.path().string(), 1), platform::RuntimeError);
}

TEST(PosixSystem, TheRegistryHoldsTheFirstSystemInformationProgramFound) {
  platform::PosixSystem system;
  const reg::HKEY hklm = reg::RootKey(static_cast<std::int32_t>(0x80000002));
  reg::HKEY key = 0;
  const reg::LONG rc = system.Registry().OpenKeyEx(hklm, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                                                   0, reg::kKeyRead, &key);
  std::string first_found;
  for (const char* const* path = platform::SystemInformationCandidates(); *path; ++path) {
    if (access(*path, X_OK) == 0) {
      first_found = *path;
      break;
    }
  }
  if (first_found.empty()) {
    EXPECT_NE(rc, reg::kErrorSuccess) << "nothing installed, nothing registered";
    return;
  }
  ASSERT_EQ(rc, reg::kErrorSuccess);
  char data[1024];
  reg::DWORD type = 0, size = sizeof data;
  ASSERT_EQ(system.Registry().QueryValueEx(key, "PATH", nullptr, &type,
                                           reinterpret_cast<reg::BYTE*>(data), &size),
            reg::kErrorSuccess);
  EXPECT_EQ(type, reg::kRegSz);
  EXPECT_EQ(std::string(data, size), first_found + std::string(1, '\0'));
  system.Registry().CloseKey(key);
}

TEST(MemoryRegistry, QueriesReportTheSizeNeededAndHandlesMustBeOpen) {
  reg::MemoryRegistry registry;
  const reg::HKEY root = reg::RootKey(static_cast<std::int32_t>(0x80000002));
  registry.SetString(root, "A\\B", "v", "hello");
  reg::HKEY key = 0;
  ASSERT_EQ(registry.OpenKeyEx(root, "a\\b", 0, 0x2003F, &key), reg::kErrorSuccess);
  reg::BYTE small[3];
  reg::DWORD type = 0, size = sizeof small;
  EXPECT_EQ(registry.QueryValueEx(key, "V", nullptr, &type, small, &size), reg::kErrorMoreData);
  EXPECT_EQ(size, 6u);
  size = 0;
  EXPECT_EQ(registry.QueryValueEx(key, "v", nullptr, &type, nullptr, &size), reg::kErrorSuccess);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(registry.CloseKey(key), reg::kErrorSuccess);
  EXPECT_EQ(registry.CloseKey(key), reg::kErrorInvalidHandle);
  EXPECT_EQ(registry.CloseKey(0), reg::kErrorInvalidHandle);
  EXPECT_EQ(registry.QueryValueEx(key, "v", nullptr, &type, small, &size), reg::kErrorInvalidHandle);
  EXPECT_EQ(registry.OpenKeyEx(root + 1, "A\\B", 0, 1, &key), reg::kErrorFileNotFound);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

}  // namespace
