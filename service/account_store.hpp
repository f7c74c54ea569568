#pragma once

#include "account.hpp"
#include "clock.hpp"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnock::demo {

// Billing units for one message: 70 characters fit one, longer texts are
// split into parts of 67.
int count_segments(std::string_view text);

struct SendOutcome {
    enum class Status { Sent, InsufficientBalance };
    Status status = Status::Sent;
    SentMessage message; // when sent
    Fen cost = 0;        // what it costs (or would have cost)
    Fen balance = 0;     // balance afterwards
    bool below_reminder = false; // the balance fell under the reminder threshold
};

// In-memory data of every account, shared by all requests.
class AccountStore {
public:
    explicit AccountStore(WallClock clock);

    void add(Account account);
    bool verify(const std::string& name, const std::string& password);
    // A copy for rendering; nothing for an unknown account.
    std::optional<Account> snapshot(const std::string& name);

    // Numbers must already be valid and unique.
    SendOutcome send(const std::string& name, const std::vector<std::string>& numbers, const std::string& text);
    bool add_contact(const std::string& name, Contact contact); // false: mobile already listed
    void set_imported(const std::string& name, std::vector<std::string> numbers);
    TimedMessage schedule(const std::string& name, std::string send_at, std::vector<std::string> numbers,
                          std::string text);
    TopUp top_up(const std::string& name, Fen amount, std::string method);
    bool change_password(const std::string& name, const std::string& old_password, std::string new_password);
    void save_settings(const std::string& name, Settings settings);

private:
    Account& at(const std::string& name); // caller holds the lock

    const WallClock clock_;
    std::mutex mutex_;
    std::map<std::string, Account> accounts_;
};

} // namespace varnock::demo
