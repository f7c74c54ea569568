// The installer, the MSI the build puts beside this program, installed and
// removed as an administrator deploys it: silently, through msiexec. Wine
// has no WebView2 runtime, so the installer must say it is missing, and the
// installed program too.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>
#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "app/app_info.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/utf16.h"
#include "tests/windows/check.h"
#include "tests/windows/leftovers.h"
#include "tests/windows/program_checks.h"
#include "tests/windows/registry_fixture.h"
#include "tests/windows/started_process.h"
#include "tests/windows/ui_driver.h"

namespace fs = std::filesystem;
using platform::win32::ComPtr;

namespace {

const std::wstring kUpgradeCode = L"" VARNOCK_UPGRADE_CODE;
const std::wstring kName = win32::Widen(app::kMainCaption);
const std::wstring kWebView2 = L"Microsoft Edge WebView2";

std::wstring VersionText(const app::Version& v) {
  return std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." + std::to_wstring(v.revision);
}

// The build's older version of the same product: the revision before.
const app::Version kOlder{app::kVersion.major, app::kVersion.minor, app::kVersion.revision - 1};

fs::path Installer() { return wintest::OwnFolder() / (L"" VARNOCK_INSTALLER_FILE); }
fs::path OlderInstaller() { return wintest::OwnFolder() / (L"" VARNOCK_OLDER_INSTALLER_FILE); }

fs::path KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  fs::path found;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path))) found = path;
  ::CoTaskMemFree(path);
  return found;
}

fs::path InstallFolder() { return KnownFolder(FOLDERID_ProgramFiles) / (L"" VARNOCK_TITLE); }

// Where the Start menu shortcut may be: the all-users menu, which Wine 8
// keeps in the user's.
std::vector<fs::path> ShortcutPlaces() {
  return {KnownFolder(FOLDERID_CommonPrograms) / (kName + L".lnk"), KnownFolder(FOLDERID_Programs) / (kName + L".lnk")};
}

// Runs msiexec with `arguments`: its exit status, -1 if it did not end in time.
long Msiexec(const std::wstring& arguments,
             const std::function<void(const wintest::StartedProcess&)>& meanwhile = {}) {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring program = std::wstring(system) + L"\\msiexec.exe";
  std::wstring command = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return -1;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  wintest::StartedProcess started(process.dwProcessId);
  if (meanwhile) meanwhile(started);
  return started.WaitForExit(240);
}

std::wstring Quoted(const fs::path& path) { return L"\"" + path.wstring() + L"\""; }

// The installed products of this upgrade code, as Windows Installer knows them.
std::vector<std::wstring> InstalledProducts() {
  std::vector<std::wstring> codes;
  wchar_t code[39] = {};
  for (DWORD i = 0; ::MsiEnumRelatedProductsW(kUpgradeCode.c_str(), 0, i, code) == ERROR_SUCCESS; ++i) {
    codes.emplace_back(code);
  }
  return codes;
}

std::wstring ProductInfo(const std::wstring& code, const wchar_t* property) {
  wchar_t value[1024] = {};
  DWORD size = 1024;
  if (::MsiGetProductInfoW(code.c_str(), property, value, &size) != ERROR_SUCCESS) return {};
  return value;
}

// A string of the product's entry in Apps & Features; nothing when the
// entry or the value is missing.
std::wstring EntryValue(const std::wstring& code, const wchar_t* name) {
  const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + code;
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value,
                     &size) != ERROR_SUCCESS) {
    return {};
  }
  return value;
}

bool EntryExists(const std::wstring& code) {
  HKEY key = nullptr;
  const std::wstring path = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + code;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

struct Shortcut {
  fs::path target;
  fs::path icon;
};

std::optional<Shortcut> ReadShortcut(const fs::path& file) {
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  struct ComEnd {
    bool started;
    ~ComEnd() {
      if (started) ::CoUninitialize();
    }
  } com_end{SUCCEEDED(com)};
  ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.Out())))) {
    return std::nullopt;
  }
  auto persist = link.As<IPersistFile>(IID_IPersistFile);
  if (!persist || FAILED(persist->Load(file.c_str(), STGM_READ))) return std::nullopt;
  Shortcut shortcut;
  wchar_t path[MAX_PATH * 2] = {};
  if (SUCCEEDED(link->GetPath(path, MAX_PATH * 2, nullptr, 0))) shortcut.target = path;
  int index = 0;
  wchar_t icon[MAX_PATH * 2] = {};
  if (SUCCEEDED(link->GetIconLocation(icon, MAX_PATH * 2, &index))) shortcut.icon = icon;
  return shortcut;
}

