#include "speech/member_voices.h"

#include <algorithm>
#include <limits>
#include <map>
#include <utility>

namespace parlowen::speech {
namespace {

template <class Members>
auto FindIn(Members& members, std::string_view name) -> decltype(&members.front()) {
    const auto found = std::find_if(members.begin(), members.end(), [&](const Member& m) { return m.name == name; });
    return found == members.end() ? nullptr : &*found;
}

bool MetIn(const Member& member, std::string_view group) {
    return std::find(member.groups.begin(), member.groups.end(), group) != member.groups.end();
}

}  // namespace

std::vector<VoiceVariant> MemberVariants(const std::vector<std::string>& voices,
                                         const std::vector<std::string>& variants) {
    std::vector<std::string> speakers{""};
    speakers.insert(speakers.end(), variants.begin(), variants.end());
    std::vector<VoiceVariant> all;
    for (int pitch : kMemberPitches)
        for (const std::string& speaker : speakers)
            for (const std::string& voice : voices)
                if (!voice.empty()) all.push_back({voice, speaker, pitch});
    return all;
}

std::uint32_t StableNameHash(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

const Member* MemberVoices::Find(std::string_view name) const { return FindIn(members_, name); }

Member* MemberVoices::FindMember(std::string_view name) { return FindIn(members_, name); }

Member* MemberVoices::FindNumbered(std::string_view name, std::string_view number) {
    const std::string numbered = chat::NumberedName(name, number);
    auto known = std::find_if(members_.begin(), members_.end(),
                              [&](const Member& member) { return chat::MemberNumber(member.name) == number; });
    // Met before numbers were told apart: known by the name alone.
    if (known == members_.end())
        known = std::find_if(members_.begin(), members_.end(), [&](const Member& member) { return member.name == name; });
    if (known == members_.end()) return nullptr;
    if (known->name != numbered) {
        known->name = numbered;
        changed_ = true;
    }
    return &*known;
}

const Member& MemberVoices::MeetAgain(Member& member, std::string_view group) {
    if (!MetIn(member, group)) {
        member.groups.emplace_back(group);
        if (member.groups.size() > kGroupsKept) member.groups.erase(member.groups.begin());
        changed_ = true;
    }
    return member;
}

Member& MemberVoices::Add(std::string_view group, std::string_view name, const std::vector<VoiceVariant>& variants) {
    Member member{std::string(name), {}, false, false, {std::string(group)}};
    if (!variants.empty()) {
        std::map<VoiceVariant, int> uses;
        for (const Member& other : members_)
            if (MetIn(other, group)) ++uses[other.variant];
        int fewest = std::numeric_limits<int>::max();
        for (const VoiceVariant& variant : variants) fewest = std::min(fewest, uses[variant]);
        std::vector<const VoiceVariant*> leastUsed;
        for (const VoiceVariant& variant : variants)
            if (uses[variant] == fewest) leastUsed.push_back(&variant);
        member.variant = *leastUsed[StableNameHash(name) % leastUsed.size()];
    }
    members_.push_back(std::move(member));
    Forget();
    changed_ = true;
    return members_.back();
}

void MemberVoices::Forget() {
    // A flood of names (pasted header lines, a huge group) must not grow the file
    // without end; what the user set is never forgotten.
    for (auto it = members_.begin(); members_.size() > kMembersKept && it != members_.end();) {
        if (it->chosenByUser || it->muted) ++it;
        else it = members_.erase(it);
    }
}

bool MemberVoices::Choose(std::string_view name, const VoiceVariant& variant) {
    Member* member = FindIn(members_, name);
    if (!member) return false;
    member->variant = {variant.voice, variant.variant, std::clamp(variant.pitch, kMinPitch, kMaxPitch)};
    member->chosenByUser = true;
    changed_ = true;
    return true;
}

bool MemberVoices::Mute(std::string_view name, bool muted) {
    Member* member = FindIn(members_, name);
    if (!member) return false;
    member->muted = muted;
    changed_ = true;
    return true;
}

void MemberVoices::Restore(std::vector<Member> members) {
    members_.clear();
    for (Member& member : members) {
        if (FindIn(members_, member.name)) continue;  // a file edited by hand may name one twice
        member.variant.pitch = std::clamp(member.variant.pitch, kMinPitch, kMaxPitch);
        members_.push_back(std::move(member));
    }
    Forget();
    changed_ = false;
}

}  // namespace parlowen::speech
