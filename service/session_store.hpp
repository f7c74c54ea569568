#pragma once

#include "clock.hpp"

#include <chrono>
#include <cstddef>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>

namespace varnock::demo {

// Server-side sessions keyed by an unguessable id. Shared by both listening
// sockets, hence the lock.
class SessionStore {
public:
    SessionStore(std::chrono::seconds idle, SteadyClock clock);

    // Starts a session for the account and returns its id (32 hex digits).
    std::string create(const std::string& account);
    // The session's account, refreshing its idle timer; nothing if unknown or expired.
    std::optional<std::string> touch(const std::string& id);
    void remove(const std::string& id);
    std::size_t live_count();

private:
    struct Entry {
        std::string account;
        std::chrono::steady_clock::time_point last_seen;
    };

    bool expired(const Entry& entry, std::chrono::steady_clock::time_point now) const;
    void purge(std::chrono::steady_clock::time_point now);
    std::string new_id();

    const std::chrono::seconds idle_;
    const SteadyClock clock_;
    std::mutex mutex_;
    std::random_device random_;
    std::unordered_map<std::string, Entry> sessions_;
};

} // namespace varnock::demo
