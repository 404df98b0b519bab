// The people file, "people.txt" beside the settings file: the user's nicknames, the
// group members met, each member's voice and whether the user muted it, and the chats
// followed with how each is heard. Names are chat
// text, so every field is escaped (text/field_line.h): a name of any bytes and any
// length stays one field of one line. set.ini is left as earlier versions wrote it.
#pragma once

#include "capture/chat_modes.h"
#include "speech/member_voices.h"

#include <string>
#include <string_view>
#include <vector>

namespace parlowen::settings {

inline constexpr std::string_view kPeopleFileName = "people.txt";

struct People {
    std::vector<std::string> userNames;  // newest last
    std::vector<speech::Member> members;
    std::vector<capture::ChatEntry> chats;
    bool operator==(const People&) const = default;
};

std::string FormatPeople(const People& people);
// What a file holds. A line of a kind it does not know (a later version's) or that is
// cut short is passed over, and the rest is read.
People ParsePeople(std::string_view text);

}  // namespace parlowen::settings
