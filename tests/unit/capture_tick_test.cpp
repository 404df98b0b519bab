#include "capture/chat_capture.h"

#include "fake_chat_windows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using parlowen::capture::CaptureOutput;
using parlowen::capture::CaptureTick;
using parlowen::capture::ChatCapture;
using parlowen::capture::ChatWindowRef;
using parlowen::capture::ReadingOptions;
using parlowen::chat::Role;
using parlowen::testing::FakeChatWindows;
using parlowen::testing::Gbk;

const std::string kSaid = "\xCB\xB5\xA3\xBA";      // "说："
const std::string kLogSaid = " \xCB\xB5\xA3\xBA";  // " 说："

// Everything the tick hands on, with the LastHeaderSeen of that moment.
class RecordingOutput : public CaptureOutput {
public:
    explicit RecordingOutput(const CaptureTick& tick) : tick_(tick) {}

    struct Event {
        std::string what;  // "mine", "friend", "member" or "log"
        std::string text;  // spoken text (a member's after its name and group: "name@group:"), or the log header and body joined by '|'
        Role sender{};
        std::string lastHeaderSeen;
    };

    ReadingOptions options;
    std::vector<Event> events;

    ReadingOptions Options() override { return options; }
    void SpeakMine(std::string_view text) override { Record("mine", std::string(text)); }
    void SpeakFriend(std::string_view text) override { Record("friend", std::string(text)); }
    void SpeakMember(const parlowen::chat::Speaker& member, std::string_view group, std::string_view text) override {
        const std::string number = member.number.empty() ? "" : "#" + member.number;
        Record("member", member.name + number + "@" + std::string(group) + ":" + std::string(text), member.role);
    }
    void AppendLogEntry(std::string_view header, std::string_view body, const parlowen::chat::Speaker& speaker) override {
        Record("log", std::string(header) + "|" + std::string(body), speaker.role);
    }

private:
    void Record(const char* what, std::string text, Role sender = {}) {
        events.push_back({what, std::move(text), sender, tick_.LastHeaderSeen()});
    }
    const CaptureTick& tick_;
};

class CaptureTickTest : public ::testing::Test {
protected:
    const std::string chatWithMoon = Gbk("与 moon 交谈中");
    const std::string familyGroup = Gbk("快乐一家群");

    // The user brings the chat window `handle`, titled `title` and holding `history`, to
    // the front.
    void Open(const std::string& title, const std::string& history, std::uintptr_t handle = 1) {
        windows.chats[handle] = {title, history};
        windows.foregroundHandle = handle;
        windows.foregroundTitle = title;
        capture.TrackChats(windows);
    }
    std::string& History(std::uintptr_t handle = 1) { return windows.chats[handle].history; }
    // As the program's reader thread does: the followed window's history, read once, a
    // second after the last read.
    void Tick() {
        if (const auto request = capture.NextRead()) capture.HandleRead(windows.ReadHistory(*request), output, now);
        now += 1s;
    }
    // Following every chat: the windows tracked, and each followed read once.
    void TickEveryChat() {
        capture.TrackChats(windows, true, clock);
        std::vector<parlowen::capture::WindowRead> reads;
        for (const auto& request : capture.NextReads(now)) reads.push_back(windows.ReadHistory(request));
        capture.HandleReads(reads, output, now);
        now += 1s;
    }
    std::vector<RecordingOutput::Event> TakeEvents() { return std::exchange(output.events, {}); }
    std::vector<std::string> Logged() {
        std::vector<std::string> logged;
        for (const auto& event : TakeEvents())
            if (event.what == "log") logged.push_back(event.text);
        return logged;
    }

    // What was said ("member:name@group:text"), and whose each logged message was.
    std::pair<std::vector<std::string>, std::vector<Role>> SpokenAndLogged() {
        std::pair<std::vector<std::string>, std::vector<Role>> taken;
        for (const auto& event : TakeEvents())
            event.what == "log" ? taken.second.push_back(event.sender) : taken.first.push_back(event.what + ":" + event.text);
        return taken;
    }

    FakeChatWindows windows;
    ChatCapture capture;
    ChatCapture::Clock::time_point now;
    parlowen::capture::LocalTime clock{1, 6, 20 * 3600};  // the user's, which headers show
    RecordingOutput output{capture.tick()};
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
    Role role;
};

