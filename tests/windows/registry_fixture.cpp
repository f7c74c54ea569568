#include "tests/windows/registry_fixture.h"

#include "platform/win32/registry_key.h"

namespace wintest {
namespace {

std::wstring WideName(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The wide forms keep strings as stored, whatever the code page.
std::optional<std::string> ReadRaw(const std::string& key, const std::string& name, DWORD* type) {
  win32::RegistryKey opened;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, opened.put()) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::wstring wide = WideName(name);
  DWORD size = 0;
  if (::RegQueryValueExW(opened.get(), wide.c_str(), nullptr, type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string data(size, '\0');
  if (::RegQueryValueExW(opened.get(), wide.c_str(), nullptr, type,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size);
  return data;
}

LONG WriteRaw(const std::string& key, const std::string& name, DWORD type,
              const std::string& bytes) {
  win32::RegistryKey created;
  LONG rc = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, created.put(), nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  return ::RegSetValueExW(created.get(), WideName(name).c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
}

}  // namespace

LONG SetValueA(const std::string& key, const std::string& name, DWORD type,
               std::string_view bytes) {
  win32::RegistryKey created;
  LONG rc = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, created.put(), nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  // For a string type whose last counted byte is not NUL, RegSetValueExA
  // counts one byte more if that byte is NUL (NT does, and Wine after it). A
  // byte that is not NUL behind the data keeps it exactly as given.
  std::string data(bytes);
  data.push_back('X');
  return ::RegSetValueExA(created.get(), name.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(bytes.size()));
}

LONG SetStringW(const std::string& key, const std::string& name, const std::wstring& text) {
  win32::RegistryKey created;
  LONG rc = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, created.put(), nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  return ::RegSetValueExW(created.get(), WideName(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool KeyExists(const std::string& key) {
  win32::RegistryKey opened;
  return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, opened.put()) ==
         ERROR_SUCCESS;
}

DWORD StoredSize(const std::string& key, const std::string& name) {
  DWORD type = REG_NONE;
  const auto data = ReadRaw(key, name, &type);
  return data ? static_cast<DWORD>(data->size()) : 0;
}

ScratchKey::ScratchKey()
    : path_("SOFTWARE\\Varnock Windows Tests\\" + std::to_string(::GetCurrentProcessId())) {
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, path_.c_str());
  win32::RegistryKey created;
  ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    created.put(), nullptr);
}

ScratchKey::~ScratchKey() {
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, path_.c_str());
  ::RegDeleteKeyA(HKEY_LOCAL_MACHINE,
                  "SOFTWARE\\Varnock Windows Tests");  // if nothing else is in it
}

ValueGuard::ValueGuard(std::string key, std::string name)
    : key_(std::move(key)), name_(std::move(name)) {
  // Walk down the path to the first key that is not there.
  for (std::size_t end = 0; end != std::string::npos;) {
    end = key_.find('\\', end + 1);
    const std::string prefix = key_.substr(0, end);
    if (!KeyExists(prefix)) {
      first_missing_ = prefix;
      break;
    }
  }
  if (first_missing_.empty()) {
    DWORD type = REG_NONE;
    if (auto data = ReadRaw(key_, name_, &type)) saved_ = Saved{type, std::move(*data)};
  }
}

void ValueGuard::Remove() {
  if (!first_missing_.empty()) {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, first_missing_.c_str());
  } else {
    ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key_.c_str(), name_.c_str());
  }
}

LONG ValueGuard::SetString(const std::string& text) {
  return Set(REG_SZ, std::string_view(text.c_str(), text.size() + 1));
}

ValueGuard::~ValueGuard() {
  Remove();
  if (saved_) WriteRaw(key_, name_, saved_->type, saved_->data);
}

}  // namespace wintest
