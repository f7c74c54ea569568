// Owning references to GObjects and GLib allocations.
#pragma once

#include <glib-object.h>

#include <memory>
#include <utility>

namespace platform::gtk {

struct GObjectUnref {
  void operator()(gpointer object) const noexcept { g_object_unref(object); }
};

template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Takes over a reference the caller already owns (a "transfer full" result).
template <class T>
GObjectPtr<T> Adopt(T* object) {
  return GObjectPtr<T>(object);
}

// Adds a reference of our own, sinking a floating one.
template <class T>
GObjectPtr<T> Retain(T* object) {
  return GObjectPtr<T>(static_cast<T*>(g_object_ref_sink(object)));
}

// Owns what a C library hands out with a free or unref function of its own
// (boxed types, strings, lists): OwnedPtr<WebKitScriptDialog,
// webkit_script_dialog_unref>.
template <auto Free>
struct CallFree {
  template <class T>
  void operator()(T* p) const noexcept {
    if (p != nullptr) Free(p);
  }
};
template <class T, auto Free>
using OwnedPtr = std::unique_ptr<T, CallFree<Free>>;

using GCharPtr = OwnedPtr<char, g_free>;

// A reference that does not keep its object alive.
template <class T>
class WeakRef {
 public:
  explicit WeakRef(T* object = nullptr) { g_weak_ref_init(&ref_, object); }
  ~WeakRef() { g_weak_ref_clear(&ref_); }
  WeakRef(const WeakRef&) = delete;
  WeakRef& operator=(const WeakRef&) = delete;
  // A strong reference while the object lives, else null.
  GObjectPtr<T> Get() { return GObjectPtr<T>(static_cast<T*>(g_weak_ref_get(&ref_))); }
  void Set(T* object) { g_weak_ref_set(&ref_, object); }

 private:
  GWeakRef ref_;
};

// A signal handler connected for as long as this object lives (or the
// instance: whichever goes first).
class SignalConnection {
 public:
  SignalConnection() = default;
  SignalConnection(gpointer instance, gulong id) : instance_(instance), id_(id) {
    if (instance_) g_object_weak_ref(G_OBJECT(instance_), &SignalConnection::Gone, this);
  }
  SignalConnection(SignalConnection&& other) noexcept { *this = std::move(other); }
  SignalConnection& operator=(SignalConnection&& other) noexcept {
    if (this != &other) {
      Disconnect();
      if (other.instance_) {
        g_object_weak_unref(G_OBJECT(other.instance_), &SignalConnection::Gone, &other);
        instance_ = std::exchange(other.instance_, nullptr);
        id_ = std::exchange(other.id_, 0);
        g_object_weak_ref(G_OBJECT(instance_), &SignalConnection::Gone, this);
      }
    }
    return *this;
  }
  ~SignalConnection() { Disconnect(); }

  // Leaves the handler connected for as long as the instance lives.
  void KeepForItsLifetime() noexcept {
    if (instance_) g_object_weak_unref(G_OBJECT(instance_), &SignalConnection::Gone, this);
    instance_ = nullptr;
    id_ = 0;
  }

  void Disconnect() noexcept {
    if (!instance_) return;
    g_object_weak_unref(G_OBJECT(instance_), &SignalConnection::Gone, this);
    if (id_ != 0 && g_signal_handler_is_connected(instance_, id_)) {
      g_signal_handler_disconnect(instance_, id_);
    }
    instance_ = nullptr;
    id_ = 0;
  }

 private:
  static void Gone(gpointer self, GObject*) noexcept {
    static_cast<SignalConnection*>(self)->instance_ = nullptr;
  }
  gpointer instance_ = nullptr;
  gulong id_ = 0;
};

namespace detail {

template <class Signature>
struct SignalHandler;

template <class R, class... Args>
struct SignalHandler<R(Args...)> {
  template <class F>
  static gulong Connect(gpointer instance, const char* signal, F handler) {
    auto* owned = new F(std::move(handler));
    return g_signal_connect_data(
        instance, signal,
        G_CALLBACK(+[](Args... args, gpointer data) -> R { return (*static_cast<F*>(data))(args...); }), owned,
        +[](gpointer data, GClosure*) { delete static_cast<F*>(data); }, G_CONNECT_DEFAULT);
  }
};

}  // namespace detail

// The one way a GObject signal is connected here: `handler` (any callable)
// is owned by the connection and goes with it; the returned connection
// disconnects when it goes. `Signature` is the signal's own, without the
// user data: Connect<void(WebKitWebView*, WebKitLoadEvent)>(view,
// "load-changed", [this](WebKitWebView*, WebKitLoadEvent event) { ... }).
template <class Signature, class F>
[[nodiscard]] SignalConnection Connect(gpointer instance, const char* signal, F handler) {
  return SignalConnection(instance, detail::SignalHandler<Signature>::Connect(instance, signal, std::move(handler)));
}

}  // namespace platform::gtk
