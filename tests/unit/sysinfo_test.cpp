// The system information launcher: reading registry values and finding and
// starting the tool.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "tests/support/program_fixture.h"
#include "windows/about/frm_about.h"

namespace {

constexpr std::int32_t kHklm = static_cast<std::int32_t>(0x80000002);
const reg::HKEY HKLM = reg::RootKey(kHklm);
const std::string kFirstKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::string kSecondKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

std::vector<reg::BYTE> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

class SysInfoTest : public fake::ProgramTest {
 protected:
  windows::frmAbout& About() { return dynamic_cast<windows::frmAbout&>(program->frmAbout()); }

  void Put(reg::DWORD type, std::vector<reg::BYTE> data, const std::string& key = "K",
           const std::string& name = "V") {
    system.registry.SetValue(HKLM, key, name, type, std::move(data));
  }
  // Reads K\V; the key must be closed again whatever happens.
  bool Read(std::string& value) {
    const bool ok = About().GetKeyValue(kHklm, "K", "V", value);
    EXPECT_EQ(system.registry.OpenHandles(), 0u);
    return ok;
  }
  bool Failed() const {
    return !toolkit.msgboxes.empty() && toolkit.msgboxes.back().prompt == "此时系统信息不可用" &&
           toolkit.msgboxes.back().buttons == platform::vbOKOnly;
  }
  void StartExpectingFailure() {
    toolkit.answers.push_back({platform::vbOK, nullptr});
    About().StartSysInfo();
    EXPECT_TRUE(Failed());
    EXPECT_TRUE(system.started.empty());
    EXPECT_EQ(system.registry.OpenHandles(), 0u);
  }
};

TEST_F(SysInfoTest, StringsLoseOneTrailingNulAndNoMore) {
  std::string v;
  Put(reg::kRegSz, Bytes(std::string_view("C:\\Tools\\x.exe\0", 15)));
  EXPECT_TRUE(Read(v));
  EXPECT_EQ(v, "C:\\Tools\\x.exe");
  Put(reg::kRegSz, Bytes("no terminator"));
  EXPECT_TRUE(Read(v));
  EXPECT_EQ(v, "no terminator");
  Put(reg::kRegSz, Bytes(std::string_view("ab\0\0", 4)));
  EXPECT_TRUE(Read(v));
  EXPECT_EQ(v, std::string("ab\0", 3));
  Put(reg::kRegSz, Bytes(std::string_view("\0", 1)));
  EXPECT_TRUE(Read(v));
  EXPECT_EQ(v, "");
}

TEST_F(SysInfoTest, DwordsAreWrittenMostSignificantByteFirstAfterTheTrim) {
  std::string v;
  Put(reg::kRegDword, {0x00, 0x00, 0x00, 0x01});
  EXPECT_TRUE(Read(v));
  EXPECT_EQ(v, "&h01000000");
  Put(reg::kRegDword, {0x34, 0x12, 0x00, 0x00});  // the last NUL goes in the trim
  EXPECT_TRUE(Read(v));
  EXPECT_EQ(v, "&h001234");
  Put(reg::kRegDword, {0xAB, 0xCD, 0xEF, 0x7F});
  EXPECT_TRUE(Read(v));
  EXPECT_EQ(v, "&h7FEFCDAB");
}

TEST_F(SysInfoTest, OtherTypesCountAsReadAndLeaveTheValueAsPassed) {
  for (reg::DWORD type : {reg::kRegExpandSz, reg::kRegBinary, reg::kRegNone, 11u}) {
    Put(type, Bytes("%SystemRoot%\\x.exe"));
    std::string v = "as passed";
    EXPECT_TRUE(Read(v)) << type;
    EXPECT_EQ(v, "as passed");
  }
}

TEST_F(SysInfoTest, DataMustFitInTheBuffer) {
  std::string v;
  std::vector<reg::BYTE> exactly(1024, 'a');
  Put(reg::kRegSz, exactly);
  EXPECT_TRUE(Read(v));
  EXPECT_EQ(v.size(), 1024u);
  exactly.push_back('a');
  Put(reg::kRegSz, exactly);
  v = "old";
  EXPECT_FALSE(Read(v)) << "too long is a failed lookup, not a truncated value";
  EXPECT_EQ(v, "");
}

TEST_F(SysInfoTest, MissingKeysValuesAndDeniedAccessFailWithAnEmptyValue) {
  std::string v = "old";
  EXPECT_FALSE(Read(v));  // no key
  EXPECT_EQ(v, "");
  Put(reg::kRegSz, Bytes("x"), "K", "Other");
  v = "old";
  EXPECT_FALSE(Read(v));  // no value
  EXPECT_EQ(v, "");
  Put(reg::kRegSz, Bytes("x"));
  system.registry.SetGrantedAccess(HKLM, "K", reg::kKeyRead);  // no write rights
  v = "old";
  EXPECT_FALSE(Read(v));
  EXPECT_EQ(v, "");
  for (reg::REGSAM mask : system.recording.access) EXPECT_EQ(mask, 0x2003Fu);
}

TEST_F(SysInfoTest, AnEmptyValueEndsWithAnErrorAfterClosingTheKey) {
  Put(reg::kRegSz, {});
  std::string v = "kept";
  EXPECT_THROW(About().GetKeyValue(kHklm, "K", "V", v), platform::RuntimeError);
  EXPECT_EQ(system.registry.OpenHandles(), 0u);
}

TEST_F(SysInfoTest, KeyPathsAndNamesIgnoreLetterCase) {
  Put(reg::kRegSz, Bytes("x"), "Software\\Vendor", "Path");
  std::string v;
  EXPECT_TRUE(About().GetKeyValue(kHklm, "SOFTWARE\\VENDOR", "PATH", v));
  EXPECT_EQ(v, "x");
}

// ------------------------------------------------------------ StartSysInfo

TEST_F(SysInfoTest, AFullPathInTheFirstKeyIsStartedAndTheSecondNeverRead) {
  system.registry.SetString(HKLM, kFirstKey, "PATH", "C:\\Windows\\msinfo32.exe");
  system.registry.SetString(HKLM, kSecondKey, "MSINFO", "D:\\Other");
  About().StartSysInfo();
  ASSERT_EQ(system.started.size(), 1u);
  EXPECT_EQ(system.started[0].first, "C:\\Windows\\msinfo32.exe");
  EXPECT_EQ(system.started[0].second, 1);
  EXPECT_EQ(system.recording.opened, std::vector<std::string>{kFirstKey});
  EXPECT_TRUE(system.file_checks.empty()) << "the full path is started without a file test";
  EXPECT_TRUE(toolkit.msgboxes.empty());
}

TEST_F(SysInfoTest, AFirstPathThatCannotStartFailsWithoutTryingTheSecond) {
  system.registry.SetString(HKLM, kFirstKey, "PATH", "C:\\gone.exe");
  system.unstartable.insert("C:\\gone.exe");
  system.registry.SetString(HKLM, kSecondKey, "MSINFO", "C:\\Tools");
  system.files.insert("C:\\Tools\\MSINFO32.EXE");
  StartExpectingFailure();
  EXPECT_EQ(system.recording.opened, std::vector<std::string>{kFirstKey});
}

TEST_F(SysInfoTest, TheDirectoryOfTheSecondKeyGetsOneBackslashAndTheFileName) {
  system.registry.SetString(HKLM, kSecondKey, "MSINFO", "C:\\Program Files\\MSInfo");
  system.files.insert("C:\\Program Files\\MSInfo\\MSINFO32.EXE");
  About().StartSysInfo();
  EXPECT_EQ(system.recording.opened, (std::vector<std::string>{kFirstKey, kSecondKey}));
  EXPECT_EQ(system.file_checks, std::vector<std::string>{"C:\\Program Files\\MSInfo\\MSINFO32.EXE"});
  ASSERT_EQ(system.started.size(), 1u);
  EXPECT_EQ(system.started[0].first, "C:\\Program Files\\MSInfo\\MSINFO32.EXE");
  EXPECT_TRUE(toolkit.msgboxes.empty());
}

TEST_F(SysInfoTest, ADirectoryEndingInABackslashGivesADoubledOne) {
  system.registry.SetString(HKLM, kSecondKey, "MSINFO", "C:\\MSInfo\\");
  system.files.insert("C:\\MSInfo\\\\MSINFO32.EXE");
  About().StartSysInfo();
  EXPECT_EQ(system.file_checks, std::vector<std::string>{"C:\\MSInfo\\\\MSINFO32.EXE"});
  ASSERT_EQ(system.started.size(), 1u);
  EXPECT_EQ(system.started[0].first, "C:\\MSInfo\\\\MSINFO32.EXE");
}

TEST_F(SysInfoTest, ADirectoryWithoutTheToolFails) {
  system.registry.SetString(HKLM, kSecondKey, "MSINFO", "C:\\Empty");
  StartExpectingFailure();
  EXPECT_EQ(system.file_checks, std::vector<std::string>{"C:\\Empty\\MSINFO32.EXE"});
}

TEST_F(SysInfoTest, NothingRegisteredFails) { StartExpectingFailure(); }

TEST_F(SysInfoTest, AnEmptyValueInTheFirstKeyFailsAtOnce) {
  system.registry.SetValue(HKLM, kFirstKey, "PATH", reg::kRegSz, {});
  system.registry.SetString(HKLM, kSecondKey, "MSINFO", "C:\\Tools");
  system.files.insert("C:\\Tools\\MSINFO32.EXE");
  StartExpectingFailure();
  EXPECT_EQ(system.recording.opened, std::vector<std::string>{kFirstKey});
}

TEST_F(SysInfoTest, AnUnconvertedTypeLeavesThePathEmpty) {
  // In the first key: the start of an empty command fails.
  system.registry.SetValue(HKLM, kFirstKey, "PATH", reg::kRegExpandSz, Bytes("%x%\\m.exe"));
  StartExpectingFailure();
  EXPECT_EQ(system.recording.opened, std::vector<std::string>{kFirstKey});
}

TEST_F(SysInfoTest, AnUnconvertedTypeInTheSecondKeyLooksAtTheRoot) {
  system.registry.SetValue(HKLM, kSecondKey, "MSINFO", reg::kRegExpandSz, Bytes("%x%"));
  StartExpectingFailure();
  EXPECT_EQ(system.file_checks, std::vector<std::string>{"\\MSINFO32.EXE"});
}

TEST_F(SysInfoTest, AFirstValueTooLongForTheBufferFallsBackToTheSecond) {
  system.registry.SetString(HKLM, kFirstKey, "PATH", std::string(1100, 'x'));
  system.registry.SetString(HKLM, kSecondKey, "MSINFO", "C:\\Tools");
  system.files.insert("C:\\Tools\\MSINFO32.EXE");
  About().StartSysInfo();
  ASSERT_EQ(system.started.size(), 1u);
  EXPECT_EQ(system.started[0].first, "C:\\Tools\\MSINFO32.EXE");
}

TEST_F(SysInfoTest, EveryPressStartsAnotherCopy) {
  system.registry.SetString(HKLM, kFirstKey, "PATH", "/usr/bin/tool");
  About().StartSysInfo();
  About().StartSysInfo();
  EXPECT_EQ(system.started.size(), 2u);
}

}  // namespace