std::optional<fs::path> FindShortcut() {
  for (const fs::path& place : ShortcutPlaces()) {
    if (fs::exists(place)) return place;
  }
  return std::nullopt;
}

bool ClientKeyExists(HKEY root) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, L"Software\\" VARNOCK_TITLE, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

// Nothing of the client's: no product, no entry, no files, no shortcut, no keys.
void CheckNothingInstalled(const std::vector<std::wstring>& codes) {
  CHECK(InstalledProducts().empty());
  for (const auto& code : codes) CHECK(!EntryExists(code));
  CHECK(!fs::exists(InstallFolder()));
  CHECK(!FindShortcut().has_value());
  CHECK(!ClientKeyExists(HKEY_LOCAL_MACHINE));
  CHECK(!ClientKeyExists(HKEY_CURRENT_USER));
}

// Removes whatever a failed case left installed, so that the next starts clean.
struct Uninstaller {
  ~Uninstaller() {
    for (const auto& code : InstalledProducts()) Msiexec(L"/x " + code + L" /qn");
  }
};

TEST_CASE(installer_silent_install_the_installed_program_and_silent_uninstall) {
  REQUIRE(fs::exists(Installer()));
  REQUIRE(InstalledProducts().empty());
  Uninstaller uninstaller;
  const auto before = wintest::ProfileContents();

  CHECK_EQ(Msiexec(L"/i " + Quoted(Installer()) + L" /qn"), 0L);

  // The product, as Windows Installer and Apps & Features show it.
  const auto products = InstalledProducts();
  REQUIRE(products.size() == 1u);
  const std::wstring code = products.front();
  CHECK_EQ(ProductInfo(code, INSTALLPROPERTY_VERSIONSTRING), VersionText(app::kVersion));
  CHECK_EQ(ProductInfo(code, INSTALLPROPERTY_INSTALLEDPRODUCTNAME), kName);
  CHECK_EQ(ProductInfo(code, INSTALLPROPERTY_PUBLISHER), std::wstring(L"" VARNOCK_PUBLISHER));
  const fs::path product_icon = ProductInfo(code, INSTALLPROPERTY_PRODUCTICON);
  CHECK(!product_icon.empty() && fs::exists(product_icon));
  CHECK_EQ(EntryValue(code, L"DisplayName"), kName);
  CHECK_EQ(EntryValue(code, L"DisplayVersion"), VersionText(app::kVersion));
  CHECK_EQ(EntryValue(code, L"Publisher"), std::wstring(L"" VARNOCK_PUBLISHER));
  CHECK(EntryValue(code, L"UninstallString").find(code) != std::wstring::npos);

  // The files, under Program Files: the program as built, and its loader.
  const fs::path program = InstallFolder() / L"varnock.exe";
  CHECK(fs::exists(program) && fs::file_size(program) == fs::file_size(wintest::OwnFolder() / L"varnock.exe"));
  CHECK(fs::exists(InstallFolder() / L"WebView2Loader.dll"));

  // The Start menu shortcut, named after the product, starts the program
  // with its icon.
  const auto shortcut_file = FindShortcut();
  REQUIRE(shortcut_file.has_value());
  const auto shortcut = ReadShortcut(*shortcut_file);
  REQUIRE(shortcut.has_value());
  CHECK(wintest::SamePath(shortcut->target.wstring(), program.wstring()));
  CHECK(!shortcut->icon.empty() && fs::exists(shortcut->icon));

  // The installed program runs: without the runtime it says so.
  wintest::CheckSaysTheRuntimeIsMissingAndEnds(program);

  CHECK_EQ(Msiexec(L"/x " + code + L" /qn"), 0L);
  CheckNothingInstalled({code});
  CHECK(!fs::exists(product_icon));
  CHECK(wintest::Added(before, wintest::ProfileContents()).empty());
}