TEST_F(CaptureTickTest, ASenderFoundInTheTitleIsTheFriendAnyOtherIsMineOrInAGroupAMember) {
    const SpeakerCase cases[] = {
        {"与 moon 交谈中", "moon(10001) 20:16:01", Role::Friend},
        {"与 moon 交谈中", "sky 20:16:02", Role::Mine},
        {"与 Moon 交谈中", "moon 20:16:03", Role::Mine},        // compared case-sensitively
        {"快乐一家群", "moon 20:16:04", Role::Member},          // a group title names nobody
        {"与 skyline 交谈中", "sky 20:16:05", Role::Friend},    // my name inside the friend's
        {"与 moon 交谈中", "(10001) 20:16:06", Role::Mine},     // empty sender
        {"与 moon 交谈中", "moon 0:16:07", Role::Friend},       // hour 0 ends the name too
        {"与 [vip]星星 交谈中", "[vip]星星 20:16:08", Role::Friend},  // the title writes it as the header does
        {"与 10001 交谈中", "10001 20:16:09", Role::Friend},    // spoken digit by digit, written whole
    };
    for (const SpeakerCase& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " / " + c.header);
        Open(Gbk(c.title), Gbk(c.header) + "\r\nhello " + c.title);
        Tick();
        const std::vector<RecordingOutput::Event> events = TakeEvents();
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].what, c.role == Role::Mine ? "mine" : c.role == Role::Friend ? "friend" : "member");
        EXPECT_EQ(events[1].sender, c.role);
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
    History() += "\r\nand more of it";
    Tick();
    EXPECT_TRUE(TakeEvents().empty());
    History() += "\r\nmoon 20:16:30\r\nsame second";
    Tick();
    EXPECT_EQ(Logged(), std::vector<std::string>{"moon 20:16:30" + kLogSaid + "|same second"});
}

// A window seen for the first time gives its last message only: the history is never
// read aloud. A history capped in length keeps its place by content; a cleared one, or
// another conversation, gives its last message only.
TEST_F(CaptureTickTest, AFirstSightGivesTheLastMessageAndACappedHistoryLosesNothing) {
    const std::string burst = "moon 20:16:30\r\nfirst\r\nsky 20:16:31\r\nsecond\r\nmoon 20:16:32\r\nthird";
    Open(chatWithMoon, burst);
    Tick();
    std::vector<RecordingOutput::Event> events = TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].text, "moon" + kSaid + "third");
    // Capped: the first message dropped as two more came.
    History() = burst.substr(burst.find("sky")) + "\r\nsky 20:16:40\r\nx\r\nmoon 20:16:41\r\ny";
    Tick();
    EXPECT_EQ(Logged(), (std::vector<std::string>{"sky 20:16:40" + kLogSaid + "|x", "moon 20:16:41" + kLogSaid + "|y"}));
    // Cleared, then the same last message shown again: not new; what follows it is.
    History() = "moon 20:16:41\r\ny";
    Tick();
    EXPECT_TRUE(TakeEvents().empty());
    History() += "\r\nsky 20:16:50\r\nz";
    Tick();
    EXPECT_EQ(Logged(), std::vector<std::string>{"sky 20:16:50" + kLogSaid + "|z"});
    // A message repeated word for word is told from the one remembered by what precedes it.
    History() = "moon 20:16:41\r\ny\r\nsky 20:16:50\r\nz\r\nsky 20:16:50\r\nz\r\nmoon 20:16:55\r\nw";
    History() = History().substr(History().find("sky"));
    Tick();
    EXPECT_EQ(Logged(), (std::vector<std::string>{"sky 20:16:50" + kLogSaid + "|z", "moon 20:16:55" + kLogSaid + "|w"}));
    // Another conversation: its last message only.
    History() = "moon 21:00:00\r\na\r\nmoon 21:00:01\r\nb";
    Tick();
    EXPECT_EQ(Logged(), std::vector<std::string>{"moon 21:00:01" + kLogSaid + "|b"});
}

