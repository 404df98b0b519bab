#include "speech/voice_profiles.h"

#include "speech_fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace parlowen::speech;
using parlowen::testing::FakeToken;
using parlowen::testing::FakeControls;
using parlowen::testing::RecordingVoice;

class VoiceProfilesTest : public ::testing::Test {
protected:
    std::vector<std::string> journal;
    RecordingVoice mineVoice{"mine", journal};
    RecordingVoice friendVoice{"friend", journal};
    FakeControls mine, friend_;
    VoiceSettings settings;
    VoiceProfiles profiles{mineVoice, friendVoice, settings};

    VoiceProfilesTest() { profiles.ShowIn(&mine, &friend_); }
    void InstallVoices(std::initializer_list<const char*> names) {
        for (const char* n : names) mineVoice.installed.push_back({n, std::make_shared<FakeToken>(n)});
    }
    void LoadAndForget(const VoiceSettings& saved = {}) {
        settings = saved;
        profiles.Load();
        journal.clear();
    }
};

TEST_F(VoiceProfilesTest, LoadListsVoicesSelectsSavedOnesAndAppliesClampedValuesInOrder) {
    InstallVoices({"Alpha", "Beta"});
    settings = {.mine = {.voice = 5, .rate = 15, .volume = 40}, .friend_ = {.voice = 1, .rate = -3, .volume = -5}};
    profiles.Load();

    EXPECT_EQ(mine.entries, (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(friend_.entries, mine.entries);
    EXPECT_EQ(mine.selected, 0);  // index 5 is past the end
    EXPECT_EQ(friend_.selected, 1);
    EXPECT_EQ(journal, (std::vector<std::string>{
                           "mine.GetVoices", "mine.SetVoice Alpha", "friend.SetVoice Beta",
                           "mine.SetRate 10", "friend.SetRate -3", "mine.SetVolume 40", "friend.SetVolume 0"}));
    EXPECT_EQ(mine.rateLabel, "10");
    EXPECT_EQ(friend_.rateLabel, "-3");
    EXPECT_EQ(mine.volumeLabel, "40");
    EXPECT_EQ(friend_.volumeLabel, "0");
    EXPECT_EQ(settings, (VoiceSettings{.mine = {0, 10, 40}, .friend_ = {1, -3, 0}}));
}

TEST_F(VoiceProfilesTest, SavedIndexFallsBackToFirstEntry) {
    struct Case {
        int saved;
        int expected;
    };
    for (const Case c : {Case{-1, 0}, Case{-7, 0}, Case{1, 0} /* empty text */, Case{2, 2}, Case{3, 0}}) {
        std::vector<std::string> log;
        RecordingVoice a{"mine", log}, b{"friend", log};
        a.installed = {{"A", std::make_shared<FakeToken>("A")},
                       {"", std::make_shared<FakeToken>("unnamed")},
                       {"C", std::make_shared<FakeToken>("C")}};
        FakeControls ca, cb;
        VoiceSettings saved{.mine = {.voice = c.saved}, .friend_ = {}};
        VoiceProfiles p{a, b, saved};
        p.ShowIn(&ca, &cb);
        p.Load();
        EXPECT_EQ(ca.selected, c.expected) << "saved " << c.saved;
        EXPECT_EQ(saved.mine.voice, c.expected) << "saved " << c.saved;
    }
}

TEST_F(VoiceProfilesTest, NoVoiceInstalledLeavesBoxesUnselectedAndSpeakingSilent) {
    LoadAndForget({.mine = {.voice = 3, .rate = 2}, .friend_ = {}});
    EXPECT_EQ(mine.selected, -1);
    EXPECT_EQ(friend_.selected, -1);
    EXPECT_EQ(settings.mine.voice, -1);  // nothing to save
    EXPECT_EQ(mine.rate, 2);

    profiles.Speak(parlowen::chat::Role::Mine, "hello");
    profiles.Speak(parlowen::chat::Role::Friend, "hello");
    EXPECT_EQ(journal, (std::vector<std::string>{"mine.Disconnect", "friend.Disconnect"}));
    EXPECT_EQ(profiles.SelectedToken(parlowen::chat::Role::Mine), nullptr);
}

TEST_F(VoiceProfilesTest, UtteranceUsesTheSettingsAsTheyAreAtThatMoment) {
    InstallVoices({"Alpha", "Beta"});
    LoadAndForget();
    settings.friend_ = {.voice = 1, .rate = -4, .volume = 30};  // as the option page's handlers leave them

    profiles.Speak(parlowen::chat::Role::Friend, "\xC4\xE3\xBA\xC3");  // GBK text passes through untouched
    EXPECT_EQ(journal, (std::vector<std::string>{"friend.Disconnect", "friend.SetVoice Beta", "friend.SetRate -4",
                                                 "friend.SetVolume 30", "friend.Speak \xC4\xE3\xBA\xC3"}));
}

TEST_F(VoiceProfilesTest, NewUtteranceCutsOffOnlyItsOwnProfile) {
    InstallVoices({"Alpha"});
    LoadAndForget();
    profiles.Speak(parlowen::chat::Role::Mine, "one");
    profiles.Speak(parlowen::chat::Role::Mine, "two");
    const auto friendCalls = std::count_if(journal.begin(), journal.end(),
                                           [](const std::string& s) { return s.rfind("friend.", 0) == 0; });
    EXPECT_EQ(friendCalls, 0);
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "mine.Disconnect"), 2);
    EXPECT_EQ(journal.back(), "mine.Speak two");
}

