// A busy group chat through the whole chain from the capture to the voice. Twelve
// members and the user send 1,000 messages at random moments, in bursts of several a
// second and with pauses; the capture reads the growing history once a second and the
// members' queue is served every 200 ms, as the program's timers do, on a simulated
// clock. The voice is a stand-in that takes as long to say a text as the queue reckons.
//
// It checks that every message is logged once, in order, as its sender's; that no
// member's message is cut off while it is being said; and that what waits for the voice
// stays within the members' queue's bounds. Then it compares the processor time a
// message costs in the group with the same messages in a one-to-one chat. Exits 1 when
// a check fails; the times are printed, never judged.
#include "capture/capture_tick.h"
#include "capture/history_tail.h"
#include "speech/utterance_queue.h"
#include "speech/member_voices.h"
#include "speech/voice_engine.h"
#include "speech/voice_profiles.h"
#include "text/gbk.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace parlowen;
using std::chrono::milliseconds;

constexpr unsigned kSeed = 20091206;
constexpr int kMessages = 1000;
constexpr milliseconds kCaptureTick = 1s;
constexpr milliseconds kMembersTimer = 200ms;

// Who writes: the user first, then the group's twelve members, in GBK.
constexpr int kUser = 0;
const std::vector<std::string> kGroupNames = {
    "sky",
    "\xC0\xCF\xCD\xF5",  // 老王
    "\xD0\xA1\xC0\xEE",  // 小李
    "\xB0\xA2\xC3\xF7",  // 阿明
    "\xB4\xF3\xC1\xF5",  // 大刘
    "\xCD\xF5\xB7\xBC",  // 王芳
    "\xD5\xC5\xCE\xB0",  // 张伟
    "dad", "mum", "lin", "kai", "rose", "tom"};
constexpr int kMembers = 12;
const std::string kGroupTitle = "\xBF\xEC\xC0\xD6\xD2\xBB\xBC\xD2\xC8\xBA";        // 快乐一家群
const std::string kChatWithMoon = "\xD3\xEB moon \xBD\xBB\xCC\xB8\xD6\xD0";  // 与 moon 交谈中

// The voices installed: with four pitches each, as many variants as the group has members.
const std::vector<std::string> kVoices = {"Mandarin voice 1", "Mandarin voice 2", "Mandarin voice 3"};

// ---------------------------------------------------------------------------------------
// What the chat sends.

struct Sent {
    milliseconds at;  // when it shows in the window, from the start
    int sender;       // kUser, or a member 1..kMembers
    std::string body;
};