// Messages that came between two reads: each logged in order in its colour, and each
// speaker's spoken as one utterance, so that the next cannot cut the burst short.
TEST_F(CaptureTickTest, EveryNewMessageIsHandledInOrder) {
    Open(chatWithMoon, "sky 20:16:00\r\nhello");
    Tick();
    TakeEvents();
    output.options.readMyName = false;
    History() += "\r\nmoon 20:16:30\r\nfirst\r\nsky 20:16:31\r\nsecond\r\nmoon 20:16:32\r\nlet us meet at\r\n5:30\r\nmoon 20:16:33";
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
    EXPECT_EQ(std::vector<Role>({events[2].sender, events[3].sender, events[4].sender}),
              std::vector<Role>({Role::Friend, Role::Mine, Role::Friend}));
    for (const auto& event : events) EXPECT_EQ(event.lastHeaderSeen, "moon 20:16:32");
    // The message whose body had not come yet is handled once it has.
    History() += "\r\nbye";
    Tick();
    EXPECT_EQ(Logged(), std::vector<std::string>{"moon 20:16:33" + kLogSaid + "|bye"});
}

// Only the last message of a read waits for its body, and not for ever; one without a
// body (a picture reads as a blank) is passed over and holds nothing back.
TEST_F(CaptureTickTest, AMessageWithoutBodyWaitsBrieflyAndHoldsNothingBack) {
    Open(chatWithMoon, "moon 20:16:30\r\nhi");
    Tick();
    TakeEvents();
    History() += "\r\nsky 20:17:00\r\n \t";
    Tick();
    EXPECT_TRUE(TakeEvents().empty());
    EXPECT_EQ(capture.tick().LastHeaderSeen(), "moon 20:16:30");
    History() += "\r\nmoon 20:17:05\r\nnice";
    Tick();
    EXPECT_EQ(Logged(), std::vector<std::string>{"moon 20:17:05" + kLogSaid + "|nice"});

    History() += "\r\nsky 20:17:10";
    Tick();
    now += ChatCapture::kBodyWait;
    Tick();  // passed over: it never came
    History() += "\r\n\xCD\xBC\r\nmoon 20:17:20\r\nok";  // its body, too late, and the next
    Tick();
    EXPECT_EQ(Logged(), std::vector<std::string>{"moon 20:17:20" + kLogSaid + "|ok"});

    // A long history cleared, then a message whose text comes after its header.
    History() = "moon 20:18:00\r\n" + std::string(8181, 'x') + "\r\nmoon 20:18:01\r\nend";
    Tick();
    History() = "sky 20:19:00";
    Tick();
    History() += "\r\nback\r\nmoon 20:19:05\r\nhey";
    Tick();
    EXPECT_EQ(Logged(), (std::vector<std::string>{"moon 20:18:01" + kLogSaid + "|end", "sky 20:19:00" + kLogSaid + "|back",
                                                  "moon 20:19:05" + kLogSaid + "|hey"}));

    // A window first seen while its last message waits keeps its place before that one.
    Open(familyGroup, "dad 19:00:00\r\ndinner\r\nmum 19:01:00", 2);
    Tick();
    History(2) += "\r\nat seven\r\ndad 19:02:00\r\ngood";
    Tick();
    EXPECT_EQ(Logged(), (std::vector<std::string>{"mum 19:01:00" + kLogSaid + "|at seven",
                                                  "dad 19:02:00" + kLogSaid + "|good"}));
}

struct ShapeCase {
    const char* shape;
    const char* title;                  // UTF-8
    std::vector<const char*> arrivals;  // UTF-8, each appended and read in turn
    std::vector<std::string> logged;    // UTF-8 "header|body"
};

