#pragma once

#include "money.hpp"

#include <string>
#include <vector>

namespace varnock::demo {

struct Contact {
    std::string name;
    std::string mobile;
    std::string company;
};

struct SentMessage {
    int id = 0;
    std::string time;
    std::vector<std::string> numbers;
    std::string text; // as sent, signature included
    int segments = 1; // billing units per number
    Fen cost = 0;
};

struct Reply {
    std::string time;
    std::string from;
    std::string text;
};

struct Delivery {
    int message_id = 0;
    std::string mobile;
    std::string state; // 成功 / 失败 / 等待回执
    std::string time;
};

struct TimedMessage {
    int id = 0;
    std::string send_at; // "YYYY-MM-DD HH:MM"
    std::vector<std::string> numbers;
    std::string text;
    std::string status; // 等待发送 / 已发送
};

struct TopUp {
    std::string order_no;
    std::string time;
    Fen amount = 0;
    std::string method;
    std::string status; // 已到账
};

struct Charge {
    std::string time;
    std::string item;
    int units = 0;
    Fen amount = 0;
    Fen balance_after = 0;
};

struct Settings {
    std::string signature;          // prefixed as 【signature】 to every message
    bool reminder_enabled = false;  // warn when the balance falls below the threshold
    Fen reminder_below = 0;
    std::string reminder_mobile;
};

// Everything the service keeps for one account; copies are handed to the pages.
struct Account {
    std::string name;
    std::string password;
    std::string company;
    std::string created;
    Fen balance = 0;
    Fen price = 5; // per message segment
    std::vector<Contact> contacts;
    std::vector<SentMessage> sent;
    std::vector<Reply> replies;
    std::vector<Delivery> deliveries;
    std::vector<TimedMessage> timed;
    std::vector<TopUp> top_ups;
    std::vector<Charge> charges;
    std::vector<std::string> imported; // the last imported number list
    Settings settings;
    int next_message_id = 1;
};

} // namespace varnock::demo
