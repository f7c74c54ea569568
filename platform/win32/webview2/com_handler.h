// WebView2's callbacks are COM objects with one Invoke: this makes one of a
// function. The object lives as long as WebView2 holds it; the function it
// calls must check that what it refers to still exists (WebView2 may call a
// completion after its caller has gone).
#pragma once

#include <windows.h>

#include <functional>

#include "platform/win32/com_ptr.h"

namespace platform::win32 {

template <class Interface, class Invoke = decltype(&Interface::Invoke)>
class ComHandler;

template <class Interface, class Owner, class... Args>
class ComHandler<Interface, HRESULT (STDMETHODCALLTYPE Owner::*)(Args...)> final : public Interface {
 public:
  using Function = std::function<HRESULT(Args...)>;

  static ComPtr<Interface> Make(REFIID iid, Function function) {
    return ComPtr<Interface>::Adopt(new ComHandler(iid, std::move(function)));
  }

  HRESULT STDMETHODCALLTYPE Invoke(Args... args) override {
    // A copy: the function may drop the last reference to this handler.
    Function function = function_;
    return function ? function(args...) : S_OK;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid_)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

 private:
  ComHandler(REFIID iid, Function function) : iid_(iid), function_(std::move(function)) {}
  ~ComHandler() = default;

  const IID iid_;
  Function function_;
  LONG references_ = 1;
};

// MakeHandler<ICoreWebView2XEventHandler>(IID_ICoreWebView2XEventHandler, function)
template <class Interface, class F>
ComPtr<Interface> MakeHandler(REFIID iid, F&& function) {
  return ComHandler<Interface>::Make(iid, std::forward<F>(function));
}

}  // namespace platform::win32