// Lines of message text that look like header lines in part, each in a chat read as it
// grows: every message logged once, under its own header.
TEST_F(CaptureTickTest, TimesInMessageTextNeverHeadAMessage) {
    const ShapeCase cases[] = {
        {"a time with seconds inside a one-line message", "与 moon 交谈中",
         {"moon 20:16:30\r\nhi", "\r\nmoon 20:16:40\r\n明天 10:00:00 开会", "\r\nsky 20:16:50\r\nok"},
         {"moon 20:16:30 说：|hi", "moon 20:16:40 说：|明天 10:00:00 开会", "sky 20:16:50 说：|ok"}},
        {"a time alone on a message's last line", "与 moon 交谈中",
         {"moon 20:16:30\r\n闹钟\r\n8:05:00", "\r\nsky 20:17:00\r\nok"},
         {"moon 20:16:30 说：|闹钟\r\n8:05:00", "sky 20:17:00 说：|ok"}},
        {"a messenger without seconds, and one line ending in a time with them", "与 star 交谈中",
         {"sky 9:16\r\n闹钟 7:00:00\r\nstar 9:17\r\n好", "\r\nsky 9:18\r\n晚安"},
         {"star 9:17 说：|好", "sky 9:18 说：|晚安"}},
        {"a messenger without seconds, and a time in the user's text", "与 star 交谈中",
         {"star 9:16\r\n几点？\r\nsky 9:17\r\n明早 8:30", "\r\nstar 9:18\r\n好"},
         {"sky 9:17 说：|明早 8:30", "star 9:18 说：|好"}},
        {"a date before the time", "与 moon 交谈中",
         {"moon 2009-1-6 21:05:00\r\nhi", "\r\nsky 2009-1-6 21:06:00\r\nyo"},
         {"moon 2009-1-6 21:05:00 说：|hi", "sky 2009-1-6 21:06:00 说：|yo"}},
        {"a line of text whose time is seconds before the header line's", "与 moon 交谈中",
         {"sky 12:00:20\r\nhey", "\r\nmoon 12:00:25\r\nRe: 12:00:00\r\nsee below\r\nsky 12:00:30\r\nok"},
         {"sky 12:00:20 说：|hey", "moon 12:00:25 说：|Re: 12:00:00\r\nsee below", "sky 12:00:30 说：|ok"}},
        {"a line of text that ends in a time, right before a header line", "与 moon 交谈中",
         {"moon 12:01:00\r\nRe: 12:01:30", "\r\nsky 12:02:00\r\nok"},
         {"moon 12:01:00 说：|Re: 12:01:30", "sky 12:02:00 说：|ok"}},
        {"a line of text that ends in a time and names nobody who speaks here", "与 moon 交谈中",
         {"moon 10:00:35\r\n-----原始消息-----\r\n时间: 2009-01-06 20:15:08\r\n  周五见", "\r\nsky 10:00:40\r\nok"},
         {"moon 10:00:35 说：|-----原始消息-----\r\n时间: 2009-01-06 20:15:08\r\n  周五见", "sky 10:00:40 说：|ok"}},
    };
    std::uintptr_t handle = 10;
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.shape);
        Open(Gbk(c.title), "", ++handle);
        for (const char* arrival : c.arrivals) {
            History(handle) += Gbk(arrival);
            Tick();
        }
        std::vector<std::string> expected;
        for (const std::string& entry : c.logged) expected.push_back(Gbk(entry));
        EXPECT_EQ(Logged(), expected);
    }
}

// The user's name is learned in one-to-one chats. In the first, the user may speak last,
// hours after the friend; a window read before the name was learned keeps its place.
TEST_F(CaptureTickTest, TheUserIsLearnedInOneToOneChatsWithoutLosingAPlace) {
    Open(chatWithMoon, "moon 9:00:00\r\nhello\r\nsky 8:00:00\r\nold line\r\nmoon 9:00:05\r\nhi", 1);
    Tick();
    Open(Gbk("与 star 交谈中"), "star 9:29:20\r\nyo\r\nsky 20:10:10\r\nback home", 2);
    Tick();
    History(2) += "\r\nstar 20:10:20\r\nwelcome\r\nsky 20:10:30\r\nthanks";
    Tick();
    Open(chatWithMoon, History(1) + "\r\nmoon 9:00:10\r\nnew\r\nmoon 9:00:11\r\nnewer", 1);
    Tick();
    EXPECT_EQ(Logged(), (std::vector<std::string>{
                            "moon 9:00:05" + kLogSaid + "|hi", "sky 20:10:10" + kLogSaid + "|back home",
                            "star 20:10:20" + kLogSaid + "|welcome", "sky 20:10:30" + kLogSaid + "|thanks",
                            "moon 9:00:10" + kLogSaid + "|new", "moon 9:00:11" + kLogSaid + "|newer"}));
}

