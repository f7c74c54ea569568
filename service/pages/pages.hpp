#pragma once

#include "account.hpp"
#include "csv.hpp"
#include "layout.hpp"
#include "query.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace varnock::demo {

// What a form page needs after a submission: the values to show again and
// the outcome. Empty values mean "first visit".
struct FormView {
    Params values;
    std::optional<Feedback> feedback;
};

// Outside a session.
std::string login_page(std::string_view error);
std::string notice_page();
std::string error_page(int status);

// Work pages; each renders a complete document for the account.
std::string home_page(const Account& account);
std::string send_page(const Account& account, const FormView& form, bool announce_sent);
std::string import_page(const Account& account, const std::optional<NumberList>& result,
                        const std::optional<Feedback>& feedback);
std::string history_page(const Account& account);
std::string timed_page(const Account& account, const FormView& form);
std::string receive_page(const Account& account);
std::string state_page(const Account& account);
std::string card_page(const Account& account, const FormView& form);
std::string info_page(const Account& account);
std::string pay_page(const Account& account);
std::string checkout_page(const Account& account, const FormView& form, const std::optional<TopUp>& done);
std::string voucher_page(const Account& account);
std::string consume_page(const Account& account);
std::string password_page(const Account& account, const std::optional<Feedback>& feedback);
std::string setting_page(const Account& account, const FormView& form);

} // namespace varnock::demo
