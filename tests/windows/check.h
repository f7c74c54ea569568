// A small test runner for the Windows test program: cases register
// themselves, CHECK notes a failure and goes on, REQUIRE ends the case. Each
// case is printed with its outcome, then the closing "N passed, N failed".
#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

namespace check {

using CaseFunction = void (*)();

struct Registration {
  Registration(const char* name, CaseFunction function);
};

// Thrown by REQUIRE to leave the running case.
struct CaseAborted {};

// Called by the macros: counts one check and records a failure if `ok` is false.
void Record(bool ok, const char* file, int line, const std::string& what);

// Runs every case whose name contains `filter` (all for an empty one);
// returns the number that failed.
int RunAll(std::string_view filter);

std::string Show(const std::string& value);
std::string Show(const std::wstring& value);
std::string Show(const char* value);
std::string Show(const wchar_t* value);
template <class T>
requires std::is_arithmetic_v<T> || std::is_enum_v<T> std::string Show(T value) {
  std::ostringstream out;
  if constexpr (std::is_enum_v<T>) {
    out << static_cast<long long>(value);
  } else {
    out << +value;
  }
  return out.str();
}
template <class T>
requires std::is_pointer_v<T> &&
    (!std::is_same_v<T, const char*>)&&(!std::is_same_v<T, const wchar_t*>)std::string
    Show(T value) {
  std::ostringstream out;
  out << static_cast<const void*>(value);
  return out.str();
}

template <class A, class B>
bool Equal(const A& actual, const B& expected, const char* actual_text, const char* expected_text,
           const char* file, int line) {
  const bool ok = actual == expected;
  Record(ok, file, line,
         ok ? std::string()
            : std::string(actual_text) + " == " + expected_text +
                  "\n      actual:   " + Show(actual) + "\n      expected: " + Show(expected));
  return ok;
}

}  // namespace check

#define CHECK_CONCAT_(a, b) a##b
#define CHECK_CONCAT(a, b) CHECK_CONCAT_(a, b)

#define TEST_CASE(name)                                                               \
  static void name();                                                                 \
  static const ::check::Registration CHECK_CONCAT(name, _registration){#name, &name}; \
  static void name()

#define CHECK(condition) \
  ::check::Record(static_cast<bool>(condition), __FILE__, __LINE__, #condition)
#define CHECK_EQ(actual, expected) \
  ::check::Equal((actual), (expected), #actual, #expected, __FILE__, __LINE__)
#define REQUIRE(condition)                                                   \
  do {                                                                       \
    const bool check_ok_ = static_cast<bool>(condition);                     \
    ::check::Record(check_ok_, __FILE__, __LINE__, "required: " #condition); \
    if (!check_ok_) throw ::check::CaseAborted{};                            \
  } while (false)
// The statement must raise an exception of `type`.
#define CHECK_THROWS_AS(statement, type)                                     \
  [&] {                                                                      \
    try {                                                                    \
      statement;                                                             \
    } catch (const type&) {                                                  \
      ::check::Record(true, __FILE__, __LINE__, "");                         \
      return;                                                                \
    } catch (...) {                                                          \
    }                                                                        \
    ::check::Record(false, __FILE__, __LINE__, #statement " raises " #type); \
  }()