// In the first chat, the user's first lines may come under an older conversation, on the
// clock hours before its last line: their own times in order tell the user speaks last.
TEST_F(CaptureTickTest, TheUserSpeaksLastUnderAnOlderConversation) {
    Open(chatWithMoon, "moon 15:48:56\r\nyesterday\r\nsky 10:08:49\r\nmorning\r\nsky 10:08:54\r\nanyone?");
    Tick();
    EXPECT_EQ(Logged(), (std::vector<std::string>{"sky 10:08:54" + kLogSaid + "|anyone?"}));
}

// A line right under a header line is that message's text, even where it reads like a
// header of a name not met yet: it never becomes the user's name.
TEST_F(CaptureTickTest, ALineUnderAHeaderLineIsNeverLearnedAsAName) {
    Open(chatWithMoon, "moon 11:52:13\r\n" + Gbk("一共 12:30 块") + "\r\nsky 11:52:13\r\nRe: 12:00:00", 1);
    Tick();
    History(1) += "\r\nmoon 11:52:20\r\nRe: 12:00:00";
    Tick();
    EXPECT_EQ(Logged(), (std::vector<std::string>{"sky 11:52:13" + kLogSaid + "|Re: 12:00:00",
                                                  "moon 11:52:20" + kLogSaid + "|Re: 12:00:00"}));
}

// In a group the user, known by a name learned in a one-to-one chat, is the user, and
// anyone else a member: spoken with the friend's profile, and named when the speaker
// changes rather than before each of a member's messages.
TEST_F(CaptureTickTest, InAGroupTheUserIsTheUserAndAMemberIsNamedWhenTheSpeakerChanges) {
    Open(chatWithMoon, "sky 20:00:00\r\nhi\r\nmoon 20:00:05\r\nhello\r\nsky 20:00:10\r\nfine");
    Tick();
    Open(familyGroup, "dad 19:00:00\r\ndinner", 2);
    Tick();
    TakeEvents();
    History(2) += "\r\ndad 19:00:05\r\nat seven\r\nmum 19:00:06\r\nsoup\r\nmum 19:00:07\r\nhot\r\n"
                  "sky 19:00:08\r\ncoming\r\nmum 19:00:09\r\ngood";
    Tick();
    const auto [spoken, roles] = SpokenAndLogged();
    const std::string group = "@" + familyGroup + ":";
    EXPECT_EQ(spoken, (std::vector<std::string>{"mine:sky" + kSaid + "coming", "member:dad" + group + "at seven",
                                                "member:mum" + group + "mum" + kSaid + "soup",
                                                "member:mum" + group + "hot", "member:mum" + group + "mum" + kSaid + "good"}));
    EXPECT_EQ(roles, (std::vector<Role>{Role::Member, Role::Member, Role::Member, Role::Mine, Role::Member}));
}

// As the messenger writes a group, with a number after each name: the user is known by
// the name learned where none is written, a member by the number, and no number is said.
TEST_F(CaptureTickTest, InAGroupWithNumbersTheUserIsKnownByNameAndAMemberByNumber) {
    Open(chatWithMoon, "sky 20:00:00\r\nhi\r\nmoon 20:00:05\r\nhello\r\nsky 20:00:10\r\nfine");
    Tick();
    Open(familyGroup, "dad(10001) 19:00:00\r\ndinner", 2);
    Tick();
    TakeEvents();
    History(2) += "\r\nsky(88888) 19:00:05\r\ncoming\r\nming(10002) 19:00:06\r\nhi\r\nming(10003) 19:00:07\r\nyo";
    Tick();
    const auto [spoken, roles] = SpokenAndLogged();
    const std::string group = "@" + familyGroup + ":";
    EXPECT_EQ(spoken, (std::vector<std::string>{"mine:sky" + kSaid + "coming", "member:ming#10002" + group + "ming" + kSaid + "hi",
                                                "member:ming#10003" + group + "ming" + kSaid + "yo"}));
    EXPECT_EQ(roles, (std::vector<Role>{Role::Mine, Role::Member, Role::Member}));
}

