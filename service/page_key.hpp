#pragma once

#include "query.hpp"

#include <string_view>

namespace varnock::demo {

// Every page is a query on "/"; this names them.
enum class PageId {
    Root, // "/" with no query
    Login,
    Logout,
    Notice,
    Home,
    Send,
    ImportSend,
    History,
    Timed,
    Receive,
    State,
    Card,
    ContactExport,
    Info,
    Pay,
    Checkout,
    Voucher,
    Consume,
    Password,
    Setting,
    Unknown,
};

PageId resolve_page(const Params& query);
// The address the client opens for the page, e.g. "/?ac=sends&fun=import".
std::string_view page_address(PageId page);
// The page's name as shown in titles and the menu.
std::string_view page_name(PageId page);
bool needs_session(PageId page);

} // namespace varnock::demo
