#include "app/settings/people_file.h"
#include "speech/member_voices.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace parlowen::speech;

const std::vector<VoiceVariant> kTwoVoices = MemberVariants({"Huihui", "Kangkang"});

TEST(MemberVoices, EachNewMemberGetsTheVariantLeastUsedInItsGroupAndKeepsIt) {
    MemberVoices voices;
    std::set<VoiceVariant> given;
    // Two voices at four pitches: eight members of one group all sound different, and
    // the first two differ in voice, not only in pitch.
    for (const char* name : {"moon", "sky", "sea", "star", "sun", "rain", "wind", "snow"})
        given.insert(voices.Meet("群A", name, kTwoVoices).variant);
    EXPECT_EQ(given.size(), 8u);
    EXPECT_NE(voices.Find("moon")->variant.voice, voices.Find("sky")->variant.voice);

    // A ninth shares; another group starts afresh; a member met again keeps its voice
    // wherever it is met, also with the voices installed since.
    EXPECT_NE(given.count(voices.Meet("群A", "cloud", kTwoVoices).variant), 0u);
    const VoiceVariant moon = voices.Find("moon")->variant;
    EXPECT_EQ(voices.Meet("群B", "moon", MemberVariants({"Anna", "Huihui", "Kangkang"})).variant, moon);
    EXPECT_EQ(voices.Find("moon")->groups, (std::vector<std::string>{"群A", "群B"}));

    // Listing the variants asks the engine: only a member met for the first time waits for it.
    int listed = 0;
    const auto list = [&] { ++listed; return kTwoVoices; };
    voices.Meet("群B", "sky", list);
    voices.Meet("群B", "hill", list);
    EXPECT_EQ(listed, 1);
    EXPECT_NE(voices.Find("hill"), nullptr);
}

TEST(MemberVoices, TiesAreBrokenByTheNameAloneOnEveryRun) {
    // The same members met in another order, on another run, get the same voices as
    // long as each one's choice was a tie among the same variants.
    MemberVoices first, second;
    EXPECT_EQ(first.Meet("g", "moon", kTwoVoices).variant, second.Meet("h", "moon", kTwoVoices).variant);
    EXPECT_EQ(StableNameHash("moon"), 0xf184ae40u);  // 32-bit FNV-1a of "moon", the same on every build
    EXPECT_EQ(first.Meet("g", "x", {}).variant, VoiceVariant{});
}

// A member the group shows with a number is known by it through a change of name, one
// met before numbers were told apart keeps the voice, and two of one name are two.
TEST(MemberVoices, AMemberShownWithANumberKeepsTheVoiceThroughANewName) {
    MemberVoices voices;
    const VoiceVariant hong = voices.Meet("g", "hong", kTwoVoices).variant;
    const VoiceVariant ming = voices.Meet("g", "ming", "10001", kTwoVoices).variant;
    EXPECT_EQ(voices.Meet("g", "mingzai", "10001", kTwoVoices).variant, ming);
    EXPECT_EQ(voices.Meet("g", "hong", "10002", kTwoVoices).variant, hong);
    EXPECT_NE(voices.Meet("g", "ming", "10003", kTwoVoices).variant, ming);
    std::vector<std::string> names;
    for (const Member& member : voices.members()) names.push_back(member.name);
    EXPECT_EQ(names, (std::vector<std::string>{"hong(10002)", "mingzai(10001)", "ming(10003)"}));
}

TEST(MemberVoices, TheUsersChoiceAndMuteWinAndAreNeverForgotten) {
    MemberVoices voices;
    voices.Meet("g", "moon", kTwoVoices);
    EXPECT_TRUE(voices.Choose("moon", {"Anna", "f2", 99}));
    EXPECT_TRUE(voices.Mute("moon", true));
    EXPECT_FALSE(voices.Mute("nobody", true));
    EXPECT_EQ(voices.Meet("g", "moon", kTwoVoices).variant, (VoiceVariant{"Anna", "f2", kMaxPitch}));
    EXPECT_TRUE(voices.Find("moon")->muted);
    for (std::size_t i = 0; i < MemberVoices::kMembersKept + 5; ++i)
        voices.Meet("flood", "n" + std::to_string(i), kTwoVoices);
    EXPECT_EQ(voices.members().size(), MemberVoices::kMembersKept);
    ASSERT_NE(voices.Find("moon"), nullptr);
    EXPECT_EQ(voices.Find("n0"), nullptr);
}

TEST(PeopleFile, NamesOfAnyBytesComeBackAsTheyWereAndUnknownLinesArePassedOver) {
    using namespace parlowen::settings;
    const std::string hostile = std::string("a\tb\nc\\d\r\0e=[set]", 17) + std::string(5000, 'x');
    People people{{"我", hostile},
                  {{hostile, {"Huihui", "m3", -5}, true, false, {"群\n1", ""}}, {"moon", {}, false, true, {}}},
                  {{hostile, true, parlowen::capture::ChatMode::Mentions}, {"moon", false, parlowen::capture::ChatMode::Muted}}};
    const std::string file = FormatPeople(people);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 7);
    EXPECT_EQ(ParsePeople(file), people);
    // A later version's line, a line cut short and a pitch that is no number.
    EXPECT_EQ(ParsePeople(file + "nickname\tx\nmember\tcut\n" + "member\tm\tv\t\tloud\tchosen\tmuted\n").members.back(),
              (Member{"m", {"v", "", 0}, true, true, {}}));
}

}  // namespace