TEST_F(CaptureTickTest, AHistoryWithoutHeaderLinesHoldsNoMessage) {
    Open(Gbk("笔记群"), "\r\n  \r\nhello\r\nworld\r\n8:05:00\r\n");
    Tick();
    EXPECT_TRUE(TakeEvents().empty());
}

// Each window keeps its own place: coming back repeats nothing, and what came meanwhile
// is handled then. A window is its handle: a title that changes and changes back, two
// windows of one title, or a chat closed and opened again repeat nothing.
TEST_F(CaptureTickTest, EachWindowKeepsItsPlaceWhateverItsTitle) {
    Open(chatWithMoon, "moon 20:16:30\r\nhi from moon", 1);
    Tick();
    Open(familyGroup, "dad 19:00:00\r\ndinner", 2);
    Tick();
    Open(familyGroup, "mum 19:00:05\r\nsoup", 3);
    Tick();
    Open(Gbk("moon 正在输入… - 与 moon 交谈中"), History(1), 1);
    Tick();
    Open(chatWithMoon, History(1), 1);
    Tick();
    Open(familyGroup, "dad 19:00:00\r\ndinner\r\nmum 19:01:00\r\nat seven", 2);
    Tick();
    windows.foregroundHandle = 3;  // the second group comes to the front again
    capture.TrackChats(windows);
    Tick();
    Open(chatWithMoon, History(1), 1);
    Tick();
    // The chat with moon closed and opened again, showing its history and one more;
    // then again, brought to the front before it is read.
    windows.chats[5] = {chatWithMoon, History(1) + "\r\nmoon 20:20:00\r\nback"};
    windows.chats.erase(1);
    Tick();
    Tick();
    windows.chats.erase(5);
    Open(chatWithMoon, "moon 20:20:00\r\nback\r\nmoon 20:21:00\r\nagain", 6);
    Tick();
    EXPECT_EQ(Logged(), (std::vector<std::string>{
                            "moon 20:16:30" + kLogSaid + "|hi from moon", "dad 19:00:00" + kLogSaid + "|dinner",
                            "mum 19:00:05" + kLogSaid + "|soup", "mum 19:01:00" + kLogSaid + "|at seven",
                            "moon 20:20:00" + kLogSaid + "|back", "moon 20:21:00" + kLogSaid + "|again"}));
}

// The program reads on another thread and hands over the window the history was read
// for, which may no longer be the one followed.
TEST_F(CaptureTickTest, TellsTheFriendByTheWindowTheHistoryWasReadFor) {
    Open(familyGroup, "dad 19:00:00\r\ndinner");
    const ChatWindowRef moon{7, chatWithMoon, false};
    capture.HandleRead({moon, moon, {"moon 20:16:30\r\nhi", 0, true}}, output, now);
    const std::vector<RecordingOutput::Event> events = TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].what, "friend");
    EXPECT_EQ(events[1].sender, Role::Friend);
}

}  // namespace

namespace {

TEST(ChatName, IsTheTitleWithoutTheMessengersWords) {
    const struct {
        std::u16string title, name;
    } cases[] = {
        {u"与 moon 交谈中", u"moon"},     {u"周末户外群", u"周末户外群"},     {u"Chatting with moon", u"moon"},
        {u"moon - 发送消息", u"moon"},    {u"临时会话 \uFF0D 阿明", u"阿明"}, {u"Group \uFF0D 同学会", u"同学会"},
        {u"交谈中", u"交谈中"},  // nothing else: the title itself
    };
    for (const auto& c : cases) EXPECT_EQ(parlowen::capture::ChatName(c.title), c.name);
}

TEST(NamesTheUser, ByANicknameAloneOrAfterAtButNotInsideAWordOrACharacter) {
    const std::vector<std::string> names = {"sky(88888)", Gbk("小明")};
    const struct {
        std::string body;
        bool named;
    } cases[] = {
        {"@sky see you", true}, {"sky, dinner?", true},   {"skyline", false}, {Gbk("小明来了"), true},
        {Gbk("@小明 开会"), true}, {Gbk("大家好"), false}, {"", false},
        // The GBK bytes of "靶∶鳌" hold those of "小明" from their second byte on.
        {Gbk("靶∶鳌"), false},
        // "乤" ends in the byte of "a": a Chinese character before a name is no letter.
        {Gbk("乤") + "sky", true},
    };
    for (const auto& c : cases) EXPECT_EQ(parlowen::capture::NamesTheUser(c.body, names), c.named) << c.body;
}

}  // namespace

