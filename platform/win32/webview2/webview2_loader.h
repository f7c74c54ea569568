// WebView2's loader, WebView2Loader.dll beside the program, loaded when
// first needed: a program without it (or a Windows without the WebView2
// runtime) still starts, and can say that the runtime is missing.
#pragma once

#include <optional>
#include <string>

#include "platform/win32/webview2/webview2_sdk.h"

namespace platform::win32 {

// The version of the WebView2 runtime the loader would use, or nothing
// when the loader or the runtime is missing.
std::optional<std::string> WebView2RuntimeVersion();

// CreateCoreWebView2EnvironmentWithOptions, through the loader: the
// installed runtime, the given user data folder, no options. Fails with
// HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) when the loader is missing.
HRESULT CreateWebView2Environment(const std::wstring& user_data_folder,
                                  ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

}  // namespace platform::win32