// "9:00:00" and on: the header lines' clock, a second for each second of the run.
std::string TimeOfDay(milliseconds at) {
    const long seconds = 9 * 3600 + static_cast<long>(at / 1s);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

// A line of chat: Chinese characters (of GB2312's first level) and a few Latin words. It
// never holds a colon, so no line of it reads as a header line.
std::string ChatLine(std::mt19937& random, int characters) {
    static const char* const kWords[] = {"ok", "lol", "ppt", "wifi", "9 pm", "haha", "QQ", "bye"};
    std::uniform_int_distribution<int> lead(0xB0, 0xD6), trail(0xA1, 0xFE), word(0, 7), oneIn(0, 5);
    std::string line;
    for (int i = 0; i < characters; ++i) {
        if (oneIn(random) == 0) line.append(" ").append(kWords[word(random)]).append(" ");
        line += static_cast<char>(lead(random));
        line += static_cast<char>(trail(random));
    }
    return line;
}

// The chat's 1,000 messages: one at a time or bursts of up to eight in the same second,
// a few seconds apart, with now and then a pause of a minute or more, and a few floods
// of a dozen or more one-word answers in a second, which fill the members' queue by
// their number before their length. The busiest members write most. A body starts with
// its number ("第N条"), so each is told apart; none takes more than 15 s to say, half
// the queue's longest wait.
std::vector<Sent> GroupChatMessages() {
    std::mt19937 random(kSeed);
    std::vector<int> weights = {1};  // the user
    for (int member = 1; member <= kMembers; ++member) weights.push_back(kMembers + 1 - member);
    std::discrete_distribution<int> sender(weights.begin(), weights.end());
    std::uniform_int_distribution<int> percent(0, 99), burst(2, 8), flood(12, 20), gap(1, 12), pause(40, 240),
        ms(0, 999), quick(1, 4), characters(5, 30), longer(30, 55);
    std::vector<Sent> sent;
    milliseconds second = 5s;
    while (static_cast<int>(sent.size()) < kMessages) {
        const int shape = percent(random);
        const bool flooded = shape < 4;
        const int count = flooded ? flood(random) : shape < 50 ? 1 : burst(random);
        std::vector<milliseconds> moments;
        for (int i = 0; i < count; ++i) moments.push_back(second + milliseconds(ms(random)));
        std::sort(moments.begin(), moments.end());
        for (milliseconds at : moments) {
            if (static_cast<int>(sent.size()) == kMessages) break;
            std::string body = "\xB5\xDA" + std::to_string(sent.size() + 1) + "\xCC\xF5 ";  // 第N条
            const int length = percent(random);
            body += ChatLine(random, flooded || length < 30 ? quick(random)
                                     : length < 90          ? characters(random)
                                                            : longer(random));
            if (!flooded && percent(random) < 8) body += "\r\n" + ChatLine(random, characters(random) / 2 + 1);
            sent.push_back({at, sender(random), std::move(body)});
        }
        second += std::chrono::seconds(percent(random) < 8 ? pause(random) : gap(random));
    }
    return sent;
}

// ---------------------------------------------------------------------------------------
// The messenger's side: a chat window's history control, growing.

// A history control answering as a rich edit does (a paragraph break is one position,
// given as "\r"), at a cost that follows what is asked for rather than the history's
// length, as the program's tail reads find it: the place of every message is kept.
class GrowingHistory final : public capture::HistoryControl {
public:
    void Append(std::string_view header, std::string_view body) {
        if (!text_.empty()) AddBreak();
        marks_.push_back({length_, text_.size()});
        AddLine(header);
        for (std::size_t from = 0;;) {
            const std::size_t end = body.find("\r\n", from);
            AddBreak();
            AddLine(body.substr(from, end - from));
            if (end == body.npos) break;
            from = end + 2;
        }
    }
    std::size_t bytes() const noexcept { return text_.size(); }

    bool ReadsParts() override { return true; }
    std::optional<long> RowCount() override { return rows_; }  // nothing wraps
    std::optional<long> Length() override { return length_; }
    std::optional<long> LengthFromRows() override { return length_; }
    std::optional<std::string> Text(long start, long end) override {
        const std::size_t from = ByteOf(start);
        return text_.substr(from, ByteOf(end) - from);
    }
    std::optional<std::string> WholeText() override { return capture::WithCrLf(text_); }

private:
    struct Mark {
        long position;
        std::size_t byte;
    };
    void AddBreak() {
        text_ += '\r';
        ++length_;
        ++rows_;
    }
    void AddLine(std::string_view line) {
        text_ += line;
        length_ += static_cast<long>(capture::GbkCharacterCount(line));
    }
    // Walked from the start of the message that holds `position`.
    std::size_t ByteOf(long position) const {
        position = std::clamp(position, 0L, length_);
        auto mark = std::upper_bound(marks_.begin(), marks_.end(), position,
                                     [](long p, const Mark& m) { return p < m.position; });
        std::size_t byte = 0;
        long at = 0;
        if (mark != marks_.begin()) byte = std::prev(mark)->byte, at = std::prev(mark)->position;
        for (; at < position; ++at) byte += text::GbkCharLength(text_, byte);
        return byte;
    }

    std::string text_;
    long length_ = 0;
    long rows_ = 1;
    std::vector<Mark> marks_;
};

// ---------------------------------------------------------------------------------------
// The program's side: the voices and where the capture hands each message.

struct SimulatedClock {
    milliseconds now{0};
    capture::CaptureTick::Clock::time_point TimePoint() const { return capture::CaptureTick::Clock::time_point(now); }
};

// What the members' voice was handed and what it said, in the order it happened.
struct SpeechJournal {
    enum class Kind { HandedOver, Said };
    struct Entry {
        Kind kind;
        std::string text;
    };
    std::vector<Entry> entries;
    int cutOff = 0;  // utterances of the members' voice cut off while being said
};

// A voice that is busy, after each Speak, for as long as the members' queue reckons
// the text takes to say at the voice's rate; a Speak while it is busy is said after what
// it is saying, as a system voice queues it. With a journal it records what it says and
// counts what a Disconnect cuts off.
class TimedVoice final : public speech::VoiceEngine {
public:
    TimedVoice(const SimulatedClock& clock, SpeechJournal* journal) : clock_(clock), journal_(journal) {
        for (const std::string& voice : kVoices)
            installed_.push_back({voice, std::make_shared<speech::VoiceToken>(), "804"});
    }

    void Disconnect() noexcept override {
        if (journal_ && Speaking()) ++journal_->cutOff;
        busyUntil_ = clock_.now;
    }
    std::vector<speech::InstalledVoice> GetVoices() override { return installed_; }
    void SetVoice(const speech::VoiceToken&) override {}
    void SetRate(int rate) override { rate_ = rate; }
    void SetVolume(int) override {}
    void SetPitch(int) override {}
    std::vector<std::string> Variants() override { return {}; }
    void SetVariant(const std::string&) override {}
    void Speak(std::string_view text) override {
        busyUntil_ = std::max(busyUntil_, clock_.now) + speech::SpeakingTime(text, rate_);
        if (journal_) journal_->entries.push_back({SpeechJournal::Kind::Said, std::string(text)});
    }
    bool Speaking() override { return clock_.now < busyUntil_; }
    void SetAllowAudioOutputFormatChanges(bool) override {}
    void SetOutputStream(speech::AudioFileStream&) override {}
    bool WaitUntilDone(unsigned) override { return true; }
    void ResetOutputToDefaultDevice() override {}

private:
    const SimulatedClock& clock_;
    SpeechJournal* journal_;
    std::vector<speech::InstalledVoice> installed_;
    milliseconds busyUntil_{0};
    int rate_ = 0;
};

struct LogEntry {
    std::string header, body;
    chat::Role role;
};

// As the program's message output does: a member met gets its voice, and its message
// waits in the members' queue; the user and the friend are spoken at once. The log is
// kept here instead of in a pane.
class ProgramOutput final : public capture::CaptureOutput {
public:
    ProgramOutput(speech::VoiceProfiles& profiles, speech::MemberVoices& members, SpeechJournal& journal)
        : profiles_(profiles), members_(members), journal_(journal) {}

    std::vector<LogEntry> log;

    capture::ReadingOptions Options() override { return {}; }
    void SpeakMine(std::string_view text) override { profiles_.Speak(chat::Role::Mine, text); }
    void SpeakFriend(std::string_view text) override { profiles_.Speak(chat::Role::Friend, text); }
    void SpeakMember(const chat::Speaker& member, std::string_view group, std::string_view text) override {
        const speech::Member& known = members_.Meet(group, member.name, [this] { return profiles_.MemberVariants(); });
        if (known.muted) return;
        journal_.entries.push_back({SpeechJournal::Kind::HandedOver, std::string(text)});
        profiles_.SpeakQueued(chat::Role::Member, known.variant, text);
    }
    void AppendLogEntry(std::string_view header, std::string_view body, const chat::Speaker& speaker) override {
        log.push_back({std::string(header), std::string(body), speaker.role});
    }

private:
    speech::VoiceProfiles& profiles_;
    speech::MemberVoices& members_;
    SpeechJournal& journal_;
};

// ---------------------------------------------------------------------------------------
// One run of the chat.

// The window the messages are sent in, and who each sender is there.
struct Scene {
    capture::ChatWindowRef window;
    std::vector<std::string> names;  // by sender
    chat::Role othersRole;           // of anyone but the user
};

Scene GroupScene() { return {{2, kGroupTitle, true}, kGroupNames, chat::Role::Member}; }
// The same messages with moon: everyone but the user is the friend the title names.
Scene OneToOneScene() {
    std::vector<std::string> names(kGroupNames.size(), "moon");
    names[kUser] = kGroupNames[kUser];
    return {{3, kChatWithMoon, false}, names, chat::Role::Friend};
}

struct Run {
    std::vector<LogEntry> log;  // of the messages sent, in the window followed
    SpeechJournal journal;  // of the members' voice
    std::set<speech::VoiceVariant> memberVariants;
    std::size_t variantsAvailable = 0;
    milliseconds lasted{0};
    std::size_t historyBytes = 0;
};

// The capture tick's read, as the program's reader makes it: the end of the history, from
// where the last message handled stood.
void ReadAndHandle(capture::CaptureTick& tick, capture::HistoryTailReader& reader, const capture::ChatWindowRef& window,
                   GrowingHistory& history, capture::CaptureOutput& output, const SimulatedClock& clock) {
    tick.Handle(window, reader.ReadFrom(history, window.handle, tick.RequestFor(window)), output, clock.TimePoint());
}

Run PlayChat(const std::vector<Sent>& sent, const Scene& scene) {
    Run run;
    SimulatedClock clock;
    TimedVoice mineVoice(clock, nullptr), friendVoice(clock, &run.journal);
    speech::VoiceSettings settings;
    speech::VoiceProfiles profiles(mineVoice, friendVoice, settings);
    profiles.Load();
    speech::MemberVoices members;
    ProgramOutput output(profiles, members, run.journal);
    capture::CaptureTick tick;
    capture::HistoryTailReader reader;

    // The user's name is learned first, in a one-to-one chat.
    const capture::ChatWindowRef firstChat{1, kChatWithMoon, false};
    GrowingHistory firstHistory;
    firstHistory.Append("sky 8:00:00", "hi");
    firstHistory.Append("moon 8:00:05", "hello");
    firstHistory.Append("sky 8:00:10", "fine");
    ReadAndHandle(tick, reader, firstChat, firstHistory, output, clock);
    // The window followed shows a message of the user's when it is first read, so that
    // from then on every message is new.
    GrowingHistory history;
    history.Append("sky 8:59:00", "\xB5\xBD\xC1\xCB");  // 到了
    ReadAndHandle(tick, reader, scene.window, history, output, clock);
    output.log.clear();
    run.journal = {};

    // Shown as they come, read once a second, the members' queue served every 200 ms
    // while it holds anything; then on till the last is read and said.
    auto next = sent.begin();
    for (clock.now = 0ms; next != sent.end() || clock.now < sent.back().at + 3s || profiles.Waiting() ||
                          friendVoice.Speaking();
         clock.now += kMembersTimer) {
        for (; next != sent.end() && next->at <= clock.now; ++next)
            history.Append(scene.names[next->sender] + " " + TimeOfDay(next->at), next->body);
        if (clock.now % kCaptureTick == 0ms) ReadAndHandle(tick, reader, scene.window, history, output, clock);
        if (profiles.Waiting()) profiles.SpeakNextQueued();
    }

    run.log = std::move(output.log);
    for (const speech::Member& member : members.members()) run.memberVariants.insert(member.variant);
    run.variantsAvailable = profiles.MemberVariants().size();
    run.lasted = clock.now;
    run.historyBytes = history.bytes();
    return run;
}

// ---------------------------------------------------------------------------------------
// What a run shows.

struct LogCheck {
    int logged = 0, lost = 0, repeated = 0, outOfOrder = 0, wrongSpeaker = 0, unknown = 0;
    bool Clean() const { return !lost && !repeated && !outOfOrder && !wrongSpeaker && !unknown; }
};

// Every message logged once, in the order sent, under its own header and as its sender's.
LogCheck CheckLog(const std::vector<Sent>& sent, const Scene& scene, const std::vector<LogEntry>& log) {
    std::unordered_map<std::string, std::size_t> byBody;
    for (std::size_t i = 0; i < sent.size(); ++i) byBody[sent[i].body] = i;
    LogCheck check;
    check.logged = static_cast<int>(log.size());
    std::vector<int> times(sent.size(), 0);
    std::optional<std::size_t> previous;
    for (const LogEntry& entry : log) {
        const auto found = byBody.find(entry.body);
        if (found == byBody.end()) {
            ++check.unknown;
            continue;
        }
        const Sent& message = sent[found->second];
        if (times[found->second]++ > 0) ++check.repeated;
        if (previous && found->second <= *previous) ++check.outOfOrder;
        previous = found->second;
        const std::string header = scene.names[message.sender] + " " + TimeOfDay(message.at) + std::string(text::kSpacedSaid);
        const chat::Role role = message.sender == kUser ? chat::Role::Mine : scene.othersRole;
        if (entry.header != header || entry.role != role) ++check.wrongSpeaker;
    }
    check.lost = static_cast<int>(std::count(times.begin(), times.end(), 0));
    return check;
}

// The count a passed-over notice announces, when `text` is one.
std::optional<std::size_t> NoticeCount(const std::string& text) {
    const std::string zero = speech::PassedOverNotice(0);
    const std::string_view prefix = std::string_view(zero).substr(0, zero.find('0'));
    if (!text.starts_with(prefix)) return std::nullopt;
    const std::size_t count = std::strtoul(text.c_str() + prefix.size(), nullptr, 10);
    return text == speech::PassedOverNotice(count) ? std::optional(count) : std::nullopt;
}

struct SpeechCheck {
    int handedOver = 0, said = 0, notices = 0, announced = 0, unknown = 0, heardOutOfOrder = 0, cutOff = 0;
    std::size_t mostWaiting = 0;
    milliseconds longestWait{0};
    int passedOver() const { return handedOver - said; }
};

// What the members' voice did with what it was handed. The queue is the program's own,
// so what waits in it is told from what is said: it says the oldest first and passes
// over the oldest, so at any moment every message from the next one to be said to the
// newest waits (an older one may wait too, till it is passed over). That much at least
// waits right after each message is handed over, when the queue is fullest.
SpeechCheck CheckMembersSpeech(const SpeechJournal& journal, int rate) {
    SpeechCheck check;
    check.cutOff = journal.cutOff;
    std::unordered_map<std::string, int> handedOverIndex;
    std::vector<milliseconds> speakingTime;
    std::vector<int> heardIndex(journal.entries.size(), -1);  // by entry: the message a Said entry said
    int lastHeard = -1;
    for (std::size_t e = 0; e < journal.entries.size(); ++e) {
        const SpeechJournal::Entry& entry = journal.entries[e];
        if (entry.kind == SpeechJournal::Kind::HandedOver) {
            handedOverIndex[entry.text] = check.handedOver++;
            speakingTime.push_back(speech::SpeakingTime(entry.text, rate));
        } else if (const auto found = handedOverIndex.find(entry.text); found != handedOverIndex.end()) {
            ++check.said;
            if (found->second <= lastHeard) ++check.heardOutOfOrder;
            heardIndex[e] = lastHeard = found->second;
        } else if (const std::optional<std::size_t> count = NoticeCount(entry.text)) {
            ++check.notices;
            check.announced += static_cast<int>(*count);
        } else {
            ++check.unknown;
        }
    }
    // Right after each message is handed over: from the next one said to it, or it alone
    // when it is to be passed over (the newest always stays).
    int nextHeard = check.handedOver;
    int newest = check.handedOver;
    for (std::size_t e = journal.entries.size(); e-- > 0;) {
        if (heardIndex[e] >= 0) nextHeard = heardIndex[e];
        if (journal.entries[e].kind != SpeechJournal::Kind::HandedOver) continue;
        --newest;
        const int oldest = std::min(nextHeard, newest);
        milliseconds waiting{0};
        for (int i = oldest; i <= newest; ++i) waiting += speakingTime[static_cast<std::size_t>(i)];
        check.mostWaiting = std::max(check.mostWaiting, static_cast<std::size_t>(newest - oldest + 1));
        check.longestWait = std::max(check.longestWait, waiting);
    }
    return check;
}

// ---------------------------------------------------------------------------------------
// Processor time.

double ProcessCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct CpuPerMessage {
    double group = 0, oneToOne = 0;  // µs
    int runs = 0;
};

// Whole runs of each scene, taken in turn so that whatever else the machine does weighs
// on both alike, until each has taken a second of processor time.
CpuPerMessage MeasureCpu(const std::vector<Sent>& sent) {
    const Scene group = GroupScene(), oneToOne = OneToOneScene();
    double groupSeconds = 0, oneToOneSeconds = 0;
    int runs = 0;
    while (runs < 5 || std::min(groupSeconds, oneToOneSeconds) < 1.0) {
        for (const auto& [scene, seconds] : {std::pair{&group, &groupSeconds}, std::pair{&oneToOne, &oneToOneSeconds}}) {
            const double start = ProcessCpuSeconds();
            PlayChat(sent, *scene);
            *seconds += ProcessCpuSeconds() - start;
        }
        ++runs;
    }
    const double messages = static_cast<double>(runs) * static_cast<double>(sent.size());
    return {groupSeconds / messages * 1e6, oneToOneSeconds / messages * 1e6, runs};
}

// ---------------------------------------------------------------------------------------

void PrintChat(const std::vector<Sent>& sent, const Run& run) {
    std::map<milliseconds, int> perSecond;
    for (const Sent& message : sent) ++perSecond[message.at / 1s * 1s];
    int longestBurst = 0, bursts = 0, members = 0;
    for (const auto& [second, count] : perSecond) {
        longestBurst = std::max(longestBurst, count);
        bursts += count > 1;
    }
    for (const Sent& message : sent) members += message.sender != kUser;
    std::printf("group chat: %d members and the user, %zu messages (%d by members) over %lld min simulated, "
                "%d seconds with several messages (up to %d), history %zu KB\n",
                kMembers, sent.size(), members, static_cast<long long>(run.lasted / 1min), bursts, longestBurst,
                run.historyBytes / 1024);
}

bool Report(const char* what, bool clean) {
    std::printf("  %-60s %s\n", what, clean ? "ok" : "FAILED");
    return clean;
}

}  // namespace

