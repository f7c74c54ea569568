// Run-time errors of the form runtime and the three ways a handler treats
// them: no trap (the error leaves the handler), continue with the next
// statement, or trap and report (a try/catch of the handler's own).
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int Number() const noexcept { return number_; }

 private:
  int number_;
};

// Error numbers the runtime raises itself.
inline constexpr int kErrInvalidProcedureCall = 5;
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrObjectNotSet = 91;
inline constexpr int kErrInvalidPropertyValue = 380;

// Thrown by the immediate end of the program to unwind whatever handler is
// still running; the event dispatcher swallows it. Not an error.
struct EndOfProgram {};

// One statement under "continue with the next statement": a failure skips it.
template <class Statement>
void ResumeNext(Statement&& statement) noexcept {
  try {
    statement();
  } catch (const std::exception&) {
  }
}

// A condition under "continue with the next statement": a failure while
// testing it enters the guarded statements.
template <class Condition>
bool ResumeNextIf(Condition&& condition) noexcept {
  try {
    return static_cast<bool>(condition());
  } catch (const std::exception&) {
    return true;
  }
}

// The text the dispatcher shows for an error that no handler trapped.
std::string DescribeUntrapped(const std::exception& error);

}  // namespace platform
