// Owns one reference to a COM object (WRL's ComPtr is not available
// with mingw-w64).
#pragma once

#include <unknwn.h>

#include <utility>

namespace platform::win32 {

template <class T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  ComPtr(const ComPtr& other) noexcept : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  // Takes over a reference the caller holds.
  static ComPtr Adopt(T* p) noexcept {
    ComPtr owner;
    owner.p_ = p;
    return owner;
  }
  // Takes a reference of its own.
  static ComPtr Retain(T* p) noexcept {
    if (p) p->AddRef();
    return Adopt(p);
  }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  void reset() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // For an out parameter: whatever was held is released first.
  T** Out() noexcept {
    reset();
    return &p_;
  }
  // The object's interface U, or empty if it has none.
  template <class U>
  ComPtr<U> As(REFIID iid) const noexcept {
    ComPtr<U> other;
    if (p_) p_->QueryInterface(iid, reinterpret_cast<void**>(other.Out()));
    return other;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace platform::win32
