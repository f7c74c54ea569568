// Every text the platform layers show the user, in one table a translator
// can work from: run-time errors, message boxes, and the browser's own words
// (its error pages, questions, context menu, find bar, downloads, printing).
// The windows' texts (captions, menus) are the program's, in windows/.
// "{}" in a text stands for the value Fill puts there.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace platform::texts {

// ----------------------------------------------------------- run-time errors
inline constexpr const char* kRuntimeError = "运行时错误";
inline constexpr const char* kObjectNotSet = "对象变量未设置";
inline constexpr const char* kFormNotLoaded = "窗体未加载";
inline constexpr const char* kUnknownError = "未知错误";
inline constexpr const char* kInvalidProcedureCall = "无效的过程调用或参数";
inline constexpr const char* kInvalidPropertyValue = "无效的属性值";
inline constexpr const char* kFileNotFound = "文件未找到: {}";
inline constexpr const char* kCannotStartProgram = "无法启动程序";
// A window or box asked for while an event was still being handled.
inline constexpr const char* kWaitInsideEvent = "不能在事件中等待用户：{}";
inline constexpr const char* kNoDisplay = "没有可用的图形显示（X11 或 Wayland）";

// ----------------------------------------------------------- message boxes
inline constexpr const char* kOk = "确定";
inline constexpr const char* kCancel = "取消";

// ----------------------------------------------------------- error pages
inline constexpr const char* kErrorPageTitle = "无法显示此页";
inline constexpr const char* kRetry = "重新加载";
inline constexpr const char* kRefusedHere = "此页面无法在本程序中显示。";
inline constexpr const char* kTooManyRedirects = "此网页重定向次数过多。";
inline constexpr const char* kBadCertificate = "此网站的安全证书有问题，连接已被阻止。";
inline constexpr const char* kUnreachable = "无法连接到服务器。请检查网络连接，或稍后再试。";
inline constexpr const char* kHttpSignIn =
    "此页面要求以 HTTP 身份验证登录（用户名和密码），本程序不提供这种登录方式。";
// A page stopped or gone: what happened, then that the session is kept (not
// before the login), then what can be done.
inline constexpr const char* kStoppedHeading = "此页已被停止";
inline constexpr const char* kStoppedHung = "此页面长时间没有响应，已被停止。";
inline constexpr const char* kStoppedDialogs = "此页面不停地弹出对话框，已被停止。";
inline constexpr const char* kStoppedPrinting = "此页面不停地要求打印，已被停止。";
inline constexpr const char* kCrashedHeading = "页面已停止响应";
inline constexpr const char* kCrashed = "显示此页面的进程意外结束。";
inline constexpr const char* kSessionKept = "您的登录状态不受影响，";
inline constexpr const char* kReloadable = "可以重新加载此页。";

// ----------------------------------------------------------- the page's questions
inline constexpr const char* kPageDialogTitle = "来自网页的消息";
inline constexpr const char* kLeavePage = "确实要离开此页吗？";
inline constexpr const char* kResubmit =
    "此页面是提交表单的结果。重新加载将再次提交表单（例如再次发送短信）。\n确定要再次提交吗？";
inline constexpr const char* kHungQuestion = "此页没有响应";
inline constexpr const char* kHungWait = "等待";
inline constexpr const char* kHungStop = "停止此页";

// ----------------------------------------------------------- links and windows of the page
inline constexpr const char* kOpenWith = "用“{}”打开此链接？";
inline constexpr const char* kNoProgram = "没有可以打开此链接（{}:）的程序。";
inline constexpr const char* kCannotOpen = "无法打开此链接：{}";
// A pop-up's caption: says that it is a page and where from.
inline constexpr const char* kWebPageCaption = "网页 - {}";
inline constexpr const char* kUntitled = "无标题";

// ----------------------------------------------------------- find bar
inline constexpr const char* kFindPlaceholder = "在页面中查找";
inline constexpr const char* kFindPrevious = "上一个";
inline constexpr const char* kFindNext = "下一个";
inline constexpr const char* kFindClose = "关闭";
inline constexpr const char* kMatches = "{} 个匹配";
inline constexpr const char* kNotFound = "未找到";

// ----------------------------------------------------------- downloads, printing
inline constexpr const char* kDownloads = "下载";
inline constexpr const char* kDownloaded = "已下载 {}";
inline constexpr const char* kSaveFile = "保存文件";
inline constexpr const char* kSave = "保存";
inline constexpr const char* kDownloadFailed = "下载失败：{}\n文件未保存。";
inline constexpr const char* kCannotSave = "无法保存文件 {}：{}";
inline constexpr const char* kPrint = "打印";

// ----------------------------------------------------------- the page's context menu
inline constexpr const char* kOpenLink = "打开链接";
inline constexpr const char* kOpenLinkInNewWindow = "在新窗口中打开链接";
inline constexpr const char* kSaveLinkAs = "链接另存为…";
inline constexpr const char* kCopyLinkAddress = "复制链接地址";
inline constexpr const char* kOpenImageInNewWindow = "在新窗口中打开图片";
inline constexpr const char* kSaveImageAs = "图片另存为…";
inline constexpr const char* kCopyImage = "复制图片";
inline constexpr const char* kCopyImageAddress = "复制图片地址";
inline constexpr const char* kOpenFrameInNewWindow = "在新窗口中打开框架";
inline constexpr const char* kBack = "后退";
inline constexpr const char* kForward = "前进";
inline constexpr const char* kStop = "停止";
inline constexpr const char* kReload = "重新加载";
inline constexpr const char* kCopy = "复制";
inline constexpr const char* kCut = "剪切";
inline constexpr const char* kPaste = "粘贴";
inline constexpr const char* kPasteAsPlainText = "粘贴为纯文本";
inline constexpr const char* kDelete = "删除";
inline constexpr const char* kSelectAll = "全选";
inline constexpr const char* kInsertEmoji = "插入表情符号";

// `text` with its "{}" replaced by `values`, in order; a value's own "{}"
// stays as it is.
inline std::string Fill(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  auto value = values.begin();
  std::size_t from = 0;
  for (std::size_t at; value != values.end() && (at = text.find("{}", from)) != std::string_view::npos; ++value) {
    out.append(text.substr(from, at - from)).append(*value);
    from = at + 2;
  }
  out.append(text.substr(from));
  return out;
}
inline std::string Fill(std::string_view text, std::string_view value) { return Fill(text, {value}); }

}  // namespace platform::texts
