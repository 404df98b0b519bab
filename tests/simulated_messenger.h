// A simulated messenger as the judge of the chat capture. From a seed it plays chats in
// several windows, one-to-one and group, while the user switches between them: bursts of
// messages, headers shown a moment before their text, blank and picture-only bodies,
// times and prices inside text, capped, cleared and replaced histories, titles that
// change and change back, two windows of one title, chats closed and opened again, and
// messages arriving while a read is under way. It keeps what each window shows, works
// out from what each read saw which messages are due, and checks that the capture logs
// and speaks each of them once, in order, with the right voice.
//
// It plays the capture following the chat window last in front alone, or following
// every chat window open (`everyChat`): then the windows are read in rounds, in any
// order, messages may come in one window while another of the round is read, a window
// seen behind the others at the capture's first look gives nothing it held when the
// capture first read it, and one the messenger opens behind them later (for a message,
// its older history above it) gives what was written since it opened.
#pragma once

#include "capture/capture_tick.h"
#include "capture/chat_capture.h"
#include "capture/history_tail.h"
#include "text/blanks.h"
#include "unit/fake_chat_windows.h"
#include "unit/fake_history_control.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace parlowen::testing {

// What a run found, in messages; unmatched counts log entries that are none of the chat's
// messages (and reads that gave a text the window never showed), misSpoken reads whose
// speech is not what they logged. The indistinguishable mis-handled count the messages
// with a line written like a header, and those right after them, and the twins of
// capped histories, that were not handled once, in order, with the right voice.
struct SimulationCounts {
    long sent = 0, due = 0, handled = 0, lost = 0, repeated = 0, wrongSpeaker = 0, outOfOrder = 0, passedOver = 0,
         indistinguishable = 0, indistinguishableMisHandled = 0, unexpected = 0, unmatched = 0, misSpoken = 0;
    bool Clean() const { return !lost && !repeated && !wrongSpeaker && !outOfOrder && !unexpected && !unmatched && !misSpoken; }
    SimulationCounts& operator+=(const SimulationCounts& other) {
        long* mine = &sent;
        const long* theirs = &other.sent;
        for (std::size_t i = 0; i < sizeof *this / sizeof sent; ++i) mine[i] += theirs[i];
        return *this;
    }
    std::string Line() const {
        char line[400];
        std::snprintf(line, sizeof line,
                      "sent %ld, due %ld, handled %ld, lost %ld, repeated %ld, wrong speaker %ld, out of order %ld, "
                      "passed over by design %ld, indistinguishable made %ld (mis-handled %ld), handled though not due "
                      "%ld, unmatched %ld, mis-spoken reads %ld",
                      sent, due, handled, lost, repeated, wrongSpeaker, outOfOrder, passedOver, indistinguishable,
                      indistinguishableMisHandled, unexpected, unmatched, misSpoken);
        return line;
    }
};

// What a run plays; the numbers after `windows` are percentages.
struct SimulationKnobs {
    unsigned seed = 1;
    long messages = 1000;
    int windows = 4;        // chat windows open at the start, 1-6
    int longBursts = 10;    // bursts of 4-12 messages between reads (else 1-3)
    int splitBodies = 15;   // a header shown, a read, then its body
    int blankBodies = 5;    // picture-only messages: a body of one space
    int pastedHeaders = 1;  // a body line written exactly like a header line of the chat
    int midRead = 5;        // reads during which a message arrives
    int upheaval = 6;       // steps that clear, replace, retitle, close or reopen a window
    int numberedGroups = 0;  // groups whose header lines write a number after each name
    int hugeOneIn = 0;       // one message in this many carries 300 KB (0: none)
    int popUps = 0;          // steps in which the messenger opens a new chat's window for a message
    bool everyChat = false;  // every open chat window is followed, not only the one in front
};

// Finds a window as the platform does: `handle` while it exists, else the first window
// titled `title`; its handle (0: none) and history control. The top-level windows, and
// the order in which the windows of a round of reads are read.
class WindowFinder {
public:
    virtual ~WindowFinder() = default;
    virtual std::pair<std::uintptr_t, capture::HistoryControl*> Find(std::uintptr_t handle, const std::string& title) = 0;
    virtual std::vector<capture::TitledWindow> TopLevel() = 0;
    virtual std::vector<std::size_t> ReadingOrder(std::size_t reads) = 0;
};

// One read of a round: the window asked for, the window read (0: none) and its text.
struct ServedRead {
    std::uintptr_t requested = 0, handle = 0;
    capture::TailRead history;
};

// The capture as the simulated messenger drives it: the tracking tick, and a round of
// reads handled into `output`, in the order the capture asked for them: of the chat last
// in front alone, or with `everyChat` of every chat followed (`frontOnly`: of the one in
// front, as when a change was seen there between rounds). The names the capture knows
// the user by.
class CaptureUnderTest {
public:
    virtual ~CaptureUnderTest() = default;
    virtual void Track(WindowFinder& find, std::uintptr_t handle, const std::string& title, bool everyChat,
                       capture::LocalTime now) = 0;
    virtual std::vector<ServedRead> Read(WindowFinder& find, capture::CaptureOutput& output,
                                         std::chrono::steady_clock::time_point now, bool everyChat, bool frontOnly) = 0;
    virtual std::vector<std::string> UserNames() const = 0;
};

class SimulatedMessenger : public WindowFinder {
public:
    SimulatedMessenger(const SimulationKnobs& knobs, CaptureUnderTest& capture)
        : knobs_(knobs), capture_(capture), random_(knobs.seed), startSeconds_(Between(0, 86399)) {}

    SimulationCounts Run() {
        for (int i = 0, n = std::clamp(knobs_.windows, 1, 6); i < n; ++i) Open(i);
        while (long(messages_.size()) < knobs_.messages) Step();
        // At the end every chat is opened and read, and read again once a waiting body
        // has had its time.
        for (Window* w : Windows(false)) Reopen(*w);
        for (Window* w : Windows(true)) {
            w->title = w->chat.title;
            Switch(w);
            Read();
            clockMs_ += 2500;
            Read();
        }
        return Tally();
    }

