#include "routes.hpp"

#include "cookies.hpp"
#include "csv.hpp"
#include "demo_data.hpp"
#include "forms.hpp"
#include "pages/pages.hpp"
#include "text.hpp"

#include <stdexcept>

namespace varnock::demo {
namespace {

constexpr const char* html_type = "text/html; charset=utf-8";
constexpr std::string_view bad_login_flash = "badlogin";

void send_html(httplib::Response& response, const std::string& html, int status = 200) {
    response.status = status;
    response.set_content(html, html_type);
}

void send_error(httplib::Response& response, int status) {
    send_html(response, error_page(status), status);
}

// 303 so a redirected POST turns into a GET.
void redirect(httplib::Response& response, std::string_view target) {
    response.set_redirect(std::string(target), 303);
}

std::optional<std::string> request_cookie(const httplib::Request& request, std::string_view name) {
    const std::size_t count = request.get_header_value_count("Cookie");
    for (std::size_t i = 0; i < count; ++i)
        if (auto value = cookie_value(request.get_header_value("Cookie", i), name))
            return value;
    return std::nullopt;
}

// Form fields from a url-encoded or multipart body; nothing if malformed.
std::optional<Params> form_fields(const httplib::Request& request) {
    if (!request.is_multipart_form_data())
        return parse_urlencoded(request.body);
    Params fields;
    for (const auto& [name, part] : request.files) {
        if (!part.filename.empty())
            continue;
        if (!is_valid_utf8(part.content))
            return std::nullopt;
        fields.add(name, part.content);
    }
    return fields;
}

Feedback errors_feedback(std::vector<std::string> lines) {
    return {Feedback::Kind::Error, std::move(lines)};
}

std::string contacts_csv(const Account& account) {
    std::vector<CsvRow> rows{{"姓名", "手机", "公司"}};
    for (const auto& contact : account.contacts)
        rows.push_back({contact.name, contact.mobile, contact.company});
    return write_csv(rows);
}

} // namespace

Service::Service(ServiceConfig config)
    : config_(std::move(config)), sessions_(config_.session_idle, config_.steady_clock),
      accounts_(config_.wall_clock) {
    accounts_.add(demo_account(config_.wall_clock()));
}

std::string Service::session_label(const httplib::Request& request) {
    const auto session = current_session(request);
    return session ? session->id : "-";
}

std::optional<Service::Session> Service::current_session(const httplib::Request& request) {
    auto id = request_cookie(request, session_cookie_name);
    if (!id || id->empty())
        return std::nullopt;
    auto account = sessions_.touch(*id);
    if (!account)
        return std::nullopt;
    return Session{std::move(*id), std::move(*account)};
}

void Service::handle(const httplib::Request& request, httplib::Response& response) {
    response.set_header("Cache-Control", "no-store");
    response.set_header("X-Content-Type-Options", "nosniff");
    if (request.path != "/")
        return send_error(response, 404);
    const auto query = parse_urlencoded(query_of(request.target));
    if (!query)
        return send_error(response, 400);
    const PageId page = resolve_page(*query);
    if (page == PageId::Unknown)
        return send_error(response, 404);

    const bool is_post = request.method == "POST";
    if (!is_post && request.method != "GET" && request.method != "HEAD")
        return send_error(response, 405);

    switch (page) {
    case PageId::Root:
        return redirect(response, current_session(request) ? page_address(PageId::Home) : page_address(PageId::Login));
    case PageId::Login:
        return is_post ? log_in(request, response) : show_login(request, response);
    case PageId::Logout:
        return log_out(request, response);
    case PageId::Notice:
        return is_post ? send_error(response, 405) : send_html(response, notice_page());
    default:
        break;
    }

    const auto session = current_session(request);
    if (!session)
        return redirect(response, page_address(PageId::Login));
    const Account account = reload(session->account);
    if (is_post)
        submit_work_form(page, account, request, response);
    else
        show_work_page(page, account, response);
}

void Service::show_login(const httplib::Request& request, httplib::Response& response) {
    std::string_view message;
    if (const auto flash = request_cookie(request, flash_cookie_name)) {
        if (*flash == bad_login_flash)
            message = "用户名或密码错误";
        // Shown once: the next visit of the login page is clean again.
        response.set_header("Set-Cookie", expired_cookie(flash_cookie_name));
    }
    send_html(response, login_page(message));
}

void Service::log_in(const httplib::Request& request, httplib::Response& response) {
    const auto form = form_fields(request);
    if (!form || !form->has("user") || !form->has("password"))
        return send_error(response, 400);
    const std::string user(trim(form->value_or_empty("user")));
    if (!accounts_.verify(user, form->value_or_empty("password"))) {
        response.set_header("Set-Cookie", flash_cookie(bad_login_flash));
        return redirect(response, page_address(PageId::Login));
    }
    response.set_header("Set-Cookie", session_cookie(sessions_.create(user)));
    redirect(response, page_address(PageId::Home));
}

void Service::log_out(const httplib::Request& request, httplib::Response& response) {
    if (const auto id = request_cookie(request, session_cookie_name))
        sessions_.remove(*id);
    response.set_header("Set-Cookie", expired_cookie(session_cookie_name));
    redirect(response, page_address(PageId::Login));
}

Account Service::reload(const std::string& name) {
    auto account = accounts_.snapshot(name);
    if (!account)
        throw std::runtime_error("session refers to unknown account " + name);
    return std::move(*account);
}

void Service::show_work_page(PageId page, const Account& account, httplib::Response& response) {
    switch (page) {
    case PageId::Home: return send_html(response, home_page(account));
    case PageId::Send: return send_html(response, send_page(account, {}, false));
    case PageId::ImportSend: return send_html(response, import_page(account, std::nullopt, std::nullopt));
    case PageId::History: return send_html(response, history_page(account));
    case PageId::Timed: return send_html(response, timed_page(account, {}));
    case PageId::Receive: return send_html(response, receive_page(account));
    case PageId::State: return send_html(response, state_page(account));
    case PageId::Card: return send_html(response, card_page(account, {}));
    case PageId::Info: return send_html(response, info_page(account));
    case PageId::Pay: return send_html(response, pay_page(account));
    case PageId::Checkout: return send_html(response, checkout_page(account, {}, std::nullopt));
    case PageId::Voucher: return send_html(response, voucher_page(account));
    case PageId::Consume: return send_html(response, consume_page(account));
    case PageId::Password: return send_html(response, password_page(account, std::nullopt));
    case PageId::Setting: return send_html(response, setting_page(account, {}));
    case PageId::ContactExport:
        response.set_header("Content-Disposition", "attachment; filename=\"contacts.csv\"");
        response.set_content(contacts_csv(account), "text/csv; charset=utf-8");
        return;
    default:
        return send_error(response, 404);
    }
}

void Service::submit_work_form(PageId page, const Account& account, const httplib::Request& request,
                               httplib::Response& response) {
    if (page == PageId::ImportSend)
        return import_numbers(account, request, response);
    using Submit = std::string (Service::*)(const Account&, const Params&);
    Submit submit = nullptr;
    switch (page) {
    case PageId::Send: submit = &Service::submit_send; break;
    case PageId::Timed: submit = &Service::submit_timed; break;
    case PageId::Card: submit = &Service::submit_contact; break;
    case PageId::Checkout: submit = &Service::submit_checkout; break;
    case PageId::Password: submit = &Service::submit_password; break;
    case PageId::Setting: submit = &Service::submit_settings; break;
    default: return send_error(response, 405);
    }
    const auto form = form_fields(request);
    if (!form)
        return send_error(response, 400);
    send_html(response, (this->*submit)(account, *form));
}

std::string Service::submit_send(const Account& account, const Params& form) {
    const auto checked = check_message_form(form);
    if (!checked.value)
        return send_page(account, {form, errors_feedback(checked.errors)}, false);
    const auto outcome = accounts_.send(account.name, checked.value->numbers, checked.value->text);
    if (outcome.status == SendOutcome::Status::InsufficientBalance) {
        const auto error = Feedback::error("余额不足：本次需要 " + format_yuan(outcome.cost) + " 元，当前余额 " +
                                           format_yuan(outcome.balance) + " 元，请先充值。");
        return send_page(account, {form, error}, false);
    }
    auto done = Feedback::success("发送成功：" + std::to_string(outcome.message.numbers.size()) + " 个号码，每号 " +
                                  std::to_string(outcome.message.segments) + " 条，扣费 " + format_yuan(outcome.cost) +
                                  " 元，余额 " + format_yuan(outcome.balance) + " 元。");
    if (outcome.below_reminder)
        done.lines.push_back("余额已低于提醒值，请及时充值。");
    return send_page(reload(account.name), {{}, done}, true);
}

std::string Service::submit_timed(const Account& account, const Params& form) {
    const auto checked = check_timed_form(form, format_minute(config_.wall_clock()));
    if (!checked.value)
        return timed_page(account, {form, errors_feedback(checked.errors)});
    const auto& timed = *checked.value;
    accounts_.schedule(account.name, timed.send_at, timed.message.numbers, timed.message.text);
    return timed_page(reload(account.name),
                      {{}, Feedback::success("已添加定时短信，将于 " + timed.send_at + " 发送。")});
}

std::string Service::submit_contact(const Account& account, const Params& form) {
    auto checked = check_contact_form(form);
    if (!checked.value)
        return card_page(account, {form, errors_feedback(checked.errors)});
    const std::string added = checked.value->name;
    if (!accounts_.add_contact(account.name, std::move(*checked.value)))
        return card_page(account, {form, Feedback::error("该手机号码已在名片中")});
    return card_page(reload(account.name), {{}, Feedback::success("已添加名片：" + added)});
}

std::string Service::submit_checkout(const Account& account, const Params& form) {
    const auto checked = check_top_up_form(form);
    if (!checked.value)
        return checkout_page(account, {form, errors_feedback(checked.errors)}, std::nullopt);
    const TopUp done = accounts_.top_up(account.name, checked.value->amount, checked.value->method);
    return checkout_page(reload(account.name), {}, done);
}

std::string Service::submit_password(const Account& account, const Params& form) {
    const auto checked = check_password_form(form);
    if (!checked.value)
        return password_page(account, errors_feedback(checked.errors));
    if (!accounts_.change_password(account.name, checked.value->old_password, checked.value->new_password))
        return password_page(account, Feedback::error("原密码不正确"));
    return password_page(account, Feedback::success("密码已修改，下次登录请使用新密码。"));
}

std::string Service::submit_settings(const Account& account, const Params& form) {
    const auto checked = check_settings_form(form);
    if (!checked.value)
        return setting_page(account, {form, errors_feedback(checked.errors)});
    accounts_.save_settings(account.name, *checked.value);
    return setting_page(reload(account.name), {{}, Feedback::success("设置已保存。")});
}

void Service::import_numbers(const Account& account, const httplib::Request& request, httplib::Response& response) {
    const auto fail = [&](std::string message) {
        send_html(response, import_page(account, std::nullopt, Feedback::error(std::move(message))));
    };
    if (!request.is_multipart_form_data() || !request.has_file("list"))
        return fail("请选择要导入的 CSV 文件");
    const auto file = request.get_file_value("list");
    if (trim(file.content).empty())
        return fail("上传的文件是空的");

    NumberList list = read_number_list(file.content);
    if (list.numbers.empty()) {
        const auto feedback = Feedback::error("文件中没有有效的手机号码，原有号码列表未改变。");
        return send_html(response, import_page(account, list, feedback));
    }
    accounts_.set_imported(account.name, list.numbers);
    const auto feedback = Feedback::success("成功导入 " + std::to_string(list.numbers.size()) + " 个号码。");
    send_html(response, import_page(reload(account.name), list, feedback));
}

} // namespace varnock::demo