// Every open chat window is followed: one first seen behind the others gives only what
// comes after, messages of several chats come in the order of their times, and a chat
// other than the one heard last is named first, once.
TEST_F(CaptureTickTest, EveryOpenChatIsHeardWithItsNameWhenTheChatChanges) {
    windows.chats[2] = {familyGroup, "dad 19:00:00\r\nold news"};
    windows.chats[3] = {Gbk("与 sun 交谈中"), "sun 18:00:00\r\nold too"};
    Open(chatWithMoon, "moon 20:00:00\r\nhello");
    TickEveryChat();
    EXPECT_EQ(Logged(), (std::vector<std::string>{"moon 20:00:00" + kLogSaid + "|hello"}));
    History(3) += "\r\nsun 20:00:05\r\nlater";
    History(2) += "\r\nmum 20:00:04\r\nsooner";
    // Both are quiet since first seen, and looked at in the same round.
    for (int i = 1; i < parlowen::capture::ChatCapture::kRoundsBetweenQuietLooks; ++i) TickEveryChat();
    const auto [spoken, roles] = SpokenAndLogged();
    EXPECT_EQ(spoken, (std::vector<std::string>{"member:mum@" + familyGroup + ":" + familyGroup + Gbk("，") + "mum" + kSaid + "sooner",
                                                "friend:sun" + kSaid + "later"}));  // the friend's name is the chat's
    EXPECT_EQ(roles, (std::vector<Role>{Role::Member, Role::Friend}));
    History(3) += "\r\nsun 20:00:09\r\nagain";
    TickEveryChat();
    EXPECT_EQ(SpokenAndLogged().first, (std::vector<std::string>{"friend:sun" + kSaid + "again"}));

    // The Part's way: only the chat last in front.
    output.options.everyChat = false;
    History(2) += "\r\nmum 20:01:00\r\nunheard";
    Tick();
    EXPECT_TRUE(TakeEvents().empty());
}

// A muted chat is logged and never said; one heard only where the user is named says
// nothing else. The modes stay with the chat's name.
TEST_F(CaptureTickTest, AChatIsHeardWholeOnlyWhereItNamesTheUserOrNotAtAll) {
    capture.tick().SetUserNames({"sky"});
    Open(familyGroup, "dad 19:00:00\r\nhi");
    TickEveryChat();
    ASSERT_TRUE(capture.tick().chatModes().Set(familyGroup, parlowen::capture::ChatMode::Mentions));
    TakeEvents();
    History() += "\r\nmum 19:00:01\r\nsoup\r\nmum 19:00:02\r\n@sky bread?";
    TickEveryChat();
    auto [spoken, roles] = SpokenAndLogged();
    EXPECT_EQ(spoken, (std::vector<std::string>{"member:mum@" + familyGroup + ":mum" + kSaid + "@sky bread?"}));
    EXPECT_EQ(roles.size(), 2u);
    capture.tick().chatModes().Set(familyGroup, parlowen::capture::ChatMode::Muted);
    History() += "\r\nmum 19:00:03\r\n@sky now";
    TickEveryChat();
    std::tie(spoken, roles) = SpokenAndLogged();
    EXPECT_TRUE(spoken.empty());
    EXPECT_EQ(roles.size(), 1u);
}

// A chat behind others with no message for a minute is looked at every third second; a
// message makes it looked at every second again.
TEST_F(CaptureTickTest, AQuietChatBehindIsLookedAtEveryThirdSecond) {
    windows.chats[2] = {familyGroup, "dad 19:00:00\r\nold"};
    Open(chatWithMoon, "moon 20:00:00\r\nhello");
    TickEveryChat();
    TakeEvents();
    const auto looksInSix = [&] {
        int looks = 0;
        for (int i = 0; i < 6; ++i, now += 1s) looks += capture.NextReads(now).size() == 2;
        return looks;
    };
    EXPECT_EQ(looksInSix(), 2);
    History(2) += "\r\nmum 19:00:05\r\nnew";
    TickEveryChat();
    TickEveryChat();
    ASSERT_EQ(Logged().size(), 1u);
    EXPECT_EQ(looksInSix(), 6);
    now += parlowen::capture::ChatCapture::kQuietAfter;
    EXPECT_EQ(looksInSix(), 2);
}