    std::pair<std::uintptr_t, capture::HistoryControl*> Find(std::uintptr_t handle, const std::string& title) override {
        for (const bool byHandle : {true, false})
            for (Window* w : Windows(true))
                if (byHandle ? w->handle == handle : w->title == title) return {w->handle, &w->control};
        return {0, nullptr};
    }
    std::vector<capture::TitledWindow> TopLevel() override {
        std::vector<capture::TitledWindow> found{{kNotepad, Gbk("记事本")}};
        for (Window* w : Windows(true)) found.push_back({w->handle, w->title});
        return found;
    }
    // As the platform reads a round (the first window last), or in any order.
    std::vector<std::size_t> ReadingOrder(std::size_t reads) override {
        std::vector<std::size_t> order;
        for (std::size_t i = reads; i-- > 0;) order.push_back(i);
        if (reads > 1 && Chance(50))
            for (std::size_t i = reads; i > 1; --i) std::swap(order[i - 1], order[Between(0, int(i) - 1)]);
        return order;
    }

private:
    enum class State { Unsettled, Due, Optional, Passed };
    static constexpr std::uintptr_t kNotepad = 0x999;  // a window that is no chat

    struct Message {
        std::vector<std::string> lines;  // its header line, then its body's
        std::string header, body;        // as the log must show them
        long long seconds = 0;           // when it was written, as its header tells
        chat::Role sender{};
        std::string number;  // a member's, where the header line writes one
        bool blank = false;
        bool shaped = false;     // a body line reads as a header line of its chat
        bool disturbed = false;  // it follows a shaped one
        // Alike in header and text to the one before it, in a capped history: once a cap
        // drops the first, no read tells which of the two is left.
        bool twin = false;
        State state = State::Unsettled;
        int handled = 0;
        bool misHandled = false;
    };
    struct Chat {  // what a window shows, and how
        std::string title;
        bool group, seconds, dated, paddedHour;
        std::vector<std::string> speakers;  // header names in GBK; the user's first
        std::size_t cap;                    // paragraphs kept; 0: all
        std::string lineBreak;
        std::vector<std::string> numbers{};  // in a group, the one written after each speaker's name
        int id = 0;                          // the same in each window of the chat
    };
    struct Memory {  // what the capture should know of a chat
        bool fresh = true;      // nothing yet, or the history was cleared or replaced since
        int newFrom = 1 << 30;  // cleared or replaced: messages from this one on may all be handled
        int anchor = -1;        // the last message a read saw
        int waitedAfresh = -1;  // the last one a read afresh saw, its body still to come
        int lastMatched = -1;
        std::string lastHeader;
        std::vector<int> shown;  // every message the chat showed
    };
    struct Window {
        Chat chat;
        Memory memory;
        std::uintptr_t handle = 0;
        std::string title;
        bool open = true;
        FakeHistoryControl control{"", 40};
        std::vector<std::pair<int, bool>> paragraphs;  // the message of each, and whether it is its header
        std::string toAppend;                          // what the control is yet to show, and drop
        std::size_t toDrop = 0;
        // What the last read of it saw: a read that found the history unchanged gives
        // that text again, whatever the window shows now.
        struct {
            std::string text;
            long start = -1;
            std::vector<int> visible;
            int partial = -1;
        } lastRead;
    };
    struct Snapshot {
        const Window* window;
        std::vector<int> visible;
        std::string text;
        int partial;  // the last message visible, when its body is not all shown yet; else -1
    };
    struct Entry {
        std::string header, body;
        chat::Role sender;
        std::string number;
    };
    struct Output : capture::CaptureOutput {
        std::vector<Entry> entries;
        std::vector<std::string> mine, friends, members;
        capture::ReadingOptions Options() override { return {}; }
        void SpeakMine(std::string_view text) override { mine.emplace_back(text); }
        void SpeakFriend(std::string_view text) override { friends.emplace_back(text); }
        void SpeakMember(const chat::Speaker&, std::string_view, std::string_view text) override {
            members.emplace_back(text);
        }
        void AppendLogEntry(std::string_view header, std::string_view body, const chat::Speaker& speaker) override {
            entries.push_back({std::string(header), std::string(body), speaker.role, speaker.number});
        }
    };

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool Chance(int percent) { return Between(1, 100) <= percent; }
    template <class T> const T& AnyOf(const std::vector<T>& items) { return items[Between(0, int(items.size()) - 1)]; }

    std::vector<Window*> Windows(bool open) const {
        std::vector<Window*> found;
        for (const auto& w : windows_)
            if (w && w->open == open) found.push_back(w.get());
        return found;
    }

    // ---- The chats -------------------------------------------------------------------

    // Who the capture must say wrote a message: in a one-to-one window the friend its
    // title names, or the user; in a group window a member, or the user, who is known
    // there once the capture has learned the name a one-to-one window shows the user by,
    // whether the group writes it alone or with the user's number after it; till then
    // the user passes for a member. A member a group writes with a number is told with it.
    static chat::Role ExpectedSender(const Chat& chat, std::size_t speaker) {
        if (chat.group) return speaker == 0 ? chat::Role::Mine : chat::Role::Member;
        return speaker == 1 ? chat::Role::Friend : chat::Role::Mine;
    }
    bool RightSpeaker(const Message& m, const Entry& told, bool group) const {
        if (told.sender == chat::Role::Member && m.sender == chat::Role::Member) return told.number == m.number;
        return told.sender == m.sender || (group && m.sender == chat::Role::Mine && told.sender == chat::Role::Member &&
                                           !userKnown_);
    }

