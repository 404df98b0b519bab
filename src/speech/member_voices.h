// A voice of their own for each member of a group chat, built from the installed
// voices at a few clearly different pitches, and kept: a member met again, in any
// group and on any later run, speaks as before, whatever voices were installed since.
#pragma once

#include "chat/member_number.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace parlowen::speech {

// An installed voice, named as the voice boxes show it, as one of the engine's variants
// of it ("": the voice itself) and at a pitch of -10..10 (0: the voice's own) in the
// system speech engine's steps.
struct VoiceVariant {
    std::string voice;
    std::string variant;
    int pitch = 0;
    auto operator<=>(const VoiceVariant&) const = default;
};

// The pitches members are told apart by, most natural first. Steps this far apart are
// heard as different speakers on either engine.
inline constexpr int kMemberPitches[] = {0, 6, -5, 10};
inline constexpr int kMinPitch = -10, kMaxPitch = 10;

// Every variant a member may get: each voice as itself and as each of the engine's
// `variants`, at each pitch; the voices themselves first, then their variants, then
// other pitches, so that members sound as unlike each other as the voices allow.
std::vector<VoiceVariant> MemberVariants(const std::vector<std::string>& voices,
                                         const std::vector<std::string>& variants = {});

// A hash of a name that is the same on every run and every build (32-bit FNV-1a).
std::uint32_t StableNameHash(std::string_view name);

struct Member {
    std::string name;  // the sender as the header line names it, in ANSI bytes
    VoiceVariant variant;
    bool chosenByUser = false;  // set on the options: never changed by the program
    bool muted = false;         // logged, never spoken
    std::vector<std::string> groups;  // the titles of the group windows it was met in, at most kGroupsKept
    bool operator==(const Member&) const = default;
};

class MemberVoices {
public:
    // Members kept, the least recently met going first (never one the user set); and
    // groups kept per member.
    static constexpr std::size_t kMembersKept = 1000, kGroupsKept = 16;

    // The member `name` met in `group`. One met for the first time gets the variant of
    // `variants` least used among the members met in that group, ties broken by
    // StableNameHash; with no variants at all it gets the default one.
    const Member& Meet(std::string_view group, std::string_view name, const std::vector<VoiceVariant>& variants) {
        return Meet(group, name, {}, [&] { return variants; });
    }
    const Member& Meet(std::string_view group, std::string_view name, std::string_view number,
                       const std::vector<VoiceVariant>& variants) {
        return Meet(group, name, number, [&] { return variants; });
    }
    // The same, with the variants listed by `listVariants()` only for a member met for the
    // first time: listing them asks the speech engine, which a message of a member
    // already known need not wait for.
    template <std::invocable ListVariants>
    const Member& Meet(std::string_view group, std::string_view name, ListVariants&& listVariants) {
        return Meet(group, name, {}, std::forward<ListVariants>(listVariants));
    }
    // A member the group shows with a `number` is known by it: kept as name and number
    // ("阿明(10001)"), the name follows a change, and the voice stays.
    template <std::invocable ListVariants>
    const Member& Meet(std::string_view group, std::string_view name, std::string_view number,
                       ListVariants&& listVariants) {
        if (Member* known = number.empty() ? FindMember(name) : FindNumbered(name, number))
            return MeetAgain(*known, group);
        return Add(group, number.empty() ? std::string(name) : chat::NumberedName(name, number), listVariants());
    }

    // The user's choices, which always win; false when no such member is known.
    bool Choose(std::string_view name, const VoiceVariant& variant);
    bool Mute(std::string_view name, bool muted);

    const Member* Find(std::string_view name) const;
    // In the order they were met, most recent last.
    const std::vector<Member>& members() const noexcept { return members_; }
    // Members as the people file kept them.
    void Restore(std::vector<Member> members);

    // Whether anything changed since the last call, for saving only when needed.
    bool TakeChanged() noexcept { return std::exchange(changed_, false); }

private:
    Member* FindMember(std::string_view name);
    Member* FindNumbered(std::string_view name, std::string_view number);
    const Member& MeetAgain(Member& member, std::string_view group);
    Member& Add(std::string_view group, std::string_view name, const std::vector<VoiceVariant>& variants);
    void Forget();
    std::vector<Member> members_;
    bool changed_ = false;
};

}  // namespace parlowen::speech
