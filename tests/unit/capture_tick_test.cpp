#include "capture/capture_tick.h"

#include "fake_chat_windows.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using parlowen::capture::CaptureOutput;
using parlowen::capture::CaptureTick;
using parlowen::capture::ChatTracking;
using parlowen::capture::ReadingOptions;
using parlowen::capture::Sender;
using parlowen::testing::FakeChatWindows;
using parlowen::testing::Gbk;

const std::string kSaid = "\xCB\xB5\xA3\xBA";      // "说："
const std::string kLogSaid = " \xCB\xB5\xA3\xBA";  // " 说："

// Everything the tick hands on, with the LastHeaderSeen of that moment.
class RecordingOutput : public CaptureOutput {
public:
    explicit RecordingOutput(const CaptureTick& tick) : tick_(tick) {}

    struct Event {
        std::string what;  // "mine", "friend" or "log"
        std::string text;  // spoken text, or the log header and body joined by '|'
        Sender sender{};
        std::string lastHeaderSeen;
    };

    ReadingOptions options;
    std::vector<Event> events;

    ReadingOptions Options() override { return options; }
    void SpeakMine(std::string_view text) override { Record("mine", std::string(text)); }
    void SpeakFriend(std::string_view text) override { Record("friend", std::string(text)); }
    void AppendLogEntry(std::string_view header, std::string_view body, Sender sender) override {
        Record("log", std::string(header) + "|" + std::string(body), sender);
    }

private:
    void Record(const char* what, std::string text, Sender sender = {}) {
        events.push_back({what, std::move(text), sender, tick_.LastHeaderSeen()});
    }
    const CaptureTick& tick_;
};

class CaptureTickTest : public ::testing::Test {
protected:
    const std::string chatWithMoon = Gbk("与 moon 交谈中");
    const std::string familyGroup = Gbk("快乐一家群");

    // The user brings the chat window `title`, holding `history`, to the front.
    void Open(const std::string& title, const std::string& history) {
        windows.historyByTitle[title] = history;
        windows.foregroundTitle = title;
        tracking.Timer3Tick(windows);
    }
    // As the program's reader thread does: the tracked window's history, read once.
    void Tick() {
        tick.Handle(tracking.CurrentChatTitle(), windows.ReadHistory(tracking.CurrentChatTitle()), output);
    }
    std::vector<RecordingOutput::Event> TakeEvents() { return std::exchange(output.events, {}); }

    FakeChatWindows windows;
    ChatTracking tracking;
    CaptureTick tick;
    RecordingOutput output{tick};
};

struct SpeechCase {
    const char* sender;
    bool readMessage;
    bool readName;
    const char* voice;  // nullptr: nothing spoken
    std::string spoken;
};

TEST_F(CaptureTickTest, SpeaksWhatTheReadingOptionsSayAndAlwaysLogs) {
    const SpeechCase cases[] = {
        {"moon", true, true, "friend", "moon" + kSaid + "see you"},
        {"moon", true, false, "friend", "see you"},
        {"moon", false, true, "friend", "moon" + kSaid},
        {"moon", false, false, nullptr, ""},
        {"sky", true, true, "mine", "sky" + kSaid + "see you"},
        {"sky", true, false, "mine", "see you"},
        {"sky", false, true, "mine", "sky" + kSaid},
        {"sky", false, false, nullptr, ""},
    };
    int minute = 10;
    for (const SpeechCase& c : cases) {
        SCOPED_TRACE(std::string(c.sender) + " message " + std::to_string(c.readMessage) +
                     " name " + std::to_string(c.readName));
        // The other speaker's options are the opposite, so a mix-up shows.
        const bool isFriend = std::string(c.sender) == "moon";
        output.options = {isFriend != c.readMessage, isFriend != c.readName,
                          isFriend == c.readMessage, isFriend == c.readName, false};
        const std::string header = std::string(c.sender) + " 20:" + std::to_string(minute++) + ":00";
        Open(chatWithMoon, "sky 20:00:00\r\nhi\r\n" + header + "\r\nsee you");
        Tick();

        std::vector<RecordingOutput::Event> events = TakeEvents();
        ASSERT_EQ(events.size(), c.voice ? 2u : 1u);
        if (c.voice) {
            EXPECT_EQ(events[0].what, c.voice);
            EXPECT_EQ(events[0].text, c.spoken);
        }
        EXPECT_EQ(events.back().what, "log");
        EXPECT_EQ(events.back().text, c.sender + kLogSaid + "|see you");
        // Marked before it is spoken or logged.
        for (const auto& event : events) EXPECT_EQ(event.lastHeaderSeen, header);
    }
}

