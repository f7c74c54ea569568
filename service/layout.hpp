#pragma once

#include "page_key.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnock::demo {

// Outcome of a form submission, shown above the form.
struct Feedback {
    enum class Kind { Success, Error };
    Kind kind = Kind::Success;
    std::vector<std::string> lines; // plain text, escaped when rendered

    static Feedback success(std::string line) { return {Kind::Success, {std::move(line)}}; }
    static Feedback error(std::string line) { return {Kind::Error, {std::move(line)}}; }
};

std::string feedback_box(const std::optional<Feedback>& feedback);

// "<page name> - Varnock短信平台"
std::string page_title(std::string_view page_name);

struct WorkPage {
    PageId page = PageId::Home;
    std::string account;
    std::string body;        // trusted HTML built by the page renderers
    std::string head_extra;  // e.g. a print stylesheet
    std::string script;      // inline script run by the page
    bool with_menu = true;   // the payment pop-up goes without the menu
};

// A signed-in page: header with account and logout link, menu, content.
std::string render_work_page(const WorkPage& page);
// A page outside a session (login, notices, errors).
std::string render_bare_page(std::string_view title, std::string_view body);

} // namespace varnock::demo
