#include "platform/browser/error_page.h"

#include "platform/browser/page_load.h"
#include "platform/texts.h"

namespace platform::browser {

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

const char* FailureText(LoadFailure failure) {
  switch (failure) {
    case LoadFailure::Refused: return texts::kRefusedHere;
    case LoadFailure::TooManyRedirects: return texts::kTooManyRedirects;
    case LoadFailure::Certificate: return texts::kBadCertificate;
    case LoadFailure::Superseded:
    case LoadFailure::Unreachable: break;
  }
  return texts::kUnreachable;
}

std::string ErrorPageHtml(std::string_view heading, std::string_view detail,
                          std::string_view retry_uri) {
  std::string html =
      "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
      "<title>";
  html += EscapeHtml(texts::kErrorPageTitle);
  html +=
      "</title><style>"
      "body{font-family:sans-serif;background:#f4f5f7;color:#222;margin:0}"
      ".box{max-width:34em;margin:3em auto;padding:1.5em 2em;background:#fff;"
      "border:1px solid #d6d9de;border-radius:4px}"
      "h1{font-size:1.25em;margin:0 0 .6em}p{line-height:1.6;margin:.4em 0}"
      ".addr{color:#666;word-break:break-all;font-size:.9em}"
      "a.retry{display:inline-block;margin-top:1em;padding:.45em 1.4em;background:#2f6fd0;"
      "color:#fff;text-decoration:none;border-radius:3px}"
      "</style></head><body><div class=\"box\"><h1>";
  html += EscapeHtml(heading);
  html += "</h1><p>";
  html += EscapeHtml(detail);
  html += "</p><p class=\"addr\">";
  html += EscapeHtml(retry_uri);
  html += "</p><a class=\"retry\" id=\"retry\" href=\"";
  html += EscapeHtml(retry_uri);
  html += "\">";
  html += EscapeHtml(texts::kRetry);
  html += "</a></div></body></html>";
  return html;
}

}  // namespace platform::browser
