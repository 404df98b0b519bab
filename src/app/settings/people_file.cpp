#include "app/settings/people_file.h"

#include "app/settings/settings.h"
#include "text/field_line.h"
#include "text/lines.h"

#include <algorithm>
#include <iterator>

namespace parlowen::settings {
namespace {

constexpr std::string_view kHeading = "parlowen-people", kVersion = "1";
constexpr std::string_view kUser = "user", kMember = "member", kChat = "chat";
// chat, name, group|one, all|mentions|muted
constexpr std::string_view kGroup = "group", kOneToOne = "one";
constexpr std::string_view kModes[] = {"all", "mentions", "muted"};  // in ChatMode's order
constexpr std::string_view kChosen = "chosen", kAutomatic = "automatic", kMuted = "muted", kHeard = "heard";

// member, name, voice, variant, pitch, chosen|automatic, muted|heard, then the groups it
// was met in.
constexpr std::size_t kMemberFields = 7;

}  // namespace

std::string FormatPeople(const People& people) {
    std::string text = text::EncodeLine({std::string(kHeading), std::string(kVersion)});
    for (const std::string& name : people.userNames) text += text::EncodeLine({std::string(kUser), name});
    for (const speech::Member& member : people.members) {
        text::Fields fields{std::string(kMember), member.name, member.variant.voice, member.variant.variant,
                            std::to_string(member.variant.pitch),
                            std::string(member.chosenByUser ? kChosen : kAutomatic),
                            std::string(member.muted ? kMuted : kHeard)};
        fields.insert(fields.end(), member.groups.begin(), member.groups.end());
        text += text::EncodeLine(fields);
    }
    for (const capture::ChatEntry& chat : people.chats)
        text += text::EncodeLine({std::string(kChat), chat.name, std::string(chat.group ? kGroup : kOneToOne),
                                  std::string(kModes[static_cast<int>(chat.mode)])});
    return text;
}

People ParsePeople(std::string_view text) {
    People people;
    for (std::string_view line : text::Lines(text)) {
        const text::Fields fields = text::DecodeLine(line);
        if (fields.size() == 2 && fields[0] == kUser && !fields[1].empty()) {
            people.userNames.push_back(fields[1]);
        } else if (fields.size() >= kMemberFields && fields[0] == kMember && !fields[1].empty()) {
            speech::Member& member = people.members.emplace_back();
            member.name = fields[1];
            member.variant = {fields[2], fields[3], ParseInteger(fields[4]).value_or(0)};
            member.chosenByUser = fields[5] == kChosen;
            member.muted = fields[6] == kMuted;
            member.groups.assign(fields.begin() + kMemberFields, fields.end());
        } else if (fields.size() == 4 && fields[0] == kChat && !fields[1].empty()) {
            const auto mode = std::find(std::begin(kModes), std::end(kModes), fields[3]);
            people.chats.push_back({fields[1], fields[2] == kGroup,
                                    mode == std::end(kModes) ? capture::ChatMode::All
                                                             : static_cast<capture::ChatMode>(mode - std::begin(kModes))});
        }
    }
    return people;
}

}  // namespace parlowen::settings
