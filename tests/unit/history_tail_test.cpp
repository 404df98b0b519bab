#include "capture/history_tail.h"

#include "capture/capture_tick.h"
#include "capture/chat_text.h"
#include "text/blanks.h"
#include "fake_chat_windows.h"
#include "fake_history_control.h"
#include "../random_transcripts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using parlowen::capture::HistoryTailReader;
using parlowen::capture::ClockStyle;
using parlowen::capture::HeaderRule;
using parlowen::capture::HoldsWholeHeaderLine;
using parlowen::capture::ParseTranscript;
using parlowen::capture::WithCrLf;
using parlowen::testing::FakeHistoryControl;
using parlowen::testing::Gbk;
using parlowen::testing::RandomTranscripts;

constexpr std::uintptr_t kControl = 1;

// A group window whose messenger shows seconds: every header-shaped line of that clock
// style heads a message.
HeaderRule GroupRule(ClockStyle clock = ClockStyle::WithSeconds) { return {clock, true, {}, {}}; }

// What the capture takes out of a transcript's last message: header, sender and body.
std::string Parsed(const std::string& transcript, const HeaderRule& rule = GroupRule()) {
    const auto messages = ParseTranscript(transcript, 0, rule).messages;
    if (messages.empty()) return "||";
    return messages.back().header + "|" + messages.back().sender + "|" + messages.back().body;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A message of the same length whatever its number below 3600.
std::string Message(int number, const std::string& body) {
    const auto twoDigits = [](int n) { return std::to_string(n / 10) + std::to_string(n % 10); };
    return "moon 20:" + twoDigits(number / 60 % 60) + ":" + twoDigits(number % 60) + "\r\n" + body;
}

std::string Body(int number) {
    const auto fourDigits = [](int n) { return std::to_string(n / 1000 % 10) + std::to_string(n / 100 % 10) + std::to_string(n / 10 % 10) + std::to_string(n % 10); };
    return "message " + fourDigits(number);
}

std::string History(int messages) {
    std::string text;
    for (int i = 0; i < messages; ++i) text += (i ? "\r\n" : "") + Message(i, Body(i));
    return text;
}

TEST(HistoryTailTest, ParagraphBreaksReadAsCrLf) {
    EXPECT_EQ(WithCrLf("a\rb\r\rc\r"), "a\r\nb\r\n\r\nc\r\n");
    EXPECT_EQ(WithCrLf("a\r\nb"), "a\r\nb");
    EXPECT_EQ(WithCrLf(""), "");
}

TEST(HistoryTailTest, TheEndParsesAsTheWholeOnceItHoldsAWholeHeaderLineTheRuleVouchesFor) {
    const HeaderRule withMoon{ClockStyle::WithSeconds, false, "Chatting with moon", {}};
    const struct {
        const char* tail;
        HeaderRule rule;
        bool whole;
    } cases[] = {
        {"see you at the gate\r\nbye", GroupRule(), false},  // no header line
        {"moon 20:16:30\r\nbye", GroupRule(), false},         // it may have begun earlier
        {"\r\n \r\nmoon 20:16:30\r\nbye", GroupRule(), false},  // only blanks before it
        {"x\r\nmoon 20:16:30\r\nbye", GroupRule(), true},
        {"x\r\nsky 20:15:08\r\nmeet at 5:30", GroupRule(), true},
        {"x\r\nsky 20:15\r\nhi", GroupRule(), false},  // not the window's clock style
        {"x\r\nsky 20:15:08\r\nhi", withMoon, false},  // a speaker not known there
        {"x\r\nmoon 20:15:08\r\nhi", withMoon, true},
        {"x\r\nsky 20:15\r\nhi", {}, false},  // too little to learn the window's rule from
        {"x\r\na 1:00\r\nb 1:01:00\r\nc 1:02\r\nd 1:03", {}, true},
    };
    for (const auto& c : cases) EXPECT_EQ(HoldsWholeHeaderLine(c.tail, c.rule), c.whole) << c.tail;
}

// Whether a line heads a message is told by the line: the end read keeps the header
// line's leading blanks and still parses as the whole.
TEST(HistoryTailTest, LeavesTheHeaderLinesLeadingBlanksAlone) {
    const std::string whole = "sky 20:15:08\r\nhi\r\n 9x 1:00:00\r\nbody";
    FakeHistoryControl control(whole);
    HistoryTailReader reader;
    EXPECT_EQ(Parsed(reader.Read(control, kControl)), "9x 1:00:00|9x|body");
    EXPECT_EQ(Parsed(whole), "9x 1:00:00|9x|body");
}

// A range past the text's end, or with a negative end (which a rich edit reads as "to
// the end of the text"), would have the control write more than the buffer holds.
TEST(HistoryTailReaderTest, ALengthBelowZeroOrPastTheCapIsNeverAskedFor) {
    for (const long length : {-1L, -100L, HistoryTailReader::kLongestHistory + 1, 0x7FFFFFFFL}) {
        FakeHistoryControl control(History(5));
        control.lengthAnswer = length;
        HistoryTailReader reader;
        EXPECT_EQ(reader.Read(control, kControl), "") << length;
        EXPECT_EQ(control.partReads, 0) << length;
        EXPECT_EQ(reader.counts().unanswered, 1) << length;
    }
}

TEST(HistoryTailReaderTest, ReadsOnlyTheEnd) {
    FakeHistoryControl control(History(5000));
    HistoryTailReader reader;
    const std::string tail = reader.Read(control, kControl);
    EXPECT_TRUE(EndsWith(control.WholeTextNow(), tail));
    EXPECT_LE(tail.size(), 1200u);
    EXPECT_EQ(Parsed(tail), Parsed(control.WholeTextNow()));
    EXPECT_EQ(control.wholeReads, 0);
    EXPECT_EQ(control.walks, 1);
    EXPECT_EQ(reader.counts().tails, 1);
}

TEST(HistoryTailReaderTest, AnUnchangedHistoryCostsNoRequestThatGrowsWithIt) {
    FakeHistoryControl control(History(5000));
    HistoryTailReader reader;
    const std::string first = reader.Read(control, kControl);
    const int walks = control.walks;
    const int requests = control.requests;
    EXPECT_EQ(reader.Read(control, kControl), first);
    EXPECT_EQ(control.walks, walks);
    EXPECT_EQ(control.requests, requests + 2);
    EXPECT_EQ(reader.counts().unchanged, 1);

    // Its length alone, in one request; a new message is not taken for the old text.
    EXPECT_EQ(reader.SameLength(control, kControl)->text, first);
    EXPECT_EQ(control.requests, requests + 3);
    control.Append("\r\n" + Message(5000, "new"));
    EXPECT_FALSE(reader.SameLength(control, kControl));

    // Another control is never taken for this one.
    EXPECT_FALSE(reader.SameLength(control, kControl + 1));
    reader.Read(control, kControl + 1);
    EXPECT_EQ(reader.counts().tails, 2);
}

TEST(HistoryTailReaderTest, SeesEachNewMessage) {
    FakeHistoryControl control(History(50));
    HistoryTailReader reader;
    reader.Read(control, kControl);
    for (int i = 50; i < 60; ++i) {
        control.Append("\r\n" + Message(i, Gbk("新消息 ") + std::to_string(i)));
        EXPECT_EQ(Parsed(reader.Read(control, kControl)), Parsed(control.WholeTextNow()));
    }
    EXPECT_EQ(reader.counts().tails, 11);
}

// A history capped in length drops its first message for each new one: with messages
// of one layout its rows and its length stay the same.
TEST(HistoryTailReaderTest, SeesANewMessageInAHistoryThatDropsItsFirst) {
    FakeHistoryControl control(History(50));
    HistoryTailReader reader;
    reader.Read(control, kControl);
    for (int i = 50; i < 60; ++i) {
        const long rows = control.RowsNow();
        const std::size_t length = control.WholeTextNow().size();
        control.DropFirstParagraphs(2);
        control.Append("\r\n" + Message(i, Body(i)));
        ASSERT_EQ(control.RowsNow(), rows);
        ASSERT_EQ(control.WholeTextNow().size(), length);
        EXPECT_EQ(Parsed(reader.Read(control, kControl)), "moon 20:00:" + std::to_string(i) + "|moon|" + Body(i));
    }
}

TEST(HistoryTailReaderTest, AHistoryThatGrowsWhileItIsReadIsReadAgain) {
    FakeHistoryControl control(History(50));
    HistoryTailReader reader;
    int request = 0;
    control.beforeRequest = [&](FakeHistoryControl& self) {
        if (++request == 4) self.Append("\r\n" + Message(50, "arrived while it was read"));
    };
    const std::string tail = reader.Read(control, kControl);
    EXPECT_EQ(Parsed(tail), Parsed(control.WholeTextNow()));
    EXPECT_TRUE(EndsWith(tail, "arrived while it was read"));
    EXPECT_EQ(reader.counts().tails, 1);
    EXPECT_EQ(control.wholeReads, 0);
}

TEST(HistoryTailReaderTest, AHistoryThatNeverHoldsStillIsReadWhole) {
    FakeHistoryControl control(History(50));
    HistoryTailReader reader;
    int message = 50;
    int request = 0;
    control.beforeRequest = [&](FakeHistoryControl& self) {
        if (++request % 3 != 0 || self.wholeReads > 0) return;
        self.Append("\r\n" + Message(message, Body(message)));
        ++message;
    };
    const std::string text = reader.Read(control, kControl);
    EXPECT_EQ(control.wholeReads, 1);
    EXPECT_EQ(reader.counts().wholeTexts, 1);
    EXPECT_TRUE(EndsWith(text, Body(message - 1)));
}

TEST(HistoryTailReaderTest, AMessengerThatStopsAnsweringHalfwayGivesNothing) {
    for (int answered = 0; answered < 5; ++answered) {
        SCOPED_TRACE(answered);
        FakeHistoryControl control(History(50));
        HistoryTailReader reader;
        control.answeringRequests = answered;
        EXPECT_EQ(reader.Read(control, kControl), "");
        EXPECT_EQ(reader.counts().unanswered, 1);
        // Once it answers again, nothing of the broken read is kept.
        control.answeringRequests = 1 << 30;
        EXPECT_EQ(Parsed(reader.Read(control, kControl)), Parsed(control.WholeTextNow()));
        EXPECT_EQ(reader.counts().unchanged, 0);
    }
}

// Reads the control twice; each time all of its text comes back.
int WholeReadsOfTwo(FakeHistoryControl& control) {
    HistoryTailReader reader;
    EXPECT_EQ(reader.Read(control, kControl), control.WholeTextNow());
    EXPECT_EQ(reader.Read(control, kControl), control.WholeTextNow());
    return control.wholeReads;
}

std::string Lines(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "line " + std::to_string(i) + "\r\n";
    return lines;
}

TEST(HistoryTailReaderTest, AControlThatAnswersPartsWithNothingIsReadWholeEveryTime) {
    FakeHistoryControl control(History(50));
    control.answersParts = false;
    EXPECT_EQ(WholeReadsOfTwo(control), 2);  // never trusted to be unchanged
}

// When no part can be asked for (the messenger's process cannot be opened), rows and
// length tell whether the history changed.
TEST(HistoryTailReaderTest, AControlReadOnlyWholeIsReadAgainOnlyWhenItsRowsOrLengthChange) {
    FakeHistoryControl control(History(50));
    control.readsParts = false;
    HistoryTailReader reader;
    EXPECT_EQ(reader.Read(control, kControl), History(50));
    EXPECT_EQ(reader.Read(control, kControl), History(50));
    EXPECT_EQ(control.wholeReads, 1);
    control.Append("\r\n" + Message(50, Body(50)));
    EXPECT_EQ(reader.Read(control, kControl), History(51));
    EXPECT_EQ(control.wholeReads, 2);
    EXPECT_EQ(control.partReads, 0);
}

std::string HistoryWithoutSeconds(int messages) {
    std::string text;
    for (int i = 0; i < messages; ++i) text += "moon 20:" + std::to_string(10 + i % 50) + "\r\n" + Body(i) + "\r\n";
    return text;
}

TEST(HistoryTailReaderTest, ALongLastMessageOrNoHeaderLineIsReadWholeOnce) {
    for (const std::string& text : {History(20) + "\r\n" + Message(20, Lines(8000)), std::string(100000, 'x') + "\r\nno time"}) {
        FakeHistoryControl control(text);
        EXPECT_EQ(WholeReadsOfTwo(control), 1);  // then found unchanged
    }
    // Header lines without seconds are told by the lines themselves: only the end is read.
    FakeHistoryControl control(HistoryWithoutSeconds(5000));
    HistoryTailReader reader;
    EXPECT_TRUE(EndsWith(control.WholeTextNow(), reader.Read(control, kControl)));
    EXPECT_EQ(control.wholeReads, 0);
}

// A last message longer than the longest end read, whose lines hold times, is found in
// the whole text.
TEST(HistoryTailReaderTest, AHeaderLineBeforeTheLongestEndIsFoundInTheWholeText) {
    std::string meetings;
    for (int i = 0; i < 6000; ++i) meetings += "meet at 5:30 in room " + std::to_string(i) + "\r\n";
    FakeHistoryControl control(History(20) + "\r\n" + Message(20, meetings));
    HistoryTailReader reader;
    const std::string read = reader.Read(control, kControl);
    EXPECT_EQ(Parsed(read), Parsed(control.WholeTextNow()));
    EXPECT_TRUE(read.starts_with(Message(0, Body(0))));
    EXPECT_EQ(control.wholeReads, 1);
}

TEST(HistoryTailReaderTest, AMessageLongerThanTheFirstReadIsReadFurtherBack) {
    FakeHistoryControl control(History(1000) + "\r\n" + Message(1000, Lines(300)));
    HistoryTailReader reader;
    EXPECT_EQ(Parsed(reader.Read(control, kControl)), Parsed(control.WholeTextNow()));
    EXPECT_EQ(control.wholeReads, 0);
    EXPECT_EQ(control.walks, 2);  // 1024 characters, then 8192
}

TEST(HistoryTailReaderTest, EmptyAndShortHistories) {
    for (const char* text : {"", "hello", "moon 20:16:30", "moon 20:16:30\r\nhi", "\r\n\r\n"}) {
        FakeHistoryControl control(text);
        HistoryTailReader reader;
        EXPECT_EQ(reader.Read(control, kControl), control.WholeTextNow()) << text;
    }
    // A first byte of zero: no text at all, whether the end or the whole is read.
    const std::string startsWithNul = std::string(1, '\0') + History(3000);
    FakeHistoryControl control(startsWithNul);
    HistoryTailReader reader;
    EXPECT_EQ(reader.Read(control, kControl), "");
    control.readsParts = false;
    EXPECT_EQ(reader.Read(control, kControl), "");
}

// The property the capture relies on: whatever the transcript, the end read parses
// exactly as the whole text, by the rule the window's header lines have taught.
TEST(HistoryTailReaderTest, TheEndParsesAsTheWholeTextForRandomTranscripts) {
    RandomTranscripts transcripts(20090106);
    int tails = 0;
    for (int i = 0; i < 3000; ++i) {
        FakeHistoryControl control(transcripts.Next());
        const HeaderRule rule = GroupRule(transcripts.WithSeconds() ? ClockStyle::WithSeconds : ClockStyle::WithoutSeconds);
        HistoryTailReader reader;
        const std::string whole = control.WholeTextNow();
        const std::string read = reader.ReadFrom(control, kControl, {std::nullopt, rule}).text;
        ASSERT_TRUE(EndsWith(whole, read)) << i;
        ASSERT_EQ(Parsed(read, rule), Parsed(whole, rule)) << i;
        tails += reader.counts().tails;
    }
    EXPECT_GT(tails, 2400);
}

}  // namespace