    void Open(int index) {
        static const std::vector<std::pair<const char*, const char*>> kFriends = {
            {"moon(10001)", "与 moon 交谈中"}, {"[vip]星星", "与 [vip]星星 交谈中"}, {"10001", "与 10001 交谈中"},
            {"小明", "Chatting with 小明"}, {"Tom<t.x>", "Chatting with Tom"}};
        static const std::vector<const char*> kGroups = {"快乐一家群", "Group － Classmates", "同学会群"};
        static const std::vector<std::pair<const char*, const char*>> kMembers = {
            {"王五", ""}, {"赵六(20002)", "20002"}, {"30003", ""}, {"《老李》", ""}, {"Jerry", ""}, {"[vip]花花", ""}};
        static const std::vector<const char*> kUserNames = {"sky", "Lee", "张三"};
        if (user_.empty()) user_ = Gbk(AnyOf(kUserNames));
        Chat chat{{}, index % 2 == 1, !Chance(25), Chance(15), Chance(50), {user_},
                  Chance(40) ? std::size_t(Between(20, 120)) : 0, Chance(30) ? "\r" : "\r\n"};
        chat.id = index;
        if (chat.group) {  // now and then two groups of one title, with other members
            chat.title = index == 3 && Chance(50) ? windows_[1]->chat.title : Gbk(AnyOf(kGroups));
            chat.numbers.emplace_back();
            for (int i = Between(2, 5); i > 0; --i) {
                const auto& [name, number] = AnyOf(kMembers);
                chat.speakers.push_back(Gbk(name));
                chat.numbers.emplace_back(number);
            }
            // A group may write every name with a number after it, the user's too:
            // members of one name have numbers of their own.
            if (knobs_.numberedGroups > 0 && Chance(knobs_.numberedGroups))
                for (std::size_t i = 0; i < chat.speakers.size(); ++i) {
                    chat.numbers[i] = i == 0 ? "88888" : std::to_string(Between(10000, 99999));
                    chat.speakers[i] = chat.speakers[i].substr(0, chat.speakers[i].find('(')) + "(" + chat.numbers[i] + ")";
                }
        } else {
            const auto& [name, title] = kFriends[(index / 2 + knobs_.seed) % kFriends.size()];
            chat.speakers.push_back(Gbk(name));
            chat.title = Gbk(title);
        }
        Window& w = Adopt(chat, {});
        for (int i = Between(0, 6); i > 0; --i) Arrive(w, false);
    }

    Window& Adopt(const Chat& chat, Memory memory) {
        auto w = std::make_unique<Window>();
        w->chat = chat;
        w->memory = std::move(memory);
        w->handle = 0x10000 + 4 * windows_.size();
        w->title = chat.title;
        w->control.beforeRequest = [this, raw = w.get()](FakeHistoryControl&) { OnRequest(*raw); };
        chatOf_[w->handle] = chat.id;
        windows_.push_back(std::move(w));
        return *windows_.back();
    }

    std::string Clock(const Chat& chat, long long seconds) const {
        char text[40];
        const int hour = int(seconds / 3600 % 24), minute = int(seconds / 60 % 60), second = int(seconds % 60);
        int n = chat.dated ? std::snprintf(text, sizeof text, "2009-01-%02d ", 6 + int(seconds / 86400 % 20)) : 0;
        n += std::snprintf(text + n, sizeof text - n, chat.paddedHour ? "%02d:%02d" : "%d:%02d", hour, minute);
        if (chat.seconds) std::snprintf(text + n, sizeof text - n, ":%02d", second);
        return text;
    }
    long long Seconds() const { return 2 * 86400 + startSeconds_ + clockMs_ / 1000 - backdate_; }
    // The user's clock, which the messenger's header lines show.
    capture::LocalTime Now() const {
        const long long seconds = Seconds();
        return {1, 6 + int(seconds / 86400 % 20), int(seconds % 86400)};
    }

    // Whether `line` is written like a header line of `chat`: a name, maybe a date (a
    // messenger may date only the headers of other days) and a time in the chat's clock
    // style, alone on the line; the name one of the two speakers in a one-to-one chat,
    // any name in a group.
    static bool HeaderShaped(const Chat& chat, const std::string& line) {
        std::vector<std::string> words;
        for (std::size_t at = 0; (at = line.find_first_not_of(' ', at)) != std::string::npos;) {
            const std::size_t end = std::min(line.find(' ', at), line.size());
            words.push_back(line.substr(at, end - at));
            at = end;
        }
        if (words.size() != 2 && (words.size() != 3 || words[1].size() != 10 || words[1][4] != '-')) return false;
        std::string time = words.back();
        for (char& c : time) c = c >= '0' && c <= '9' ? '0' : c;
        const bool clock = time == "0:00" || time == "00:00" || time == "0:00:00" || time == "00:00:00";
        if (!clock || (time.size() > 5) != chat.seconds) return false;
        return chat.group || std::find(chat.speakers.begin(), chat.speakers.end(), words[0]) != chat.speakers.end();
    }

