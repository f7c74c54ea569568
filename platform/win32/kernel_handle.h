// Owns a kernel object handle (process, thread, event, file) and closes it
// once. Both "no handle" values of the API, null and INVALID_HANDLE_VALUE,
// count as empty.
#pragma once

#include <windows.h>

#include <utility>

namespace win32 {

class KernelHandle {
 public:
  KernelHandle() noexcept = default;
  explicit KernelHandle(HANDLE handle) noexcept : handle_(handle) {}
  ~KernelHandle() { reset(); }
  KernelHandle(KernelHandle&& other) noexcept : handle_(other.release()) {}
  KernelHandle& operator=(KernelHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;

  HANDLE get() const noexcept { return handle_; }
  explicit operator bool() const noexcept {
    return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE;
  }
  HANDLE release() noexcept { return std::exchange(handle_, nullptr); }
  void reset(HANDLE handle = nullptr) noexcept {
    HANDLE old = std::exchange(handle_, handle);
    if (old != nullptr && old != INVALID_HANDLE_VALUE) ::CloseHandle(old);
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace win32
