#pragma once

#include <stdexcept>

namespace gui {

// Anything the harness could not do (a tool failed, a D-Bus call failed, ...).
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A wait ran out of time; the message says what was awaited and what was seen.
class Timeout : public Error {
 public:
  using Error::Error;
};

}  // namespace gui
