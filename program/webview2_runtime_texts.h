// What the Windows client and its installer say when the WebView2 runtime,
// which shows the service's pages, is missing. Windows 10 and 11 come with
// it; an older or stripped system may lack it.
#pragma once

namespace program {

inline constexpr const char* kNoWebView2Runtime =
    "这台计算机上没有安装 Microsoft Edge WebView2 运行时，本程序需要它来显示服务的页面。\n\n"
    "请从微软网站下载并安装“Microsoft Edge WebView2 运行时”（常青版）：\n"
    "https://go.microsoft.com/fwlink/p/?LinkId=2124703\n\n"
    "安装完成后，请重新启动本程序。";

// The installer goes on without it: the runtime may be deployed separately.
// [ProductName] is filled in by Windows Installer.
inline constexpr const wchar_t* kSetupNoWebView2Runtime =
    L"这台计算机上没有安装 Microsoft Edge WebView2 运行时，[ProductName] 需要它来显示服务的页面。\n\n"
    L"安装将继续。请另行从微软网站下载并安装“Microsoft Edge WebView2 运行时”（常青版）：\n"
    L"https://go.microsoft.com/fwlink/p/?LinkId=2124703";

}  // namespace program