struct SpeakerCase {
    const char* title;  // UTF-8
    const char* header;
    bool isFriend;
};

TEST_F(CaptureTickTest, ASenderFoundInTheTitleIsTheFriendAnyOtherIsMine) {
    const SpeakerCase cases[] = {
        {"与 moon 交谈中", "moon(10001) 20:16:01", true},
        {"与 moon 交谈中", "sky 20:16:02", false},
        {"与 Moon 交谈中", "moon 20:16:03", false},    // compared case-sensitively
        {"快乐一家群", "moon 20:16:04", false},        // a group title names nobody
        {"与 skyline 交谈中", "sky 20:16:05", true},   // my name inside the friend's
        {"与 moon 交谈中", "(10001) 20:16:06", false},  // empty sender
        {"与 moon 交谈中", "moon 0:16:07", true},       // hour 0 ends the name too
    };
    for (const SpeakerCase& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " / " + c.header);
        Open(Gbk(c.title), std::string(c.header) + "\r\nhello " + c.title);
        Tick();
        const std::vector<RecordingOutput::Event> events = TakeEvents();
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].what, c.isFriend ? "friend" : "mine");
        EXPECT_EQ(events[1].sender, c.isFriend ? Sender::Friend : Sender::Mine);
    }
}

TEST_F(CaptureTickTest, TheLogHeaderIsTheWholeHeaderOrTheNicknameByShowTime) {
    struct {
        const char* header;
        bool showTime;
        std::string logged;
    } const cases[] = {
        {"moon(10001) 20:16:30", true, "moon(10001) 20:16:30" + kLogSaid},
        {"moon(10001) 20:16:31", false, "moon" + kLogSaid},
        {"(10001) 20:16:32", true, "(10001) 20:16:32" + kLogSaid},
        {"(10001) 20:16:33", false, kLogSaid},  // the log pane drops this line
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        output.options.showTime = c.showTime;
        Open(chatWithMoon, std::string(c.header) + "\r\nhi");
        Tick();
        const std::vector<RecordingOutput::Event> events = TakeEvents();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().text, c.logged + "|hi");
    }
}

TEST_F(CaptureTickTest, TwoMessagesWithTheSameHeaderAreTwoMessagesAndAGrowingBodyIsNotNew) {
    Open(chatWithMoon, "moon 20:16:30\r\nfirst");
    Tick();
    EXPECT_EQ(TakeEvents().size(), 2u);
    windows.historyByTitle[chatWithMoon] += "\r\nand more of it";
    Tick();
    EXPECT_TRUE(TakeEvents().empty());
    windows.historyByTitle[chatWithMoon] += "\r\nmoon 20:16:30\r\nsame second";
    Tick();
    const std::vector<RecordingOutput::Event> events = TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].text, "moon 20:16:30" + kLogSaid + "|same second");
}

// Only the last message of a window seen for the first time, or of a history whose last
// handled message is no longer where it stood: the history is never read aloud.
TEST_F(CaptureTickTest, AFirstSightOrALostPlaceHandlesOnlyTheLastMessage) {
    const std::string burst = "moon 20:16:30\r\nfirst\r\nsky 20:16:31\r\nsecond\r\nmoon 20:16:32\r\nthird";
    Open(chatWithMoon, burst);
    Tick();
    std::vector<RecordingOutput::Event> events = TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].text, "moon" + kSaid + "third");
    // Capped: the first message dropped as two more came.
    windows.historyByTitle[chatWithMoon] = burst.substr(burst.find("sky")) + "\r\nsky 20:16:40\r\nx\r\nmoon 20:16:41\r\ny";
    Tick();
    events = TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].text, "moon 20:16:41" + kLogSaid + "|y");
    // Cleared, then the same last message shown again: not new.
    windows.historyByTitle[chatWithMoon] = "moon 20:16:41\r\ny";
    Tick();
    EXPECT_TRUE(TakeEvents().empty());
}