int main() {
    const std::vector<Sent> sent = GroupChatMessages();
    const Run group = PlayChat(sent, GroupScene());
    const Run oneToOne = PlayChat(sent, OneToOneScene());
    const LogCheck groupLog = CheckLog(sent, GroupScene(), group.log);
    const LogCheck oneToOneLog = CheckLog(sent, OneToOneScene(), oneToOne.log);
    const SpeechCheck heard = CheckMembersSpeech(group.journal, speech::kDefaultRate);

    PrintChat(sent, group);
    for (const auto& [scene, log] : {std::pair{"group", &groupLog}, std::pair{"one-to-one", &oneToOneLog}})
        std::printf("logged (%s): %d of %zu sent; lost %d, repeated %d, out of order %d, wrong sender %d, unknown %d\n",
                    scene, log->logged, sent.size(), log->lost, log->repeated, log->outOfOrder, log->wrongSpeaker,
                    log->unknown);
    std::printf("members' messages handed to the voice: %d; said %d, passed over %d, in %d notices announcing %d; "
                "heard out of order %d, unknown utterances %d\n",
                heard.handedOver, heard.said, heard.passedOver(), heard.notices, heard.announced,
                heard.heardOutOfOrder, heard.unknown);
    std::printf("members' messages cut off while being said: %d\n", heard.cutOff);
    std::printf("most waiting at once: %zu messages (bound %zu), %.1f s of speech (bound %lld s)\n", heard.mostWaiting,
                speech::UtteranceQueue::kMostWaiting, static_cast<double>(heard.longestWait.count()) / 1000,
                static_cast<long long>(speech::UtteranceQueue::kLongestWait.count()));
    std::printf("voices: the %d members got %zu distinct variants of %zu (%zu voices, %zu pitches)\n", kMembers,
                group.memberVariants.size(), group.variantsAvailable, kVoices.size(),
                std::size(speech::kMemberPitches));

    const CpuPerMessage cpu = MeasureCpu(sent);
    std::printf("CPU per message: group %.2f us, one-to-one %.2f us, ratio %.2f (target <= 1.3), %d runs of each\n",
                cpu.group, cpu.oneToOne, cpu.group / cpu.oneToOne, cpu.runs);

    std::printf("checks:\n");
    bool clean = Report("every message logged once, in order, as its sender's", groupLog.Clean() && oneToOneLog.Clean());
    clean &= Report("no member's message cut off", heard.cutOff == 0);
    clean &= Report("members' messages heard in order, each passed over announced",
                    !heard.heardOutOfOrder && !heard.unknown && heard.announced == heard.passedOver());
    clean &= Report("the queue's bounds kept", heard.mostWaiting <= speech::UtteranceQueue::kMostWaiting &&
                                                    heard.longestWait <= speech::UtteranceQueue::kLongestWait);
    return clean ? 0 : 1;
}
