#pragma once

#include <memory>
#include <optional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "a11y.h"

namespace gui {

class Session;

// What a screen reader goes by to say where the user is: windows becoming
// active, objects gaining the focus and web documents done loading, in the
// order the programs sent them.
// Registers for those events on the accessibility bus (programs started
// afterwards send them from the start) and records them from a thread of
// its own.
class FocusEvents {
 public:
  enum class Kind { kWindowActivated, kFocused, kDocumentLoaded };
  struct Event {
    Kind kind;
    std::string bus;   // the sending program's unique bus name
    std::string path;  // the object's path there
    bool Is(const Accessible& node) const { return bus == node.BusName() && path == node.Path(); }
  };

  explicit FocusEvents(const Session& session);
  ~FocusEvents();
  FocusEvents(const FocusEvents&) = delete;
  FocusEvents& operator=(const FocusEvents&) = delete;

  std::vector<Event> Events() const;
  // The object a screen reader speaks after `window` last became active:
  // the last one focused since, unless its document finished loading after
  // it (Orca drops the focus events of a document still loading); nothing
  // when there is none.
  std::optional<Event> Announced(const Accessible& window) const;

 private:
  struct Loop;
  void Serve(const std::string& address);
  void Record(Event event);

  std::unique_ptr<Loop> loop_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<Event> events_;
  int state_ = 0;  // 0 starting, 1 registered, -1 failed; under mutex_
  std::string error_;
};

}  // namespace gui
