// Checks the installer runs as custom actions, from its Binary table. Built
// as a DLL without any dependency beyond the system's: Windows Installer
// loads it from a temporary copy.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>

#include "program/webview2_runtime_texts.h"

namespace {

// The runtime's client id, under which EdgeUpdate records the installed
// version ("pv") machine-wide (32-bit view) or for the user. Microsoft's
// documented way for an installer to find the runtime.
constexpr const wchar_t* kRuntimeClientKey =
    L"SOFTWARE\\Microsoft\\EdgeUpdate\\Clients\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

bool VersionRecorded(HKEY root, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, kRuntimeClientKey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return false;
  wchar_t version[64] = {};
  DWORD size = sizeof version - sizeof(wchar_t);
  DWORD type = 0;
  const LONG result = RegQueryValueExW(key, L"pv", nullptr, &type, reinterpret_cast<BYTE*>(version), &size);
  RegCloseKey(key);
  // An uninstalled runtime may leave "0.0.0.0" behind.
  return result == ERROR_SUCCESS && type == REG_SZ && version[0] != L'\0' &&
         std::wstring(version) != L"0.0.0.0";
}

bool WebView2RuntimeInstalled() {
  return VersionRecorded(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY) ||
         VersionRecorded(HKEY_CURRENT_USER, 0);
}

// `text` with [ProductName] filled in: a template's fields are not
// formatted again.
std::wstring WithProductName(MSIHANDLE install, std::wstring text) {
  wchar_t name[256] = {};
  DWORD size = 256;
  if (MsiGetPropertyW(install, L"ProductName", name, &size) != ERROR_SUCCESS) name[0] = L'\0';
  const std::wstring token = L"[ProductName]";
  for (auto at = text.find(token); at != std::wstring::npos; at = text.find(token, at + 1)) {
    text.replace(at, token.size(), name);
  }
  return text;
}

}  // namespace

// Tells whoever installs that the runtime is missing: a warning box in a
// full or basic interface, a line in the log of a silent install. Never
// fails the install and downloads nothing.
extern "C" __declspec(dllexport) UINT __stdcall WebView2Notice(MSIHANDLE install) {
  if (WebView2RuntimeInstalled()) return ERROR_SUCCESS;
  // The text as field 1 of a "[1]" template: Wine 8 shows an empty box for
  // a message in field 0 alone.
  PMSIHANDLE record = MsiCreateRecord(1);
  MsiRecordSetStringW(record, 0, L"[1]");
  MsiRecordSetStringW(record, 1, WithProductName(install, program::kSetupNoWebView2Runtime).c_str());
  MsiProcessMessage(install, INSTALLMESSAGE(INSTALLMESSAGE_WARNING | MB_OK | MB_ICONWARNING), record);
  return ERROR_SUCCESS;
}
