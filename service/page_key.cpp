#include "page_key.hpp"

#include <array>

namespace varnock::demo {
namespace {

struct PageEntry {
    PageId id;
    std::string_view ac;  // empty: the page has no "ac"
    std::string_view fun; // empty: the page has no "fun"
    std::string_view address;
    std::string_view name;
};

// "?info" is the one page keyed by a bare parameter; it is handled apart.
constexpr std::array pages{
    PageEntry{PageId::Login, "", "login", "/?fun=login", "用户登录"},
    PageEntry{PageId::Logout, "", "logout", "/?fun=logout", "退出登录"},
    PageEntry{PageId::Notice, "", "notice", "/?fun=notice", "平台公告"},
    PageEntry{PageId::Password, "", "edit", "/?fun=edit", "修改密码"},
    PageEntry{PageId::Home, "home", "", "/?ac=home", "工作台"},
    PageEntry{PageId::Send, "send", "", "/?ac=send", "名片发送"},
    PageEntry{PageId::ImportSend, "sends", "import", "/?ac=sends&fun=import", "导入发送"},
    PageEntry{PageId::History, "history", "", "/?ac=history", "发送记录"},
    PageEntry{PageId::Timed, "time", "", "/?ac=time", "定时短信"},
    PageEntry{PageId::Receive, "receive", "", "/?ac=receive", "短信互动"},
    PageEntry{PageId::State, "state", "", "/?ac=state", "短信状态"},
    PageEntry{PageId::Card, "card", "", "/?ac=card", "名片管理"},
    PageEntry{PageId::ContactExport, "card_io", "export", "/?ac=card_io&fun=export", "客户资料备份"},
    PageEntry{PageId::Pay, "pay", "", "/?ac=pay", "在线充值"},
    PageEntry{PageId::Checkout, "pay", "checkout", "/?ac=pay&fun=checkout", "支付"},
    PageEntry{PageId::Voucher, "voucher", "", "/?ac=voucher", "充值记录查询"},
    PageEntry{PageId::Consume, "consume", "", "/?ac=consume", "消费记录查询"},
    PageEntry{PageId::Setting, "setting", "", "/?ac=setting", "系统设置"},
};

const PageEntry* entry_for(PageId id) {
    for (const auto& entry : pages)
        if (entry.id == id)
            return &entry;
    return nullptr;
}

} // namespace

PageId resolve_page(const Params& query) {
    const auto ac = query.get("ac");
    const std::string fun = query.value_or_empty("fun");
    if (ac || !fun.empty()) {
        const std::string_view wanted_ac = ac ? std::string_view(*ac) : std::string_view{};
        for (const auto& entry : pages)
            if (entry.ac == wanted_ac && entry.fun == fun)
                return entry.id;
        return PageId::Unknown;
    }
    if (query.has("info"))
        return PageId::Info;
    return query.empty() ? PageId::Root : PageId::Unknown;
}

std::string_view page_address(PageId page) {
    if (page == PageId::Info)
        return "/?info";
    if (const auto* entry = entry_for(page))
        return entry->address;
    return "/";
}

std::string_view page_name(PageId page) {
    if (page == PageId::Info)
        return "账户信息";
    if (const auto* entry = entry_for(page))
        return entry->name;
    return "Varnock短信平台";
}

bool needs_session(PageId page) {
    switch (page) {
    case PageId::Root:
    case PageId::Login:
    case PageId::Logout:
    case PageId::Notice:
    case PageId::Unknown:
        return false;
    default:
        return true;
    }
}

} // namespace varnock::demo