    std::vector<std::string> Body(const Chat& chat) {
        static const std::vector<std::vector<std::string>> kCorpus = [] {
            std::vector<std::vector<std::string>> corpus;
            for (const char* text :
                 {"好的", "在吗？", "ok", "明天 10:00:00 开会", "闹钟定在 7:00:00 了", "我到了\n8:05:00",
                  "2009-01-06 出发，别忘了", "一共 12:30 块", "12:30", "下午 3:30", "see you at 5:30 pm",
                  "http://www.example.com/a?b=1&c=2", "/微笑", "[em]e100[/em]", "哈哈😀 好的", "第一行\n\n第三行",
                  "  缩进的一行  ", "-----原始消息-----\n发件人: moon\n时间: 2009-01-06 20:15:08\n  周五见",
                  "价格：12:30:99 元", "10:00", "收到\n \n谢谢", "Re: 12:00:00"}) {
                std::string rest = Gbk(text);
                corpus.emplace_back();
                for (std::size_t end; (end = rest.find('\n')) != std::string::npos; rest.erase(0, end + 1))
                    corpus.back().push_back(rest.substr(0, end));
                corpus.back().push_back(rest);
            }
            return corpus;
        }();
        if (Chance(knobs_.blankBodies)) return {" "};
        if (knobs_.hugeOneIn && chat.cap && Between(1, knobs_.hugeOneIn) == 1)
            return std::vector<std::string>(10, std::string(30 * 1024, 'x'));
        std::vector<std::string> body = Chance(70) ? AnyOf(kCorpus) : std::vector<std::string>{};
        for (int i = body.empty() ? Between(1, 3) : 0; i > 0; --i) {  // ordinary Chinese and ASCII
            std::string line;
            for (int n = Between(1, 40); n > 0; --n)
                line += Chance(60) ? std::string{char(Between(0xB0, 0xD6)), char(Between(0xA1, 0xFE))}
                                   : std::string(1, Chance(10) ? ' ' : char('a' + Between(0, 25)));
            body.push_back(line);
        }
        if (Chance(knobs_.pastedHeaders))
            body.insert(body.begin() + Between(0, int(body.size())),
                        AnyOf(chat.speakers) + " " + Clock(chat, Seconds() - Between(0, 3600)));
        return body;
    }

    // A message arrives in `w`: its header line, and its body unless `headerOnly`.
    int Arrive(Window& w, bool headerOnly) {
        const std::size_t speaker = Between(0, int(w.chat.speakers.size()) - 1);
        Message m;
        m.seconds = Seconds();
        m.header = w.chat.speakers[speaker] + " " + Clock(w.chat, m.seconds);
        m.lines = {m.header};
        m.sender = ExpectedSender(w.chat, speaker);
        if (m.sender == chat::Role::Member) m.number = w.chat.numbers[speaker];
        m.disturbed = !w.memory.shown.empty() && messages_[w.memory.shown.back()].shaped;
        std::string body;
        for (const std::string& line : Body(w.chat)) {
            body += (m.lines.size() > 1 ? "\r\n" : "") + line;
            m.lines.push_back(line);
            m.shaped = m.shaped || HeaderShaped(w.chat, line);
        }
        m.body = text::TrimBlanks(body);
        m.blank = m.body.empty();
        if (w.chat.cap && !w.memory.shown.empty()) {
            const Message& before = messages_[w.memory.shown.back()];
            m.twin = before.header == m.header && before.body == m.body;
        }
        messages_.push_back(std::move(m));
        const int id = int(messages_.size()) - 1;
        w.memory.shown.push_back(id);
        Show(w, id, 0, headerOnly ? 1 : messages_[id].lines.size());
        return id;
    }