TEST_F(VoiceProfilesTest, MembersWaitForTheFriendVoiceAndEachSpeaksInItsOwnVariant) {
    InstallVoices({"Alpha", "Beta"});
    LoadAndForget({.mine = {}, .friend_ = {.voice = 0, .rate = -2, .volume = 70}});
    profiles.SpeakQueued(parlowen::chat::Role::Member, {"Beta", "f2", 6}, "one");
    friendVoice.speaking = true;
    profiles.SpeakQueued(parlowen::chat::Role::Member, {"Gone", "", -5}, "two");  // an uninstalled voice: the friend profile's, at its pitch
    profiles.SpeakNextQueued();
    EXPECT_EQ(journal, (std::vector<std::string>{"friend.SetVoice Beta", "friend.SetRate -2", "friend.SetVolume 70",
                                                 "friend.SetVariant f2", "friend.SetPitch 6", "friend.Speak one"}));
    friendVoice.speaking = false;
    profiles.SpeakNextQueued();
    EXPECT_EQ(std::vector<std::string>(journal.end() - 2, journal.end()),
              (std::vector<std::string>{"friend.SetPitch -5", "friend.Speak two"}));
    EXPECT_EQ(journal[journal.size() - 6], "friend.SetVoice Alpha");
    EXPECT_FALSE(profiles.Waiting());

    // Where the user chose so, the user's messages wait for each other too, on their own voice.
    mineVoice.speaking = true;
    profiles.SpeakQueued(parlowen::chat::Role::Mine, {}, "mine one");
    EXPECT_TRUE(profiles.Waiting());
    friendVoice.speaking = true;
    profiles.SpeakQueued(parlowen::chat::Role::Member, {}, "three");
    profiles.StopSpeaking();  // empties both queues
    friendVoice.speaking = mineVoice.speaking = false;
    journal.clear();
    profiles.SpeakNextQueued();
    EXPECT_TRUE(journal.empty());
    EXPECT_FALSE(profiles.Waiting());
}

TEST_F(VoiceProfilesTest, MembersGetTheVoicesOfTheFriendVoicesLanguageAndTheEnginesVariants) {
    for (auto [name, language] : {std::pair{"Huihui", "804"}, {"Anna", "409"}, {"Unsaid", ""}, {"Kangkang", "804"}})
        mineVoice.installed.push_back({name, std::make_shared<FakeToken>(name), language});
    friendVoice.variants = {"f2"};
    // Before start-up has loaded the profiles, the engine is not asked: that would choose
    // it before the program's own voices are installed.
    EXPECT_TRUE(profiles.MemberVariants().empty());
    EXPECT_TRUE(journal.empty());
    LoadAndForget({.mine = {}, .friend_ = {.voice = 3}});
    const std::vector<VoiceVariant> variants = profiles.MemberVariants();
    ASSERT_EQ(variants.size(), 3u * 2 * std::size(kMemberPitches));
    EXPECT_EQ(std::vector<VoiceVariant>(variants.begin(), variants.begin() + 4),
              (std::vector<VoiceVariant>{{"Huihui", "", 0}, {"Unsaid", "", 0}, {"Kangkang", "", 0}, {"Huihui", "f2", 0}}));
}