namespace burst {

using parlowen::capture::CaptureOutput;
using parlowen::capture::CaptureTick;
using parlowen::capture::ChatWindowRef;
using parlowen::capture::ReadingOptions;

struct LoggingOutput : CaptureOutput {
    std::vector<std::string> logged;
    ReadingOptions Options() override { return {}; }
    void SpeakMine(std::string_view) override {}
    void SpeakFriend(std::string_view) override {}
    void SpeakMember(const parlowen::chat::Speaker&, std::string_view, std::string_view) override {}
    void AppendLogEntry(std::string_view, std::string_view body, const parlowen::chat::Speaker&) override { logged.emplace_back(body); }
};

// A burst longer than the first end read, with double-byte characters, is read back to
// the last message handled (never whole), and each of its messages is handled once.
// One chat's history read by the reader and handled by the capture, as the program does.
struct ReadAndHandle {
    FakeHistoryControl& control;
    const ChatWindowRef window{kControl, "Chatting with moon", false};
    HistoryTailReader reader;
    CaptureTick tick;
    LoggingOutput output;
    void operator()() { tick.Handle(window, reader.ReadFrom(control, kControl, tick.RequestFor(window)), output, {}); }
};

TEST(HistoryTailReaderTest, ABurstIsReadBackToTheLastMessageHandled) {
    FakeHistoryControl control(History(200));
    ReadAndHandle readAndHandle{control};
    LoggingOutput& output = readAndHandle.output;
    readAndHandle();
    ASSERT_EQ(output.logged, std::vector<std::string>{Body(199)});
    std::vector<std::string> burst;
    for (int i = 200; i < 260; ++i) {
        burst.push_back(Body(i) + Gbk(" 你好，今天") + std::string(30, 'x'));
        control.Append("\r\n" + Message(i, burst.back()));
    }
    output.logged.clear();
    readAndHandle();
    readAndHandle();  // unchanged: nothing more
    EXPECT_EQ(output.logged, burst);
    EXPECT_EQ(control.wholeReads, 0);
}

// A cap that drops a message longer than a read reaches back moves the place further
// back than that: the read reaches back until it holds the place, and every message that
// came is handled at once, the long one among them.
TEST(HistoryTailReaderTest, ACapThatDropsALongMessageLosesNothingAfterThePlace) {
    std::string history = Message(0, std::string(100000, 'x'));
    for (int i = 1; i <= 20; ++i) history += "\r\n" + Message(i, Body(i));
    FakeHistoryControl control(history);
    ReadAndHandle readAndHandle{control};
    LoggingOutput& output = readAndHandle.output;
    readAndHandle();
    ASSERT_EQ(output.logged, std::vector<std::string>{Body(20)});
    const std::vector<std::string> came = {Body(21), Body(22), std::string(100000, 'y'), Body(24)};
    for (int i = 0; i < 4; ++i) control.Append("\r\n" + Message(21 + i, came[i]));
    control.DropFirstParagraphs(2);
    output.logged.clear();
    readAndHandle();
    EXPECT_EQ(output.logged, came);
}

}  // namespace burst