TEST_CASE(installer_replaces_an_older_build_of_the_product) {
  REQUIRE(fs::exists(OlderInstaller()));
  REQUIRE(InstalledProducts().empty());
  Uninstaller uninstaller;

  CHECK_EQ(Msiexec(L"/i " + Quoted(OlderInstaller()) + L" /qn"), 0L);
  auto products = InstalledProducts();
  REQUIRE(products.size() == 1u);
  const std::wstring older = products.front();
  CHECK_EQ(ProductInfo(older, INSTALLPROPERTY_VERSIONSTRING), VersionText(kOlder));

  CHECK_EQ(Msiexec(L"/i " + Quoted(Installer()) + L" /qn"), 0L);
  products = InstalledProducts();
  REQUIRE(products.size() == 1u);
  const std::wstring newer = products.front();
  CHECK(newer != older);
  CHECK_EQ(ProductInfo(newer, INSTALLPROPERTY_VERSIONSTRING), VersionText(app::kVersion));
  CHECK(!EntryExists(older));
  CHECK_EQ(EntryValue(newer, L"DisplayVersion"), VersionText(app::kVersion));
  CHECK(fs::exists(InstallFolder() / L"varnock.exe"));
  CHECK(FindShortcut().has_value());

  // The older one cannot go back over it.
  CHECK(Msiexec(L"/i " + Quoted(OlderInstaller()) + L" /qn") != 0L);
  CHECK(InstalledProducts() == std::vector<std::wstring>{newer});

  CHECK_EQ(Msiexec(L"/x " + newer + L" /qn"), 0L);
  CheckNothingInstalled({older, newer});
}

// Finds a visible top-level window whose texts hold `text`.
struct TextSearch {
  std::wstring text;
  HWND found = nullptr;
};

BOOL CALLBACK FindWindowWithText(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TextSearch*>(param);
  if (::IsWindowVisible(window) && wintest::AllTextOf(window).find(search->text) != std::wstring::npos) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// With an interface, the installer tells the user when the runtime is
// missing, and what to install, in a box; it goes on once the box is
// answered. With the runtime recorded where its own installer records it,
// nothing is said.
TEST_CASE(installer_says_when_the_webview2_runtime_is_missing) {
  REQUIRE(fs::exists(Installer()));
  REQUIRE(InstalledProducts().empty());
  Uninstaller uninstaller;
  struct Row {
    const char* name;
    bool runtime_recorded;
  };
  for (const Row& row : {Row{"runtime missing", false}, Row{"runtime installed", true}}) {
    std::printf("    %s\n", row.name);
    // The runtime's version as EdgeUpdate records it (32-bit view).
    const std::string client_key =
        "SOFTWARE\\WOW6432Node\\Microsoft\\EdgeUpdate\\Clients\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";
    if (row.runtime_recorded) CHECK_EQ(wintest::SetStringW(client_key, "pv", L"120.0.2210.91"), ERROR_SUCCESS);
    std::wstring said;
    const long status = Msiexec(L"/i " + Quoted(Installer()) + L" /qb", [&said](const wintest::StartedProcess& installer) {
      TextSearch search{kWebView2};
      while (installer.Running() && search.found == nullptr) {
        ::EnumWindows(FindWindowWithText, reinterpret_cast<LPARAM>(&search));
        ::Sleep(20);
      }
      if (search.found != nullptr) {
        said = wintest::AllTextOf(search.found);
        ::PostMessageW(search.found, WM_COMMAND, IDOK, 0);
      }
    });
    CHECK_EQ(status, 0L);
    if (row.runtime_recorded) {
      CHECK(said.empty());
    } else {
      CHECK(said.find(kName) != std::wstring::npos);
      CHECK(said.find(L"\u5B89\u88C5") != std::wstring::npos);  // 安装: what to install
    }
    CHECK_EQ(InstalledProducts().size(), 1u);
    for (const auto& code : InstalledProducts()) CHECK_EQ(Msiexec(L"/x " + code + L" /qn"), 0L);
    if (row.runtime_recorded) {
      HKEY key = nullptr;
      if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Microsoft", 0, KEY_ALL_ACCESS, &key) ==
          ERROR_SUCCESS) {
        ::RegDeleteTreeW(key, L"EdgeUpdate");
        ::RegCloseKey(key);
      }
    }
  }
}

}  // namespace