    // Lines `from` to `to` of message `id` appear; a capped history drops its oldest.
    // The control shows them at the next read (Flush), all that came since at once.
    void Show(Window& w, int id, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            w.toAppend += (w.paragraphs.empty() ? "" : w.chat.lineBreak) + messages_[id].lines[i];
            w.paragraphs.emplace_back(id, i == 0);
        }
        if (w.chat.cap && w.paragraphs.size() > w.chat.cap) {
            const std::size_t drop = std::min(w.paragraphs.size() - 1, w.paragraphs.size() - w.chat.cap + Between(0, 10));
            w.toDrop += drop;
            w.paragraphs.erase(w.paragraphs.begin(), w.paragraphs.begin() + long(drop));
        }
    }
    static void Flush(Window& w) {
        if (!w.toAppend.empty()) w.control.Append(std::exchange(w.toAppend, {}));
        if (w.toDrop) w.control.DropFirstParagraphs(std::exchange(w.toDrop, 0));
    }

    static std::vector<int> Visible(const Window& w) {
        std::vector<int> ids;
        for (const auto& [id, header] : w.paragraphs)
            if (header) ids.push_back(id);
        return ids;
    }

    int Partial(const Window& w) const {
        if (w.paragraphs.empty()) return -1;
        const int last = w.paragraphs.back().first;
        const auto shown = std::count_if(w.paragraphs.begin(), w.paragraphs.end(), [&](const auto& p) { return p.first == last; });
        return std::size_t(shown) < messages_[last].lines.size() ? last : -1;
    }

    void Clear(Window& w) {
        w.control.SetText("");
        w.paragraphs.clear();
        w.toAppend.clear();
        w.toDrop = 0;
        w.memory.fresh = true;
        w.memory.newFrom = int(messages_.size());
    }

    // A chat closed and opened again: a new window of the same title showing its latest
    // messages, those that came while it was closed among them.
    void Reopen(Window& old) {
        Window& w = Adopt(old.chat, old.memory);
        const std::vector<int> visible = Visible(old);
        for (std::size_t i = Chance(70) ? 0 : Between(0, int(visible.size())); i < visible.size(); ++i)
            Show(w, visible[i], 0, messages_[visible[i]].lines.size());
        for (auto& owned : windows_)
            if (owned.get() == &old) owned.reset();
    }

    // The messenger opens a one-to-one chat's window for a message, behind the others:
    // the chat's older history above the message, and now and then another after it.
    void PopUp() {
        const std::string name = "friend" + std::to_string(++poppedUp_);
        Chat chat{Gbk("与 ") + name + Gbk(" 交谈中"), false, !Chance(25), Chance(15), Chance(50), {user_, name},
                  Chance(40) ? std::size_t(Between(20, 120)) : 0, Chance(30) ? "\r" : "\r\n"};
        chat.id = 1000 + poppedUp_;
        // The user closes the chats opened so, but for the last few.
        for (Window* o : Windows(true))
            if (o->chat.id >= 1000 && o->chat.id <= 1000 + poppedUp_ - 4) {
                o->open = false;
                if (front_ == o) front_ = nullptr;
            }
        Window& w = Adopt(chat, {});
        backdate_ = Between(3600, 20 * 3600);
        for (int i = Between(0, 5); i > 0; --i) Arrive(w, false);
        backdate_ = 0;
        for (int i = Between(1, 3); i > 0; --i) Arrive(w, false);
    }

    // ---- The user and the messenger, step by step ------------------------------------

    void Step() {
        clockMs_ += Between(0, 1200);
        if (knobs_.popUps && Chance(knobs_.popUps)) return PopUp();
        const std::vector<Window*> open = Windows(true), closed = Windows(false);
        const int what = Between(1, 100);
        if (what <= 58) {  // mostly in the chat in front; now and then in another, or one closed
            Window& w = Chance(60) && front_ ? *front_ : !closed.empty() && Chance(10) ? *AnyOf(closed) : *AnyOf(open);
            for (int i = Chance(knobs_.longBursts) ? Between(4, 12) : Between(1, 3); i > 0; --i) {
                if (!Chance(knobs_.splitBodies)) {
                    Arrive(w, false);
                    continue;
                }
                const int id = Arrive(w, true);
                clockMs_ += Between(50, 500);
                Read(false);
                Show(w, id, 1, messages_[id].lines.size());
            }
        } else if (what <= 80) {
            // The tracking tick, nothing changed; following every chat, it looks for new
            // chat windows every few ticks.
            if (Chance(knobs_.everyChat ? 70 : 10)) Switch(front_);
            Read();
        } else if (what <= 100 - knobs_.upheaval) {
            Switch(Chance(85) ? AnyOf(open) : nullptr);
        } else {
            Upheaval(*AnyOf(open), open.size(), closed);
        }
    }

    void Upheaval(Window& w, std::size_t open, const std::vector<Window*>& closed) {
        switch (Between(0, 4)) {
        case 0: Clear(w); break;
        case 1:  // another conversation in the window
            Clear(w);
            backdate_ = Between(3600, 20 * 3600);  // an older conversation
            for (int i = Between(1, 5); i > 0; --i) Arrive(w, false);
            backdate_ = 0;
            w.memory.newFrom = int(messages_.size());
            break;
        case 2:  // "typing" and back, or a title without a chat marker and back
            w.title = w.title != w.chat.title ? w.chat.title
                      : Chance(50)            ? w.chat.title + Gbk(" (对方正在输入...)")
                                              : notice_;
            if (front_ == &w) Switch(&w);
            break;
        default:
            if (!closed.empty() && Chance(50)) {
                Reopen(*AnyOf(closed));
                if (Chance(50)) Switch(windows_.back().get());
            } else if (open > 1 && std::count_if(windows_.begin(), windows_.end(), [&](const auto& o) {
                           return o && o->chat.title == w.chat.title;
                       }) == 1) {
                w.open = false;
                if (front_ == &w) front_ = nullptr;
            }
        }
    }

    // The user brings `w` (nullptr: a window that is no chat) to the front, and the
    // tracking tick sees it.
    void Switch(Window* w) {
        front_ = w;
        capture_.Track(*this, w ? w->handle : kNotepad, w ? w->title : Gbk("记事本"), knobs_.everyChat, Now());
        Tracked(w);
    }

    // What the tracking tick makes of the windows, for the rules of a chat window first
    // seen behind the others. A window whose title is a chat's becomes the chat in front.
    // Following every chat, the windows are looked through on the first tick and every
    // kTicksBetweenLooks after it: those not met before are met behind, at the first look
    // as there before the capture looked, later as opened since. A window met in front, or
    // behind after the first look, takes the memory of its chat's window closed before it.
    void Tracked(Window* w) {
        if (w && w->title != notice_) {
            chatInFront_ = w->handle;
            met_.insert(w->handle);
        }
        if (chatInFront_) TakeClosedNamesake(chatInFront_);
        if (!knobs_.everyChat || ticks_++ % capture::ChatTracking::kTicksBetweenLooks != 0) return;
        const bool first = !looked_;
        looked_ = true;
        for (Window* o : Windows(true)) {
            if (o->handle == chatInFront_ || o->title == notice_ || !met_.insert(o->handle).second) continue;
            if (first)
                metBehind_.insert(o->handle);
            else if (!TakeClosedNamesake(o->handle))
                appeared_[o->handle] = Seconds();
        }
    }
    bool TakeClosedNamesake(std::uintptr_t handle) {
        if (known_.contains(handle)) return false;
        const auto chat = chatOf_.find(handle);
        for (const auto& [closed, id] : chatOf_)
            if (chat != chatOf_.end() && id == chat->second && known_.contains(closed) && !IsOpen(closed)) {
                Moved(closed, handle);
                return true;
            }
        return false;
    }
    // The capture's memory of the chat in window `from` (closed) goes to `to`, a window of
    // the same chat it has no memory of.
    void Moved(std::uintptr_t from, std::uintptr_t to) {
        if (!known_.contains(from) || known_.contains(to)) return;
        known_.erase(from);
        known_.insert(to);
    }

    // Before each request of a read: what a window shows is remembered as the read first
    // finds it, and again when a message arrives during the read (then with its text,
    // to tell which of the two the read gave). Following every chat, the message may
    // arrive in another window than the one read, read before or after it in the round.
    void OnRequest(Window& w) {
        const bool arrives = midRead_ > 0 && --midRead_ == 0;
        Window* into = &w;
        if (arrives) {
            if (knobs_.everyChat && Chance(50)) into = AnyOf(Windows(true));
            const bool split = Chance(30);
            const int id = Arrive(*into, split);
            Flush(*into);
            if (split) pending_ = {into, id};
            Snap(*into);
            if (into == &w) return;
        }
        if (std::none_of(snapshots_.begin(), snapshots_.end(), [&](const Snapshot& s) { return s.window == &w; })) Snap(w);
    }
    void Snap(const Window& w) {
        snapshots_.push_back({&w, Visible(w), midReadPlanned_ ? w.control.WholeTextNow() : "", Partial(w)});
    }
    bool IsOpen(std::uintptr_t handle) { return Find(handle, {}).first == handle; }

    void Read(bool messagesMayArrive = true) {
        for (const auto& w : windows_)
            if (w) Flush(*w);
        snapshots_.clear();
        midRead_ = messagesMayArrive && Chance(knobs_.midRead) ? Between(1, 8) : 0;
        midReadPlanned_ = midRead_ > 0;
        // Following every chat, the chat in front is now and then read alone, as when a
        // change was seen in it between the rounds.
        const bool frontOnly = knobs_.everyChat && Chance(30);
        output_.entries.clear(), output_.mine.clear(), output_.friends.clear(), output_.members.clear();
        const std::vector<ServedRead> reads =
            capture_.Read(*this, output_, std::chrono::steady_clock::time_point(std::chrono::milliseconds(clockMs_)),
                          knobs_.everyChat, frontOnly);
        midRead_ = 0;
        Judge(reads);
        if (pending_.first) Show(*pending_.first, pending_.second, 1, messages_[pending_.second].lines.size());
        pending_ = {};
    }

    // ---- The judge -------------------------------------------------------------------

    // The messages a read of `w` saw: those of the text it gave, as the window showed it
    // before or while it was read, or as the last read saw it when this one found the
    // history unchanged; nothing when it matches none of those.
    std::optional<std::vector<int>> Seen(Window& w, const capture::TailRead& history) {
        partial_ = -1;
        if (history.text.empty()) return std::vector<int>{};
        const auto& last = w.lastRead;
        if (!history.changed && history.text == last.text && history.start == last.start)
            return partial_ = last.partial, last.visible;
        const auto seen = [&](const Snapshot& s) {
            w.lastRead = {history.text, history.start, s.visible, s.partial};
            return partial_ = s.partial, s.visible;
        };
        if (!midReadPlanned_)
            for (const Snapshot& s : snapshots_)
                if (s.window == &w) return seen(s);
        for (auto s = snapshots_.rbegin(); s != snapshots_.rend(); ++s) {
            if (s->window != &w || !s->text.ends_with(history.text)) continue;
            const std::string_view before(s->text.data(), s->text.size() - history.text.size());
            long positions = long(capture::GbkCharacterCount(before));  // CR LF counts once
            for (std::size_t at = before.find("\r\n"); at != std::string_view::npos; at = before.find("\r\n", at + 2))
                --positions;
            if (positions == history.start) return seen(*s);
        }
        return std::nullopt;
    }

    // What a read makes due: a chat read afresh (new to the capture, cleared or showing
    // another conversation) gives its last message only; else every message since the
    // last one a read saw. Where a capped history dropped that one, and for what came
    // after a history was cleared or replaced, those before the last may go either way,
    // as may a last message whose header the capture has just handled (it may be that
    // message shown again), also when its body comes only at a later read. The first
    // read of a window seen behind the others at the first look gives nothing: what it
    // held was said before the capture looked, and only what comes after is due. That of
    // a window opened behind them later gives the messages written since a little before
    // it was met (`appearedAt`): those from two minutes before are due, those from four
    // minutes before or earlier, or of another date where the chat shows dates, are not,
    // and those between may go either way.
    void Settle(Memory& memory, const std::vector<int>& seen, bool firstBehind, const Chat& chat,
                std::optional<long long> appearedAt) {
        const int last = seen.back();
        const bool placeLost = !memory.fresh && std::find(seen.begin(), seen.end(), memory.anchor) == seen.end();
        const bool onlyLast = memory.fresh || placeLost;
        for (const int id : seen) {
            Message& m = messages_[id];
            if (m.state != State::Unsettled || id == partial_) continue;
            if (m.blank || firstBehind)
                m.state = State::Passed;
            else if (appearedAt)
                m.state = m.seconds < *appearedAt - 240 ? State::Passed
                          : m.seconds >= *appearedAt - 120 && (!chat.dated || m.seconds / 86400 == *appearedAt / 86400)
                              ? State::Due
                              : State::Optional;
            else if (onlyLast && id != last)
                m.state = placeLost || id >= memory.newFrom ? State::Optional : State::Passed;
            else if ((onlyLast || id == memory.waitedAfresh) && (m.header == lastLogged_ || m.header == memory.lastHeader))
                m.state = State::Optional;
            else
                m.state = State::Due;
        }
        memory.waitedAfresh = (onlyLast || memory.waitedAfresh == last) && partial_ == last ? last : -1;
        memory.fresh = false;
        memory.newFrom = 1 << 30;
        memory.anchor = last;
    }

    // A round of reads: each settled in the order the capture asked for them, then what
    // was logged matched to the messages of the windows read. The capture takes the
    // memory of a closed window for the one read in its place, and a window it keeps no
    // memory of is read afresh; the first read of one first met behind gives nothing.
    // Messages of several windows come in the order of their times, each window's in its
    // own order: an entry is looked for first in the window of the entry before it.
    void Judge(const std::vector<ServedRead>& reads) {
        struct InRead {
            Window* w;
            std::vector<int> ids;
            std::size_t from = 0;
        };
        std::vector<InRead> round;
        userKnown_ = false;
        for (const std::string& name : capture_.UserNames()) userKnown_ = userKnown_ || name == user_;
        for (const ServedRead& read : reads) {
            Window* w = nullptr;
            for (const auto& owned : windows_)
                if (owned && owned->handle == read.handle) w = owned.get();
            if (!w) continue;
            if (read.requested != read.handle) {
                Moved(read.requested, read.handle);
                if (chatInFront_ == read.requested) chatInFront_ = read.handle;
            }
            const bool unknown = !known_.contains(read.handle);
            const bool firstBehind = unknown && metBehind_.contains(read.requested);
            std::optional<long long> appearedAt;
            if (const auto appeared = appeared_.find(read.requested); unknown && appeared != appeared_.end())
                appearedAt = appeared->second;
            known_.insert(read.handle);
            const std::optional<std::vector<int>> seen = Seen(*w, read.history);
            if (!seen) ++counts_.unmatched;
            round.push_back({w, seen.value_or(std::vector<int>{})});
            if (!round.back().ids.empty())
                Settle(w->memory, round.back().ids, firstBehind, w->chat, appearedAt);
            else if (firstBehind)
                w->memory.fresh = true;  // the capture knows no place there yet
        }
        // A message read as two where a line of it reads as a header may pass for another.
        Message* blame = nullptr;
        for (const InRead& r : round)
            for (const int id : r.ids)
                if (!blame && Excused(messages_[id])) blame = &messages_[id];
        Window* previous = nullptr;
        for (const Entry& e : output_.entries) {
            lastLogged_ = e.header.ends_with(kSaid) ? e.header.substr(0, e.header.size() - kSaid.size()) : e.header;
            const auto same = [&](int id) { return messages_[id].header + kSaid == e.header && messages_[id].body == e.body; };
            // The message it reads as: of this read's from the last one matched on, else of
            // the chat's; one due after the last one matched first (one that must be
            // handled before one that may), then one due, then one not handled, then any.
            // Of several windows, first one whose speaker is the one the log tells.
            std::vector<InRead*> order;
            for (InRead& r : round) order.insert(r.w == previous ? order.begin() : order.end(), &r);
            int id = -1;
            InRead* in = nullptr;
            for (int pass = 0; pass < (round.size() > 1 ? 10 : 5) && id < 0; ++pass)
                for (std::size_t o = 0; o < order.size() && id < 0; ++o) {
                    InRead& r = *order[o];
                    const std::size_t inRead = r.ids.size() - r.from, count = inRead + r.w->memory.shown.size();
                    const auto candidate = [&](std::size_t i) { return i < inRead ? r.ids[r.from + i] : r.w->memory.shown[i - inRead]; };
                    const int step = round.size() > 1 ? pass / 2 : pass;
                    for (std::size_t i = 0; i < count && id < 0; ++i) {
                        const Message& m = messages_[candidate(i)];
                        const bool due = !m.handled && (m.state == State::Due || m.state == State::Optional);
                        const bool after = candidate(i) > r.w->memory.lastMatched;
                        const bool wanted = step == 0   ? due && after && m.state == State::Due
                                            : step == 1 ? due && after
                                            : step == 2 ? due
                                            : step == 3 ? !m.handled
                                                        : true;
                        const bool voice = round.size() == 1 || pass % 2 == 1 || RightSpeaker(m, e, r.w->chat.group);
                        if (!wanted || !voice || !same(candidate(i))) continue;
                        // Of messages alike in header and text, the first that may be
                        // handled: the log cannot tell them apart, nor which of them was
                        // the one due.
                        std::size_t first = i;
                        for (std::size_t k = 0; k < i && step <= 1 && first == i; ++k) {
                            Message& alike = messages_[candidate(k)];
                            if (!alike.handled && (alike.state == State::Due || alike.state == State::Optional) &&
                                candidate(k) > r.w->memory.lastMatched && same(candidate(k))) {
                                first = k;
                                std::swap(alike.state, messages_[candidate(i)].state);
                            }
                        }
                        id = candidate(first), in = &r, r.from += first < inRead ? first + 1 : 0;
                    }
                }
            if (id >= 0) {
                Account(*in->w, messages_[id], id, e, blame);
                previous = in->w;
            } else if (Message* head = HeadOf(round, e)) {
                // The first part of a message read as two: it was handled, so that a whole
                // one alike in another chat is not taken for it.
                head->handled = 1;
                head->misHandled = true;
            } else {
                blame ? void(blame->misHandled = true) : void(++counts_.unmatched);
            }
        }
        CheckSpeech(blame, std::max<std::size_t>(round.size(), 1));
    }

    static bool Excused(const Message& m) { return m.shaped || m.disturbed || m.twin; }
    // What the log writes after a message's header line: " 说：".
    static inline const std::string kSaid = " \xCB\xB5\xA3\xBA";

    // The message of the round whose body a line of which reads as a header starts with
    // what `e` logged under its header.
    template <typename Round>
    Message* HeadOf(const Round& round, const Entry& e) {
        for (const auto& r : round)
            for (const int id : r.ids) {
                Message& m = messages_[id];
                if (m.shaped && !m.handled && m.header + kSaid == e.header && m.body.starts_with(e.body) &&
                    m.body.size() > e.body.size())
                    return &m;
            }
        return nullptr;
    }

    void Account(Window& w, Message& m, int id, const Entry& told, Message* blame) {
        const auto fault = [&](long& count) {
            if (Excused(m) || (blame && &count != &counts_.wrongSpeaker))
                (Excused(m) ? m : *blame).misHandled = true;
            else
                ++count;
        };
        if (m.handled++ > 0) return fault(counts_.repeated);
        // Of two messages alike in header and text the log cannot tell which came first.
        const Message& lastMatched = messages_[std::max(w.memory.lastMatched, 0)];
        if (id < w.memory.lastMatched && (m.header != lastMatched.header || m.body != lastMatched.body))
            fault(counts_.outOfOrder);
        if (!RightSpeaker(m, told, w.chat.group)) fault(counts_.wrongSpeaker);
        if (m.state == State::Passed || m.state == State::Unsettled) fault(counts_.unexpected);
        w.memory.lastMatched = std::max(w.memory.lastMatched, id);
        w.memory.lastHeader = m.header;
    }

    // A read speaks once a profile at most for each window read, and each member's
    // message on its own: the bodies of each speaker's kind in the order logged. Following
    // every chat, what is said in a chat other than the one heard last starts with the
    // chat's name, which the log does not show.
    void CheckSpeech(Message* blame, std::size_t windowsRead) {
        bool right = output_.mine.size() <= windowsRead && output_.friends.size() <= windowsRead;
        const auto joined = [](const std::vector<std::string>& utterances) {
            std::string all;
            for (const std::string& utterance : utterances) all += utterance + "\r\n";
            return all;
        };
        const std::string mine = joined(output_.mine), friends = joined(output_.friends), members = joined(output_.members);
        for (const auto& [role, said] : {std::pair{chat::Role::Mine, &mine}, std::pair{chat::Role::Friend, &friends},
                                         std::pair{chat::Role::Member, &members}}) {
            std::size_t at = 0;
            bool any = false;
            for (const Entry& e : output_.entries) {
                if (e.sender != role || at == std::string::npos) continue;
                any = true;
                at = said->find(e.body, at);
                if (at != std::string::npos) at += e.body.size();
            }
            right = right && at != std::string::npos && any == !said->empty();
        }
        if (!right) blame ? void(blame->misHandled = true) : void(++counts_.misSpoken);
    }

    SimulationCounts Tally() {
        SimulationCounts c = counts_;
        c.sent = long(messages_.size());
        for (Message& m : messages_) {
            if (m.state == State::Due && !m.handled) Excused(m) ? void(m.misHandled = true) : void(++c.lost);
            c.due += m.state == State::Due;
            c.handled += m.handled > 0;
            c.passedOver += m.state != State::Due && !m.handled;
            c.indistinguishable += m.shaped || m.twin;
            c.indistinguishableMisHandled += m.misHandled;
        }
        return c;
    }

    SimulationKnobs knobs_;
    CaptureUnderTest& capture_;
    std::mt19937 random_;
    long long startSeconds_;
    long long clockMs_ = 0, backdate_ = 0;
    std::string user_;
    std::vector<std::unique_ptr<Window>> windows_;  // in the order the system finds them; null: closed for good
    std::vector<Message> messages_;
    Window* front_ = nullptr;
    std::vector<Snapshot> snapshots_;
    int midRead_ = 0;  // requests until a message arrives during the read
    bool midReadPlanned_ = false;
    std::pair<Window*, int> pending_{};  // a header that arrived during a read, its body to come
    Output output_;
    std::string lastLogged_;
    int partial_ = -1;  // of the read judged: the last message seen, its body not all shown yet
    SimulationCounts counts_;
    // What the capture must know: the windows (by handle) it keeps a memory of, those the
    // tracking has met, met behind the others at its first look, and met behind them
    // later (and when), the chat in front, the chat each window shows, and whether the
    // user's name is known.
    const std::string notice_ = Gbk("消息提醒");  // a title that marks no chat
    std::set<std::uintptr_t> known_, met_, metBehind_;
    std::map<std::uintptr_t, long long> appeared_;
    bool looked_ = false;
    int poppedUp_ = 0;
    std::uintptr_t chatInFront_ = 0;
    std::map<std::uintptr_t, int> chatOf_;
    long ticks_ = 0;
    bool userKnown_ = false;
};

