#include "platform/win32/webview2/webview2_loader.h"

#include <utility>

#include "platform/win32/utf16.h"

namespace platform::win32 {
namespace {

using CreateEnvironment = HRESULT(STDAPICALLTYPE*)(PCWSTR, PCWSTR, ICoreWebView2EnvironmentOptions*,
                                                   ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);
using GetVersion = HRESULT(STDAPICALLTYPE*)(PCWSTR, LPWSTR*);

class Library {
 public:
  explicit Library(const wchar_t* name) : module_(LoadLibraryW(name)) {}
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  template <class F>
  F Find(const char* symbol) const {
    return module_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, symbol))) : nullptr;
  }

 private:
  HMODULE module_;
};

// Kept loaded for the program's run once asked for: the environments it
// creates live in it. A function-local static, made on first use.
const Library& Loader() {
  static const Library loader(L"WebView2Loader.dll");
  return loader;
}

}  // namespace

std::optional<std::string> WebView2RuntimeVersion() {
  auto get = Loader().Find<GetVersion>("GetAvailableCoreWebView2BrowserVersionString");
  if (get == nullptr) return std::nullopt;
  LPWSTR version = nullptr;
  const HRESULT result = get(nullptr, &version);
  std::optional<std::string> found;
  if (SUCCEEDED(result) && version != nullptr && *version != L'\0') found = ::win32::Narrow(version);
  CoTaskMemFree(version);
  return found;
}

HRESULT CreateWebView2Environment(const std::wstring& user_data_folder,
                                  ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
  auto create = Loader().Find<CreateEnvironment>("CreateCoreWebView2EnvironmentWithOptions");
  if (create == nullptr) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  return create(nullptr, user_data_folder.empty() ? nullptr : user_data_folder.c_str(), nullptr, handler);
}

}  // namespace platform::win32
