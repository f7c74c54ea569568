// frmAbout::GetKeyValue on the real registry: values written with advapi32,
// read back through the Windows registry implementation.
#include <string>

#include "platform/errors.h"
#include "platform/win32/utf16.h"
#include "tests/windows/about_harness.h"
#include "tests/windows/check.h"
#include "tests/windows/registry_fixture.h"

namespace {

using wintest::kHklm;

std::string_view Bytes(const char* data, std::size_t size) { return {data, size}; }

// Reads the scratch key's value V and checks that the key GetKeyValue opened
// is closed again: closing that handle once more must fail as invalid.
bool Read(wintest::ScratchKey& key, std::string& value) {
  wintest::AboutHarness h;
  const bool ok = h.about.GetKeyValue(kHklm, key.path(), "V", value);
  CHECK(h.system.registry.AllClosed());
  for (const auto& open : h.system.registry.opens) {
    CHECK_EQ(open.access, 0x2003Fu);  // what the launcher asks for
    if (open.result == ERROR_SUCCESS) {
      CHECK_EQ(::RegCloseKey(reinterpret_cast<HKEY>(open.handle)), ERROR_INVALID_HANDLE);
    }
  }
  return ok;
}

TEST_CASE(get_key_value_opens_under_the_real_hkey_local_machine) {
  wintest::ScratchKey key;
  REQUIRE(key.Set("V", REG_SZ, Bytes("x\0", 2)) == ERROR_SUCCESS);
  wintest::AboutHarness h;
  std::string value;
  CHECK(h.about.GetKeyValue(kHklm, key.path(), "V", value));
  REQUIRE(h.system.registry.opens.size() == 1u);
  CHECK_EQ(h.system.registry.opens[0].root, reinterpret_cast<reg::HKEY>(HKEY_LOCAL_MACHINE));
  CHECK_EQ(h.system.registry.opens[0].result, ERROR_SUCCESS);
  CHECK_EQ(value, std::string("x"));
}

TEST_CASE(get_key_value_reg_sz_with_terminator) {
  wintest::ScratchKey key;
  REQUIRE(key.Set("V", REG_SZ, Bytes("C:\\Tools\\x.exe\0", 15)) == ERROR_SUCCESS);
  std::string value;
  CHECK(Read(key, value));
  CHECK_EQ(value, std::string("C:\\Tools\\x.exe"));
}

TEST_CASE(get_key_value_reg_sz_without_terminator) {
  wintest::ScratchKey key;
  REQUIRE(key.Set("V", REG_SZ, "no terminator") == ERROR_SUCCESS);
  REQUIRE(wintest::StoredSize(key.path(), "V") == 13 * sizeof(wchar_t));  // really none
  std::string value;
  CHECK(Read(key, value));
  CHECK_EQ(value, std::string("no terminator"));
}

TEST_CASE(get_key_value_reg_sz_with_two_trailing_nuls_keeps_one) {
  wintest::ScratchKey key;
  REQUIRE(key.Set("V", REG_SZ, Bytes("ab\0\0", 4)) == ERROR_SUCCESS);
  std::string value;
  CHECK(Read(key, value));
  CHECK_EQ(value, std::string("ab\0", 3));
}

TEST_CASE(get_key_value_reg_sz_of_a_single_nul_is_empty) {
  wintest::ScratchKey key;
  REQUIRE(key.Set("V", REG_SZ, Bytes("\0", 1)) == ERROR_SUCCESS);
  std::string value = "old";
  CHECK(Read(key, value));
  CHECK_EQ(value, std::string());
}

TEST_CASE(get_key_value_reg_sz_in_the_ansi_code_page_becomes_utf8) {
  // A letter outside ASCII that the system's ANSI code page can hold: the
  // ANSI form hands it back in that code page, the value is UTF-8.
  std::wstring letter;
  for (const wchar_t* candidate : {L"\u4E2D\u6587", L"\u00E9\u00E8", L"\u0416"}) {
    BOOL lossy = FALSE;
    char bytes[16];
    if (::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, candidate, -1, bytes, sizeof bytes,
                              nullptr, &lossy) > 0 &&
        !lossy) {
      letter = candidate;
      break;
    }
  }
  REQUIRE(!letter.empty());
  std::printf("    code page %u, text %s\n", ::GetACP(), win32::Narrow(letter).c_str());
  wintest::ScratchKey key;
  REQUIRE(wintest::SetStringW(key.path(), "V", L"C:\\" + letter + L"\\x.exe") == ERROR_SUCCESS);
  std::string value;
  CHECK(Read(key, value));
  CHECK_EQ(value, "C:\\" + win32::Narrow(letter) + "\\x.exe");
}

TEST_CASE(get_key_value_reg_dword_most_significant_byte_first) {
  wintest::ScratchKey key;
  std::string value;
  REQUIRE(key.Set("V", REG_DWORD, Bytes("\x00\x00\x00\x01", 4)) == ERROR_SUCCESS);
  CHECK(Read(key, value));
  CHECK_EQ(value, std::string("&h01000000"));

  const DWORD number = 0x1234;  // 34 12 00 00: the last NUL goes in the trim
  REQUIRE(key.Set("V", REG_DWORD, Bytes(reinterpret_cast<const char*>(&number), 4)) ==
          ERROR_SUCCESS);
  CHECK(Read(key, value));
  CHECK_EQ(value, std::string("&h001234"));

  const DWORD high = 0x7FEFCDAB;
  REQUIRE(key.Set("V", REG_DWORD, Bytes(reinterpret_cast<const char*>(&high), 4)) == ERROR_SUCCESS);
  CHECK(Read(key, value));
  CHECK_EQ(value, std::string("&h7FEFCDAB"));
}

