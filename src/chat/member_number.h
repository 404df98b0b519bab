// The number a group chat's header line shows after a member's name: "10001" of
// "阿明(10001)". A member keeps it when they change their name in the group, so it tells
// the member where it is shown.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace parlowen::chat {

// The ASCII digits in the brackets that end `name` as a header line writes it; empty
// where there are none.
inline std::string MemberNumber(std::string_view name) {
    if (!name.ends_with(')')) return {};
    const std::size_t open = name.rfind('(');
    if (open == std::string_view::npos || open + 2 >= name.size()) return {};
    const std::string_view digits = name.substr(open + 1, name.size() - open - 2);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return {};
    return std::string(digits);
}

// How a member shown with a number is kept: the name spoken, and the number after it.
inline std::string NumberedName(std::string_view name, std::string_view number) {
    return std::string(name).append("(").append(number).append(")");
}

}  // namespace parlowen::chat
