#include "platform/posix/posix_system.h"

#include "platform/texts.h"

#include <fcntl.h>
#include <glib.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/errors.h"

#ifndef MADV_PAGEOUT
#define MADV_PAGEOUT 21
#endif

namespace platform {
namespace {

constexpr ProcessHandle kCurrentProcess = -1;  // the pseudo handle, as on Windows

const char* const kCandidates[] = {
    "/usr/bin/hardinfo",          "/usr/bin/gnome-system-monitor",
    "/usr/bin/kinfocenter",       "/usr/bin/mate-system-monitor",
    "/usr/bin/xfce4-taskmanager", "/usr/local/bin/hardinfo",
    nullptr,
};

bool IsExecutableFile(const char* path) {
  struct stat st {};
  return ::stat(path, &st) == 0 && S_ISREG(st.st_mode) && ::access(path, X_OK) == 0;
}

struct FileCloser {
  void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};

}  // namespace

const char* const* SystemInformationCandidates() { return kCandidates; }

PosixSystem::PosixSystem() : user_environment_(g_get_environ()) {
  for (const char* const* path = kCandidates; *path != nullptr; ++path) {
    if (IsExecutableFile(*path)) {
      registry_.SetString(reg::RootKey(static_cast<std::int32_t>(0x80000002)),
                          "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", *path);
      break;
    }
  }
}

PosixSystem::~PosixSystem() { g_strfreev(user_environment_); }

ProcessHandle PosixSystem::GetCurrentProcess() { return kCurrentProcess; }

bool PosixSystem::SetProcessWorkingSetSize(ProcessHandle process, std::size_t minimum,
                                           std::size_t maximum) {
  if (process != kCurrentProcess) return false;
  if (minimum != kTrimWorkingSet || maximum != kTrimWorkingSet) return false;  // no limits here
  TrimResidentPages();
  return true;
}

std::size_t TrimResidentPages() {
  ::malloc_trim(0);
  std::unique_ptr<std::FILE, FileCloser> maps(std::fopen("/proc/self/maps", "re"));
  if (!maps) return 0;
  const long page = ::sysconf(_SC_PAGESIZE);
  std::size_t advised = 0;
  char line[512];
  while (std::fgets(line, sizeof line, maps.get()) != nullptr) {
    unsigned long start = 0, end = 0;
    char perms[5] = {};
    if (std::sscanf(line, "%lx-%lx %4s", &start, &end, perms) != 3) continue;
    // Private, readable mappings only; the kernel's own and the stack stay.
    if (perms[0] != 'r' || perms[3] != 'p') continue;
    if (std::strstr(line, "[stack") || std::strstr(line, "[vvar") ||
        std::strstr(line, "[vdso") || std::strstr(line, "[vsyscall")) {
      continue;
    }
    if (::madvise(reinterpret_cast<void*>(start), end - start, MADV_PAGEOUT) == 0) {
      advised += (end - start) / static_cast<unsigned long>(page);
    }
  }
  return advised;
}

bool PosixSystem::FileExists(const std::string& path) {
  if (path.empty()) return false;
  const char* slash = std::strrchr(path.c_str(), '/');
  const char* name = slash ? slash + 1 : path.c_str();
  if (name[0] == '.') return false;  // hidden
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

double PosixSystem::Shell(const std::string& path, int window_style) {
  if (path.empty()) throw RuntimeError(kErrInvalidProcedureCall, texts::kInvalidProcedureCall);
  // The whole text names the program; nothing is split or searched for.
  char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
  GPid pid = 0;
  GError* error = nullptr;
  // The tool outlives this run and is the user's: it gets the user's own
  // environment, keeping its caches and settings where it always does.
  // Without G_SPAWN_DO_NOT_REAP_CHILD the child is reaped for us and does
  // not become a zombie of this process.
  if (!g_spawn_async(nullptr, argv, user_environment_, G_SPAWN_STDIN_FROM_DEV_NULL, nullptr,
                     nullptr, &pid, &error)) {
    std::string message = error ? error->message : texts::kCannotStartProgram;
    g_clear_error(&error);
    throw RuntimeError(kErrFileNotFound, texts::Fill(texts::kFileNotFound, message));
  }
  return static_cast<double>(pid);
}

}  // namespace platform
