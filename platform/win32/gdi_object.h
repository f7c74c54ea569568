// Owners of GDI and user objects the backend creates (fonts, bitmaps,
// icons, menus not attached to a window): each freed once.
#pragma once

#include <windows.h>

#include <utility>

namespace platform::win32 {

template <class Handle, BOOL(WINAPI* Free)(Handle)>
class Owned {
 public:
  Owned() noexcept = default;
  explicit Owned(Handle handle) noexcept : handle_(handle) {}
  ~Owned() { reset(); }
  Owned(Owned&& other) noexcept : handle_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  Handle release() noexcept { return std::exchange(handle_, nullptr); }
  void reset(Handle handle = nullptr) noexcept {
    Handle old = std::exchange(handle_, handle);
    if (old != nullptr) Free(old);
  }

 private:
  Handle handle_ = nullptr;
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) { return ::DeleteObject(object); }
inline BOOL WINAPI DeleteFontObject(HFONT font) { return ::DeleteObject(font); }
inline BOOL WINAPI DeleteBitmapObject(HBITMAP bitmap) { return ::DeleteObject(bitmap); }

using FontHandle = Owned<HFONT, DeleteFontObject>;
using BitmapHandle = Owned<HBITMAP, DeleteBitmapObject>;
using IconHandle = Owned<HICON, ::DestroyIcon>;
using MenuHandle = Owned<HMENU, ::DestroyMenu>;

}  // namespace platform::win32
