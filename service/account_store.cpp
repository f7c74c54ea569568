#include "account_store.hpp"

#include "text.hpp"

#include <algorithm>
#include <stdexcept>

namespace varnock::demo {

int count_segments(std::string_view text) {
    const auto length = static_cast<int>(count_code_points(text));
    if (length <= 70)
        return 1;
    return (length + 66) / 67;
}

AccountStore::AccountStore(WallClock clock) : clock_(std::move(clock)) {}

void AccountStore::add(Account account) {
    std::lock_guard lock(mutex_);
    std::string name = account.name;
    accounts_.insert_or_assign(std::move(name), std::move(account));
}

bool AccountStore::verify(const std::string& name, const std::string& password) {
    std::lock_guard lock(mutex_);
    const auto found = accounts_.find(name);
    return found != accounts_.end() && found->second.password == password;
}

std::optional<Account> AccountStore::snapshot(const std::string& name) {
    std::lock_guard lock(mutex_);
    const auto found = accounts_.find(name);
    if (found == accounts_.end())
        return std::nullopt;
    return found->second;
}

SendOutcome AccountStore::send(const std::string& name, const std::vector<std::string>& numbers,
                               const std::string& text) {
    std::lock_guard lock(mutex_);
    Account& account = at(name);
    SendOutcome outcome;
    std::string full_text = text;
    if (!account.settings.signature.empty())
        full_text = "【" + account.settings.signature + "】" + text;
    const int segments = count_segments(full_text);
    const auto units = static_cast<Fen>(segments) * static_cast<Fen>(numbers.size());
    outcome.cost = units * account.price;
    if (outcome.cost > account.balance) {
        outcome.status = SendOutcome::Status::InsufficientBalance;
        outcome.balance = account.balance;
        return outcome;
    }

    const auto now = clock_();
    account.balance -= outcome.cost;
    SentMessage message{account.next_message_id++, format_second(now), numbers, full_text, segments, outcome.cost};
    for (const auto& number : numbers)
        account.deliveries.push_back({message.id, number, "成功", format_second(now)});
    account.charges.push_back({format_second(now),
                               "短信发送（" + std::to_string(numbers.size()) + " 个号码）",
                               static_cast<int>(units), outcome.cost, account.balance});
    account.sent.push_back(message);

    outcome.message = std::move(message);
    outcome.balance = account.balance;
    outcome.below_reminder = account.settings.reminder_enabled && account.balance < account.settings.reminder_below;
    return outcome;
}

bool AccountStore::add_contact(const std::string& name, Contact contact) {
    std::lock_guard lock(mutex_);
    Account& account = at(name);
    const bool taken = std::any_of(account.contacts.begin(), account.contacts.end(),
                                   [&](const Contact& c) { return c.mobile == contact.mobile; });
    if (taken)
        return false;
    account.contacts.push_back(std::move(contact));
    return true;
}

void AccountStore::set_imported(const std::string& name, std::vector<std::string> numbers) {
    std::lock_guard lock(mutex_);
    at(name).imported = std::move(numbers);
}

TimedMessage AccountStore::schedule(const std::string& name, std::string send_at, std::vector<std::string> numbers,
                                    std::string text) {
    std::lock_guard lock(mutex_);
    Account& account = at(name);
    TimedMessage timed{account.next_message_id++, std::move(send_at), std::move(numbers), std::move(text), "等待发送"};
    account.timed.push_back(timed);
    return timed;
}

TopUp AccountStore::top_up(const std::string& name, Fen amount, std::string method) {
    std::lock_guard lock(mutex_);
    Account& account = at(name);
    const auto now = clock_();
    std::string sequence = std::to_string(account.top_ups.size() + 1);
    sequence.insert(0, sequence.size() < 3 ? 3 - sequence.size() : 0, '0');
    TopUp top_up{"VN" + format_compact(now) + sequence, format_second(now), amount, std::move(method), "已到账"};
    account.balance += amount;
    account.top_ups.push_back(top_up);
    return top_up;
}

bool AccountStore::change_password(const std::string& name, const std::string& old_password,
                                   std::string new_password) {
    std::lock_guard lock(mutex_);
    Account& account = at(name);
    if (account.password != old_password)
        return false;
    account.password = std::move(new_password);
    return true;
}

void AccountStore::save_settings(const std::string& name, Settings settings) {
    std::lock_guard lock(mutex_);
    at(name).settings = std::move(settings);
}

Account& AccountStore::at(const std::string& name) {
    const auto found = accounts_.find(name);
    if (found == accounts_.end())
        throw std::out_of_range("unknown account: " + name);
    return found->second;
}

} // namespace varnock::demo