// The program's capture: the tracking and capture ticks, and the history reads, as the
// platform reads: a tail reader for each window, which, following every chat, mostly asks
// a window read every second for its length alone.
class SimulatedChatCapture : public CaptureUnderTest {
public:
    // As the platform: looks that ask for the length alone between whole cheap tests.
    static constexpr int kQuickLooksBetweenTests = 4;

    void Track(WindowFinder& find, std::uintptr_t handle, const std::string& title, bool everyChat,
               capture::LocalTime now) override {
        windows_.exists = [&find](std::uintptr_t window) { return find.Find(window, {}).first == window; };
        windows_.foregroundHandle = handle;
        windows_.foregroundTitle = title;
        windows_.chats.clear();
        if (everyChat)
            for (const capture::TitledWindow& window : find.TopLevel()) windows_.chats[window.handle] = {window.title, {}};
        capture_.TrackChats(windows_, everyChat, now);
    }
    std::vector<ServedRead> Read(WindowFinder& find, capture::CaptureOutput& output,
                                 std::chrono::steady_clock::time_point now, bool everyChat, bool frontOnly) override {
        std::vector<capture::ChatRead> requests;
        if (everyChat && !frontOnly) {
            requests = capture_.NextReads(now);
        } else if (const std::optional<capture::ChatRead> next = capture_.NextRead()) {
            requests.push_back(*next);
        }
        std::vector<capture::WindowRead> reads;
        for (const capture::ChatRead& request : requests) reads.push_back({request.window, request.window, {}});
        for (const std::size_t i : find.ReadingOrder(requests.size())) {
            const auto [handle, control] = find.Find(requests[i].window.handle, requests[i].window.title);
            reads[i].read.handle = handle;
            if (!control) continue;
            Followed& followed = followed_[handle];
            if (!everyChat) {
                reads[i].history = followed.tail.ReadFrom(*control, handle, requests[i].request);
                continue;
            }
            std::optional<capture::TailRead> quick;
            if (!requests[i].request.waiting && followed.quickLooks < kQuickLooksBetweenTests &&
                (quick = followed.tail.SameLength(*control, handle))) {
                ++followed.quickLooks;
                reads[i].history = std::move(*quick);
            } else {
                followed.quickLooks = 0;
                reads[i].history = followed.tail.ReadFrom(*control, handle, requests[i].request);
            }
        }
        capture_.HandleReads(reads, output, now);
        std::vector<ServedRead> served;
        for (const capture::WindowRead& read : reads) served.push_back({read.requested.handle, read.read.handle, read.history});
        return served;
    }
    std::vector<std::string> UserNames() const override { return capture_.tick().UserNames(); }

private:
    struct Followed {
        capture::HistoryTailReader tail;
        int quickLooks = 0;  // length-only looks since the last whole cheap test
    };
    FakeChatWindows windows_;
    capture::ChatCapture capture_;
    std::map<std::uintptr_t, Followed> followed_;
};

}  // namespace parlowen::testing
