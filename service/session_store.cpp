#include "session_store.hpp"

#include <cstdint>
#include <iterator>

namespace varnock::demo {

SessionStore::SessionStore(std::chrono::seconds idle, SteadyClock clock)
    : idle_(idle), clock_(std::move(clock)) {}

std::string SessionStore::create(const std::string& account) {
    std::lock_guard lock(mutex_);
    const auto now = clock_();
    purge(now);
    std::string id = new_id();
    while (sessions_.contains(id))
        id = new_id();
    sessions_.emplace(id, Entry{account, now});
    return id;
}

std::optional<std::string> SessionStore::touch(const std::string& id) {
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(id);
    if (found == sessions_.end())
        return std::nullopt;
    const auto now = clock_();
    if (expired(found->second, now)) {
        sessions_.erase(found);
        return std::nullopt;
    }
    found->second.last_seen = now;
    return found->second.account;
}

void SessionStore::remove(const std::string& id) {
    std::lock_guard lock(mutex_);
    sessions_.erase(id);
}

std::size_t SessionStore::live_count() {
    std::lock_guard lock(mutex_);
    purge(clock_());
    return sessions_.size();
}

bool SessionStore::expired(const Entry& entry, std::chrono::steady_clock::time_point now) const {
    return now - entry.last_seen >= idle_;
}

void SessionStore::purge(std::chrono::steady_clock::time_point now) {
    std::erase_if(sessions_, [&](const auto& item) { return expired(item.second, now); });
}

std::string SessionStore::new_id() {
    static constexpr char digits[] = "0123456789abcdef";
    std::string id;
    id.reserve(32);
    for (int word = 0; word < 4; ++word) {
        std::uint32_t bits = random_();
        for (int nibble = 0; nibble < 8; ++nibble) {
            id.push_back(digits[bits & 0xF]);
            bits >>= 4;
        }
    }
    return id;
}

} // namespace varnock::demo