TEST_CASE(get_key_value_other_types_are_read_and_leave_the_value_as_passed) {
  wintest::ScratchKey key;
  for (DWORD type : {DWORD{REG_EXPAND_SZ}, DWORD{REG_BINARY}, DWORD{REG_MULTI_SZ}}) {
    REQUIRE(key.Set("V", type, Bytes("%SystemRoot%\\x.exe\0", 19)) == ERROR_SUCCESS);
    std::string value = "as passed";
    CHECK(Read(key, value));
    CHECK_EQ(value, std::string("as passed"));
  }
}

TEST_CASE(get_key_value_exactly_1024_bytes_are_read) {
  wintest::ScratchKey key;
  const std::string text(1024, 'a');
  std::string value;
  REQUIRE(key.Set("V", REG_SZ, text) == ERROR_SUCCESS);
  REQUIRE(wintest::StoredSize(key.path(), "V") == 1024 * sizeof(wchar_t));
  CHECK(Read(key, value));
  CHECK_EQ(value, text);
  // 1023 letters and the terminator fill the buffer as well.
  const std::string with_nul = std::string(1023, 'a') + '\0';
  REQUIRE(key.Set("V", REG_SZ, with_nul) == ERROR_SUCCESS);
  CHECK(Read(key, value));
  CHECK_EQ(value, std::string(1023, 'a'));
}

TEST_CASE(get_key_value_1025_bytes_are_a_failed_lookup) {
  wintest::ScratchKey key;
  for (DWORD type : {DWORD{REG_SZ}, DWORD{REG_BINARY}}) {
    REQUIRE(key.Set("V", type, std::string(1025, 'a')) == ERROR_SUCCESS);
    wintest::AboutHarness h;
    std::string value = "old";
    CHECK(!h.about.GetKeyValue(kHklm, key.path(), "V", value));
    CHECK_EQ(value, std::string());
    REQUIRE(h.system.registry.queries.size() == 1u);
    CHECK_EQ(h.system.registry.queries[0], ERROR_MORE_DATA);
    CHECK(h.system.registry.AllClosed());
  }
}

TEST_CASE(get_key_value_more_data_reports_the_size_needed) {
  wintest::ScratchKey key;
  REQUIRE(key.Set("V", REG_SZ, std::string(1025, 'a')) == ERROR_SUCCESS);
  reg::Win32Registry registry;
  reg::HKEY opened = 0;
  REQUIRE(registry.OpenKeyEx(reg::RootKey(kHklm), key.path(), 0, 0x2003F, &opened) ==
          ERROR_SUCCESS);
  reg::BYTE buffer[1024];
  reg::DWORD type = 0;
  reg::DWORD size = sizeof buffer;
  CHECK_EQ(registry.QueryValueEx(opened, "V", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
  CHECK_EQ(size, 1025u);
  CHECK_EQ(type, reg::kRegSz);
  CHECK_EQ(registry.CloseKey(opened), ERROR_SUCCESS);
}

TEST_CASE(get_key_value_missing_key_or_value_fails_with_an_empty_value) {
  wintest::ScratchKey key;
  std::string value = "old";
  {
    wintest::AboutHarness h;
    CHECK(!h.about.GetKeyValue(kHklm, key.path() + "\\Missing", "V", value));
    CHECK_EQ(value, std::string());
    REQUIRE(h.system.registry.opens.size() == 1u);
    CHECK_EQ(h.system.registry.opens[0].result, ERROR_FILE_NOT_FOUND);
  }
  REQUIRE(key.Set("Other", REG_SZ, Bytes("x\0", 2)) == ERROR_SUCCESS);
  value = "old";
  CHECK(!Read(key, value));
  CHECK_EQ(value, std::string());
}

TEST_CASE(get_key_value_zero_size_value_raises_after_closing_the_key) {
  wintest::ScratchKey key;
  for (DWORD type : {DWORD{REG_SZ}, DWORD{REG_BINARY}}) {
    REQUIRE(key.Set("V", type, std::string_view()) == ERROR_SUCCESS);
    wintest::AboutHarness h;
    std::string value = "kept";
    CHECK_THROWS_AS(h.about.GetKeyValue(kHklm, key.path(), "V", value), platform::RuntimeError);
    CHECK_EQ(value, std::string("kept"));
    CHECK(h.system.registry.AllClosed());
    REQUIRE(h.system.registry.opens.size() == 1u);
    CHECK_EQ(::RegCloseKey(reinterpret_cast<HKEY>(h.system.registry.opens[0].handle)),
             ERROR_INVALID_HANDLE);
  }
}

TEST_CASE(get_key_value_key_paths_and_names_ignore_letter_case) {
  wintest::ScratchKey key;
  REQUIRE(key.Set("Path", REG_SZ, Bytes("x\0", 2)) == ERROR_SUCCESS);
  std::string upper = key.path();
  ::CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  wintest::AboutHarness h;
  std::string value;
  CHECK(h.about.GetKeyValue(kHklm, upper, "PATH", value));
  CHECK_EQ(value, std::string("x"));
}

}  // namespace
