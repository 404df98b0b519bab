#include "capture/chat_tracking.h"

#include "fake_chat_windows.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using parlowen::capture::ChatTracking;
using parlowen::testing::FakeChatWindows;
using parlowen::testing::Gbk;

class ChatTrackingTest : public ::testing::Test {
protected:
    void Foreground(const std::string& title) {
        windows.foregroundTitle = title;
        tracking.Timer3Tick(windows);
    }

    FakeChatWindows windows;
    parlowen::capture::FollowedChats chats;
    ChatTracking tracking{chats};
};

TEST_F(ChatTrackingTest, EachOfTheFifteenMarkersTracksTheTitle) {
    const char* const titles[] = {
        "与 moon 聊天中",        "与 moon 交谈中",      "发送消息",
        "查看消息 - moon",       "Chatting with moon",  "Send Message",
        "View message",          "發送消息",            "與 moon 交談中",
        "快乐一家群",            "moon － 企业",        "Group － friends",
        "临时会话 － moon",      "in Session with moon", "moon 会话中",
    };
    for (const char* title : titles) {
        SCOPED_TRACE(title);
        Foreground(Gbk("记事本"));
        Foreground(Gbk(title));
        EXPECT_EQ(tracking.CurrentChatTitle(), Gbk(title));
        // Group windows name the group, not a speaker.
        const std::string_view name(title);
        EXPECT_EQ(tracking.CurrentChat().group, name == "快乐一家群" || name == "Group － friends");
    }
}

TEST_F(ChatTrackingTest, TitlesWithoutAMarkerKeepTheTrackedTitle) {
    const std::string tracked = Gbk("与 moon 交谈中");
    const std::string titles[] = {
        "",
        "View Message",          // capital M
        "Send message",          // small m
        "chatting with moon",
        Gbk("moon －企业"),      // no space after the fullwidth hyphen
        "Group - friends",       // ASCII hyphen
        // The GBK bytes of "群" (C8 BA) straddling two characters: not the character.
        "\xB0\xC8\xBA\xA1",
        // The title query's buffer ends at its first NUL.
        std::string("moon\0", 5) + Gbk("交谈中"),
    };
    Foreground(tracked);
    for (const std::string& title : titles) {
        SCOPED_TRACE(title);
        Foreground(title);
        EXPECT_EQ(tracking.CurrentChatTitle(), tracked);
    }
}

TEST_F(ChatTrackingTest, A254ByteTitleIsStoredWholeAndRead) {
    std::string title = Gbk("与 moon 交谈中");
    title += std::string(254 - title.size(), 'x');
    Foreground(title);
    EXPECT_EQ(tracking.CurrentChatTitle(), title);
}

TEST_F(ChatTrackingTest, NoChatIsTrackedBeforeAChatWindowIsSeen) {
    Foreground("Notepad");
    EXPECT_EQ(tracking.CurrentChatTitle(), "");  // and so nothing is read
}

TEST_F(ChatTrackingTest, TheTrackedWindowStaysTrackedAfterItLeavesTheForeground) {
    const std::string chat = Gbk("与 moon 交谈中");
    Foreground(chat);
    Foreground("Notepad");
    Foreground("");
    EXPECT_EQ(tracking.CurrentChatTitle(), chat);
}

}  // namespace

// Following every chat, the chat windows shown behind the one in front are followed, in
// the system's order; a hidden one is not, and a window that is no chat is never asked
// whether it is shown.
TEST_F(ChatTrackingTest, EveryShownChatWindowBehindIsFollowed) {
    windows.chats = {{2, {Gbk("快乐一家群"), ""}}, {3, {Gbk("记事本"), ""}}, {4, {Gbk("与 sun 交谈中"), ""}},
                     {5, {Gbk("与 star 交谈中"), ""}}};
    windows.hidden = {3, 5};
    windows.foregroundTitle = Gbk("与 moon 交谈中");
    tracking.Timer3Tick(windows, true);
    std::vector<std::uintptr_t> behind;
    for (const auto& chat : tracking.ChatsBehind()) behind.push_back(chat.handle);
    EXPECT_EQ(behind, (std::vector<std::uintptr_t>{2, 4}));
    EXPECT_FALSE(windows.askedShown.contains(3));
}

// A window that is no chat is asked its title again only every few looks, and is
// followed from the look that finds it retitled as a chat, as one that appeared then.
TEST_F(ChatTrackingTest, AWindowThatWasNoChatIsAskedItsTitleAgainEveryFewLooks) {
    windows.chats = {{2, {Gbk("记事本"), ""}}};
    windows.foregroundTitle = Gbk("与 moon 交谈中");
    tracking.Timer3Tick(windows, true);
    windows.chats[2].title = Gbk("与 sun 交谈中");
    const int ticksToTheLookOfEveryTitle = (ChatTracking::kLooksBetweenEveryTitle - 1) * ChatTracking::kTicksBetweenLooks;
    for (int tick = 1; tick < ticksToTheLookOfEveryTitle; ++tick) tracking.Timer3Tick(windows, true);
    EXPECT_TRUE(tracking.ChatsBehind().empty());
    EXPECT_EQ(windows.titlesAsked[2], 1);
    tracking.Timer3Tick(windows, true);
    ASSERT_EQ(tracking.ChatsBehind().size(), 1u);
    EXPECT_EQ(tracking.ChatsBehind()[0].firstSight, parlowen::capture::FirstSight::Appeared);
}