// A chat closed and opened again in front takes the place of its latest window, not of an
// older one of the same title; one whose message waits for its body asks for the whole
// cheap test, as a capped history may keep its length as the body comes.
TEST_F(CaptureTickTest, AChatOpenedAgainGoesOnFromItsLatestWindow) {
    const std::string sun = Gbk("与 sun 交谈中");
    Open(chatWithMoon, "moon 20:00:00\r\none");
    TickEveryChat();
    windows.chats.erase(1);
    windows.chats[2] = {chatWithMoon, "moon 20:00:00\r\none\r\nmoon 20:00:01\r\ntwo"};
    Open(sun, "sun 20:00:00\r\nhi", 3);
    TickEveryChat();
    History(2) += "\r\nmoon 20:00:02\r\nthree";
    TickEveryChat();
    TickEveryChat();
    TakeEvents();
    const std::string last = History(2) + "\r\nmoon 20:00:03\r\nfour";
    windows.chats.erase(2);
    Open(chatWithMoon, last, 4);
    TickEveryChat();
    EXPECT_EQ(Logged(), (std::vector<std::string>{"moon 20:00:03" + kLogSaid + "|four"}));

    History(4) += "\r\nmoon 20:00:04";
    TickEveryChat();
    EXPECT_TRUE(capture.tick().RequestFor(capture.CurrentChat()).waiting);
    History(4) += "\r\nfive";
    TickEveryChat();
    EXPECT_FALSE(capture.tick().RequestFor(capture.CurrentChat()).waiting);
}

// A chat window the messenger opens behind the others, once they are followed, is heard
// from the messages that opened it, not from the older history shown above them; one
// closed and opened again behind goes on from its place, with what came while it was closed.
TEST_F(CaptureTickTest, AChatOpenedBehindIsHeardFromWhatCameAsItOpened) {
    const auto looked = [&] {
        for (int i = 0; i < parlowen::capture::ChatTracking::kTicksBetweenLooks; ++i) TickEveryChat();
        return Logged();
    };
    windows.chats[2] = {familyGroup, "dad 19:00:00\r\nold news"};
    Open(chatWithMoon, "moon 20:00:00\r\nhello");
    TickEveryChat();
    TakeEvents();
    clock.secondOfDay = 20 * 3600 + 60;
    windows.chats[3] = {Gbk("与 sun 交谈中"), "sun 18:00:00\r\nan hour old\r\nsun 20:00:50\r\nthere?\r\nsun 20:00:55\r\nhi"};
    EXPECT_EQ(looked(), (std::vector<std::string>{"sun 20:00:50" + kLogSaid + "|there?", "sun 20:00:55" + kLogSaid + "|hi"}));

    windows.chats.erase(2);
    EXPECT_TRUE(looked().empty());
    windows.chats[4] = {familyGroup, "dad 19:00:00\r\nold news\r\nmum 19:30:00\r\nwhile closed"};
    EXPECT_EQ(looked(), (std::vector<std::string>{"mum 19:30:00" + kLogSaid + "|while closed"}));
}

// A history capped beneath the last message handled, by far more than the read parses
// back from where it stood, still finds it there: all that came after it is new.
TEST_F(CaptureTickTest, AHistoryCappedFarBeneathThePlaceLosesNothing) {
    Open(chatWithMoon, "moon 20:00:00\r\n" + std::string(20000, 'x') + "\r\nmoon 20:00:01\r\nA\r\nmoon 20:00:02\r\nB");
    Tick();
    TakeEvents();
    const std::string longOne(10000, 'y');
    History() = "moon 20:00:01\r\nA\r\nmoon 20:00:02\r\nB\r\nmoon 20:00:03\r\n" + longOne + "\r\nmoon 20:00:04\r\nD";
    Tick();
    EXPECT_EQ(Logged(), (std::vector<std::string>{"moon 20:00:03" + kLogSaid + "|" + longOne, "moon 20:00:04" + kLogSaid + "|D"}));
}