TEST(UtteranceQueue, ABacklogPassesOverTheOldestWithOneNoticeAndKeepsTheNewest) {
    struct Case {
        const char* what;
        std::size_t messages, characters;  // Chinese characters a message
        std::size_t passedOver;
    } const cases[] = {
        {"few and short", 10, 4, 0},
        {"more than ten", 13, 4, 3},
        {"thirty seconds of speech", 6, 39, 3},  // just under 10 s each: three wait within 30 s
        {"one message longer than the bound", 1, 400, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UtteranceQueue queue;
        for (std::size_t i = 0; i < c.messages; ++i)
            queue.Push({std::to_string(i) + std::string(c.characters * 2, '\xB0'), {}}, 0);
        std::vector<std::string> said;
        while (auto next = queue.Next()) said.push_back(next->text.substr(0, next->text.find('\xB0')));
        std::vector<std::string> expected;
        if (c.passedOver > 0) expected.push_back(PassedOverNotice(c.passedOver));
        for (std::size_t i = c.passedOver; i < c.messages; ++i) expected.push_back(std::to_string(i));
        EXPECT_EQ(said, expected);
    }
    EXPECT_EQ(PassedOverNotice(3), "\xCC\xF8\xB9\xFD" "3" "\xCC\xF5\xCF\xFB\xCF\xA2");  // 跳过3条消息
    EXPECT_EQ(SpeakingTime(std::string(8, '\xB0'), 10), std::chrono::milliseconds(333));  // three times as fast
}

TEST_F(VoiceProfilesTest, StopDisconnectsBothVoices) {
    InstallVoices({"Alpha"});
    LoadAndForget();
    profiles.StopSpeaking();
    EXPECT_EQ(journal, (std::vector<std::string>{"mine.Disconnect", "friend.Disconnect"}));
}

TEST_F(VoiceProfilesTest, SpeakingSwallowsEngineFailuresAtEveryStep) {
    for (const char* failing : {"SetVoice", "SetRate", "SetVolume", "Speak"}) {
        InstallVoices({"Alpha"});
        LoadAndForget();
        mineVoice.failing = {failing};
        profiles.Speak(parlowen::chat::Role::Mine, "hi");  // noexcept: a failure that escaped would end the test run
        EXPECT_EQ(std::count(journal.begin(), journal.end(), "mine.Speak hi"), 0) << failing;
        mineVoice.failing.clear();
        mineVoice.installed.clear();
    }
}

TEST_F(VoiceProfilesTest, OptionHandlersLetEngineFailuresThroughAndKeepTheLabel) {
    InstallVoices({"Alpha"});
    LoadAndForget();
    mineVoice.failing = {"SetRate", "SetVolume", "SetVoice"};
    EXPECT_THROW(profiles.RateChanged(parlowen::chat::Role::Mine, 7), std::runtime_error);
    EXPECT_EQ(mine.rateLabel, "0");      // the rest of the handler was skipped
    EXPECT_EQ(settings.mine.rate, 7);    // the setting keeps what the user gave the slider
    EXPECT_THROW(profiles.VolumeChanged(parlowen::chat::Role::Mine, 5), std::runtime_error);
    EXPECT_THROW(profiles.VoiceChanged(parlowen::chat::Role::Mine, 0), std::runtime_error);
    EXPECT_THROW(profiles.ResetRateAndVolume(parlowen::chat::Role::Mine), std::runtime_error);
}

TEST_F(VoiceProfilesTest, SliderHandlersSetTheVoiceAndShowThePosition) {
    InstallVoices({"Alpha"});
    LoadAndForget();
    profiles.RateChanged(parlowen::chat::Role::Mine, -3);
    profiles.VolumeChanged(parlowen::chat::Role::Friend, 55);
    EXPECT_EQ(journal, (std::vector<std::string>{"mine.SetRate -3", "friend.SetVolume 55"}));
    EXPECT_EQ(mine.rateLabel, "-3");
    EXPECT_EQ(friend_.volumeLabel, "55");
    EXPECT_EQ(settings.mine.rate, -3);
    EXPECT_EQ(settings.friend_.volume, 55);
}

// A program whose options page could not be built still speaks with its settings.
TEST_F(VoiceProfilesTest, WithoutControlsTheProfilesLoadAndSpeakAllTheSame) {
    profiles.ShowIn(nullptr, nullptr);
    InstallVoices({"Alpha", "Beta"});
    LoadAndForget({.mine = {}, .friend_ = {.voice = 1, .rate = 2, .volume = 60}});
    profiles.Speak(parlowen::chat::Role::Friend, "hi");
    EXPECT_EQ(journal, (std::vector<std::string>{"friend.Disconnect", "friend.SetVoice Beta", "friend.SetRate 2",
                                                 "friend.SetVolume 60", "friend.Speak hi"}));
    EXPECT_TRUE(mine.entries.empty());
}

TEST_F(VoiceProfilesTest, DefaultButtonResetsOnlyThatProfilesRateAndVolume) {
    InstallVoices({"Alpha", "Beta"});
    LoadAndForget({.mine = {.voice = 0, .rate = 4, .volume = 20}, .friend_ = {.voice = 1, .rate = 6, .volume = 30}});
    profiles.ResetRateAndVolume(parlowen::chat::Role::Friend);
    EXPECT_EQ(journal, (std::vector<std::string>{"friend.SetRate 0", "friend.SetVolume 100"}));
    EXPECT_EQ(friend_.rate, 0);
    EXPECT_EQ(friend_.volume, 100);
    EXPECT_EQ(friend_.rateLabel, "0");
    EXPECT_EQ(friend_.volumeLabel, "100");
    EXPECT_EQ(friend_.selected, 1);
    EXPECT_EQ(mine.rate, 4);
    EXPECT_EQ(mine.volume, 20);
    EXPECT_EQ(settings.friend_, (ProfileSettings{.voice = 1, .rate = 0, .volume = 100}));
}

TEST_F(VoiceProfilesTest, TypedVoiceTextLeavesTheVoiceAsItWas) {
    InstallVoices({"Alpha"});
    LoadAndForget();
    profiles.VoiceChanged(parlowen::chat::Role::Mine, -1);
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(profiles.SelectedToken(parlowen::chat::Role::Mine), nullptr);  // and nothing is said
}

TEST_F(VoiceProfilesTest, LoadFailureOfTheVoiceListPropagates) {
    mineVoice.failing = {"GetVoices"};
    EXPECT_THROW(profiles.Load(), std::runtime_error);
}

}  // namespace
