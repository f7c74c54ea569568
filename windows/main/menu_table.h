// The main window's menu bar: four drop-down menus and their items, in
// display order, with the page key each page command opens.
#pragma once

#include <array>
#include <string_view>

namespace windows {

enum class MenuCommand {
  None,   // a menu title or the separator
  Page,   // navigates the browser to the base address + page key
  Exit,   // the exit command
  About,  // shows the About box
};

struct MenuEntry {
  std::string_view name;
  std::string_view caption;  // "&" marks the access key; "-" is a separator
  std::string_view parent;   // empty: a title on the menu bar
  MenuCommand command;
  std::string_view page_key;
};

inline constexpr std::array<MenuEntry, 22> kMenuTable{{
    {"mnSms", "短信管理(&M)", "", MenuCommand::None, ""},
    {"mnSend", "名片发送(&S)", "mnSms", MenuCommand::Page, "?ac=send"},
    {"mnImport", "导入发送(&I)", "mnSms", MenuCommand::Page, "?ac=sends&fun=import"},
    {"mnHistory", "发送记录(&H)", "mnSms", MenuCommand::Page, "?ac=history"},
    {"mnTime", "定时短信(&T)", "mnSms", MenuCommand::Page, "?ac=time"},
    {"mnReceive", "短信互动", "mnSms", MenuCommand::Page, "?ac=receive"},
    {"mnState", "短信状态", "mnSms", MenuCommand::Page, "?ac=state"},
    {"mnCustomer", "客户管理(&C)", "", MenuCommand::None, ""},
    {"mnCard", "名片管理(&C)", "mnCustomer", MenuCommand::Page, "?ac=card"},
    {"mnCardIO", "客户资料备份", "mnCustomer", MenuCommand::Page, "?ac=card_io&fun=export"},
    {"mnUser", "账户管理(&U)", "", MenuCommand::None, ""},
    {"mnUserinfo", "账户信息(&U)", "mnUser", MenuCommand::Page, "?info"},
    {"mnPay", "在线充值", "mnUser", MenuCommand::Page, "?ac=pay"},
    {"mnVoucher", "充值记录查询", "mnUser", MenuCommand::Page, "?ac=voucher"},
    {"mnConsume", "消费记录查询", "mnUser", MenuCommand::Page, "?ac=consume"},
    {"mnEditpwd", "修改密码", "mnUser", MenuCommand::Page, "?fun=edit"},
    {"mnSystem", "系统(&S)", "", MenuCommand::None, ""},
    {"mnSetting", "系统设置(&S)", "mnSystem", MenuCommand::Page, "?ac=setting"},
    {"mnAlert", "设置提醒", "mnSystem", MenuCommand::Page, "?ac=setting"},
    {"mnExit", "退出", "mnSystem", MenuCommand::Exit, ""},
    {"mnLine", "-", "mnSystem", MenuCommand::None, ""},
    {"mnAbout", "关于", "mnSystem", MenuCommand::About, ""},
}};

const MenuEntry* FindMenuEntry(std::string_view name);

}  // namespace windows
