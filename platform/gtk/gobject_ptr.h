// Owning references to GObjects and GLib allocations.
#pragma once

#include <glib-object.h>

#include <memory>
#include <utility>

namespace vb::gtk {

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

struct GFree {
  void operator()(gpointer p) const noexcept { g_free(p); }
};
using GCharPtr = std::unique_ptr<char, GFree>;

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

// A signal handler connected for as long as this object lives.
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

}  // namespace vb::gtk