// Messages that came between two reads: each logged in order in its colour, and each
// speaker's spoken as one utterance, so that the next cannot cut the burst short.
TEST_F(CaptureTickTest, EveryNewMessageIsHandledInOrder) {
    Open(chatWithMoon, "sky 20:16:00\r\nhello");
    Tick();
    TakeEvents();
    output.options.readMyName = false;
    windows.historyByTitle[chatWithMoon] +=
        "\r\nmoon 20:16:30\r\nfirst\r\nsky 20:16:31\r\nsecond\r\nmoon 20:16:32\r\nlet us meet at\r\n5:30\r\nmoon 20:16:33";
    Tick();
    std::vector<RecordingOutput::Event> events = TakeEvents();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].what, "mine");
    EXPECT_EQ(events[0].text, "second");
    EXPECT_EQ(events[1].what, "friend");
    EXPECT_EQ(events[1].text, "moon" + kSaid + "first\r\nmoon" + kSaid + "let us meet at\r\n5:30");
    EXPECT_EQ(events[2].text, "moon 20:16:30" + kLogSaid + "|first");
    EXPECT_EQ(events[3].text, "sky 20:16:31" + kLogSaid + "|second");
    EXPECT_EQ(events[4].text, "moon 20:16:32" + kLogSaid + "|let us meet at\r\n5:30");
    EXPECT_EQ(std::vector<Sender>({events[2].sender, events[3].sender, events[4].sender}),
              std::vector<Sender>({Sender::Friend, Sender::Mine, Sender::Friend}));
    for (const auto& event : events) EXPECT_EQ(event.lastHeaderSeen, "moon 20:16:32");
    // The message whose body had not come yet is handled once it has.
    windows.historyByTitle[chatWithMoon] += "\r\nbye";
    Tick();
    events = TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].text, "moon 20:16:33" + kLogSaid + "|bye");
}

TEST_F(CaptureTickTest, AMessageWithoutBodyIsNeverHandled) {
    Open(chatWithMoon, "moon 20:16:30\r\nhi");
    Tick();
    TakeEvents();
    for (const char* tail : {"\r\nsky 20:17:00", "\r\nsky 20:17:00\r\n \t\r\n"}) {
        windows.historyByTitle[chatWithMoon] = std::string("moon 20:16:30\r\nhi") + tail;
        Tick();
        EXPECT_TRUE(TakeEvents().empty());
        EXPECT_EQ(tick.LastHeaderSeen(), "moon 20:16:30");
    }
    windows.historyByTitle[chatWithMoon] += "\r\nthere";
    Tick();
    EXPECT_EQ(TakeEvents().size(), 2u);
    EXPECT_EQ(tick.LastHeaderSeen(), "sky 20:17:00");
}

TEST_F(CaptureTickTest, AHeaderlessTranscriptCountsAsNewOnlyAfterAHeader) {
    const std::string notes = Gbk("笔记群");
    // The transcript is trimmed first, so the blank line is not its first line.
    Open(notes, "\r\n  \r\nhello\r\nworld\r\n");
    Tick();
    EXPECT_TRUE(TakeEvents().empty());  // its empty header equals the empty LastHeaderSeen

    Open(chatWithMoon, "moon 20:16:30\r\nhi");
    Tick();
    TakeEvents();
    Open(notes, "\r\n  \r\nhello\r\nworld\r\n");
    Tick();
    Tick();
    const std::vector<RecordingOutput::Event> events = TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].what, "mine");
    EXPECT_EQ(events[0].text, kSaid + "world");
    EXPECT_EQ(events[1].text, kLogSaid + "|world");
    EXPECT_EQ(tick.LastHeaderSeen(), "");
}

// Each window keeps its own place: coming back repeats nothing, and what came meanwhile
// is handled then.
TEST_F(CaptureTickTest, SwitchingWindowsRepeatsNothingAndCatchesUp) {
    Open(chatWithMoon, "moon 20:16:30\r\nhi from moon");
    Tick();
    Open(familyGroup, "dad 19:00:00\r\ndinner");
    Tick();
    Open(chatWithMoon, "moon 20:16:30\r\nhi from moon");
    Tick();
    Open(familyGroup, "dad 19:00:00\r\ndinner\r\nmum 19:01:00\r\nat seven");
    Tick();
    std::vector<std::string> logged;
    for (const auto& event : TakeEvents())
        if (event.what == "log") logged.push_back(event.text);
    EXPECT_EQ(logged, (std::vector<std::string>{"moon 20:16:30" + kLogSaid + "|hi from moon",
                                                "dad 19:00:00" + kLogSaid + "|dinner",
                                                "mum 19:01:00" + kLogSaid + "|at seven"}));
}

// The program reads on another thread and hands the tick the title the history was
// read for, which may no longer be the tracked one.
TEST_F(CaptureTickTest, TellsTheFriendByTheTitleTheHistoryWasReadFor) {
    Open(familyGroup, "dad 19:00:00\r\ndinner");
    tick.Handle(chatWithMoon, "moon 20:16:30\r\nhi", output);
    const std::vector<RecordingOutput::Event> events = TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].what, "friend");
    EXPECT_EQ(events[1].sender, Sender::Friend);
}

}  // namespace
