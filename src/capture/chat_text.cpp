#include "capture/chat_text.h"

#include "text/blanks.h"
#include "text/gbk.h"

#include <algorithm>
#include <optional>

namespace parlowen::capture {
namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

// A read that must learn the clock style or the speakers wants this many header-shaped
// lines before it is taken as a whole.
constexpr std::size_t kLinesToLearnFrom = 4;
// A header line late in the evening followed by one in the small hours crossed midnight.
constexpr int kLateEvening = 22 * 60 * 60;
constexpr int kSmallHours = 2 * 60 * 60;

// The history control's buffer ends at the first NUL; anything after it is not text.
std::string_view UpToFirstNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// Offset just past the line break at `pos`: one CR if there is one, then one LF if
// there is one. So CR LF, CR and LF are each one break, and in LF CR the CR is the
// break of a following empty line. At the end of the text this is `pos` itself.
std::size_t SkipLineBreak(std::string_view text, std::size_t pos) {
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
    return pos;
}

LineSpan LineStartingAt(std::string_view text, std::size_t begin) {
    const std::size_t end = std::min(text.find_first_of("\r\n", begin), text.size());
    return {begin, end, SkipLineBreak(text, end)};
}

std::optional<HeaderCandidate> CandidateAt(std::string_view text, const LineSpan& line) {
    const std::string_view lineText = text.substr(line.begin, line.end - line.begin);
    const std::optional<HeaderShape> shape = HeaderShapeOf(lineText);
    if (!shape) return std::nullopt;
    const std::string_view name = text::TrimmedView(text::TrimmedView(lineText).substr(0, shape->nameLength));
    return HeaderCandidate{line, *shape, std::string(name), SenderName(name)};
}

// The lines of `text` joined by CR LF and trimmed, the way the body is delivered.
// Trimming first gives the same bytes as joining first (a break is all blanks and
// every break of the trimmed text lies between two of its non-blank bytes), and
// then each remaining break simply becomes CR LF.
std::string JoinLinesWithCrLf(std::string_view text) {
    const std::string_view trimmed = text::TrimmedView(text);
    std::string joined;
    joined.reserve(trimmed.size() + trimmed.size() / 16);
    for (std::size_t begin = 0; begin < trimmed.size();) {
        const LineSpan line = LineStartingAt(trimmed, begin);
        joined.append(trimmed.substr(line.begin, line.end - line.begin));
        if (line.end < trimmed.size()) joined.append("\r\n");
        begin = line.next;
    }
    return joined;
}

// The clock style of the read's header lines: the one most lines of known speakers show
// (of all lines, where none names a known speaker), on a tie the earliest line's.
struct ClockVote {
    ClockStyle clock = ClockStyle::Unknown;
    bool settled = false;
    bool contested = false;  // lines of both styles voted
};

ClockVote VoteClock(const std::vector<HeaderCandidate>& candidates, const HeaderRule& rule) {
    if (rule.clock != ClockStyle::Unknown) return {rule.clock, true};
    const bool anyKnown = std::any_of(candidates.begin(), candidates.end(), [&](const HeaderCandidate& c) {
        return rule.KnowsSpeaker(c.name, c.sender);
    });
    std::size_t withSeconds = 0, withoutSeconds = 0;
    ClockStyle earliest = ClockStyle::Unknown;
    for (const HeaderCandidate& c : candidates) {
        if (anyKnown && !rule.KnowsSpeaker(c.name, c.sender)) continue;
        (c.shape.clock == ClockStyle::WithSeconds ? withSeconds : withoutSeconds) += 1;
        if (earliest == ClockStyle::Unknown) earliest = c.shape.clock;
    }
    const bool contested = withSeconds > 0 && withoutSeconds > 0;
    if (withSeconds == withoutSeconds) return {earliest, false, contested};
    const bool seconds = withSeconds > withoutSeconds;
    return {seconds ? ClockStyle::WithSeconds : ClockStyle::WithoutSeconds,
            std::max(withSeconds, withoutSeconds) >= 2, contested};
}

// Whether `next` may follow `previous`: a later time the same day or a later day, or a
// time after midnight; a dated line (an older day's) never follows an undated one.
bool InTimeOrder(const HeaderShape& previous, const HeaderShape& next) {
    if (previous.dated != next.dated) return previous.dated;
    if (previous.dated && previous.day != next.day) return next.day > previous.day;
    return next.secondOfDay >= previous.secondOfDay ||
           (!previous.dated && previous.secondOfDay >= kLateEvening && next.secondOfDay < kSmallHours);
}

// Whether `next` follows `previous` within a while, as a chat's messages do.
bool Near(const HeaderShape& previous, const HeaderShape& next) {
    constexpr int kWhile = 30 * 60;
    constexpr int kDay = 24 * 60 * 60;
    if (previous.dated != next.dated || previous.day != next.day) return false;
    const int apart = (next.secondOfDay - previous.secondOfDay + kDay) % kDay;
    return apart <= kWhile;
}

// The candidates that head messages, by `rule` and the read's evidence. `historyStart`
// is the byte where the history's first line starts, when the text holds it, `textSize`
// where the text ends, and `clockInDoubt` whether lines of both clock styles voted.
std::vector<const HeaderCandidate*> ChooseHeaders(const std::vector<HeaderCandidate>& candidates,
                                                  const HeaderRule& rule, ClockStyle clock,
                                                  std::optional<std::size_t> historyStart, std::size_t textSize,
                                                  bool clockInDoubt, std::vector<std::string>& newUserNames) {
    const auto known = [&](const HeaderCandidate& c) {
        return c.shape.clock == clock && (rule.group || rule.KnowsSpeaker(c.name, c.sender));
    };
    std::vector<const HeaderCandidate*> headers;
    std::vector<std::string> speakingHere;  // names taken for this read only
    for (auto candidate = candidates.begin(); candidate != candidates.end(); ++candidate) {
        if (candidate->shape.clock != clock) continue;
        const auto among = [&](const std::vector<std::string>& names) {
            return std::find(names.begin(), names.end(), candidate->name) != names.end();
        };
        bool heads = known(*candidate) || among(newUserNames);
        if (!heads) {
            // A one-to-one window's other speaker is the user, under a name not met yet
            // (the first chat, a changed nickname), or this is message text that ends in
            // a time ("Re: 12:00:00"), which mostly tells of another hour than the
            // chat's. A new name is taken where it heads the history, or where it keeps
            // the times in order near the header line before it or the known speaker's
            // after it; where no known speaker's line follows, only as the user's first
            // name. A new name's last message otherwise waits for the next known
            // speaker's: till then it reads as text of the message before, which has
            // been handled already and is not new again. In the first chat, the user
            // may also be the last to speak, hours after the friend.
            const auto next = std::find_if(candidate + 1, candidates.end(), known);
            const bool followed = next != candidates.end();
            const bool inOrder = !headers.empty() && InTimeOrder(headers.back()->shape, candidate->shape) &&
                                 (!followed || InTimeOrder(candidate->shape, next->shape));
            const bool near = (!headers.empty() && Near(headers.back()->shape, candidate->shape)) ||
                              (followed && Near(candidate->shape, next->shape));
            // A message shows a line of its own before the next header line, if only the
            // blank one of a picture: a line followed at once by a known speaker's names
            // nobody.
            const bool bodyFollows = candidate + 1 == candidates.end() ||
                                     (candidate + 1)->line.begin != candidate->line.next || !known(*(candidate + 1));
            // Nor is a line right under a header line one: it is that message's own.
            const bool bodyBefore = headers.empty() || headers.back()->line.next != candidate->line.begin;
            const bool headsHistory = bodyFollows && historyStart && candidate->line.begin <= *historyStart &&
                                      *historyStart < candidate->line.end;
            const bool firstChat = rule.userNames.empty();
            // A capped history may start inside a message: its first line teaches no name.
            // Nor does a read whose clock style is still in doubt: the name would change
            // which lines vote on it, and the next read of the same text would split it
            // otherwise.
            const bool learned = !clockInDoubt && inOrder && near && bodyFollows && bodyBefore && (followed || firstChat);
            const bool last = std::none_of(candidate + 1, candidates.end(),
                                           [&](const HeaderCandidate& c) { return c.shape.clock == clock; });
            // Only while no name is known at all, so that the next read of the same text,
            // by the names this one learns, splits it the same way.
            const bool nameless = firstChat && newUserNames.empty();
            // An older conversation may be shown above the user's first lines, hours
            // apart: then the name's own earlier lines keep the times in order with it.
            // Looked for last, as it walks back through the read.
            const auto ownLinesInOrder = [&] {
                return std::any_of(candidates.begin(), candidate, [&](const HeaderCandidate& c) {
                    return c.name == candidate->name && c.shape.clock == clock &&
                           InTimeOrder(c.shape, candidate->shape) && Near(c.shape, candidate->shape);
                });
            };
            const bool speaksLast = nameless && last && bodyBefore && candidate->line.next < textSize &&
                                    (inOrder || ownLinesInOrder());
            // In the first chat, a name that heads the history or speaks last speaks in
            // the rest of the read, and is learned where one of its lines shows it as
            // the user.
            heads = headsHistory || learned || speaksLast || (nameless && among(speakingHere));
            if (learned) newUserNames.push_back(candidate->name);
            if ((headsHistory || speaksLast) && firstChat) speakingHere.push_back(candidate->name);
        }
        if (heads) headers.push_back(&*candidate);
    }
    return headers;
}

}  // namespace

std::vector<HeaderCandidate> FindHeaderCandidates(std::string_view transcript, std::size_t from, std::size_t limit) {
    const std::string_view text = UpToFirstNul(transcript);
    std::vector<HeaderCandidate> found;
    // A line starts after the last CR or LF before its end; its break is skipped forwards
    // as the line rules say.
    for (std::size_t end = text.size(); found.size() < limit;) {
        const std::size_t previousBreak = end == 0 ? kNotFound : text.find_last_of("\r\n", end - 1);
        const std::size_t begin = previousBreak == kNotFound ? 0 : previousBreak + 1;
        if (begin < from) break;
        if (std::optional<HeaderCandidate> candidate = CandidateAt(text, LineStartingAt(text, begin)))
            found.push_back(std::move(*candidate));
        if (begin == 0) break;
        end = previousBreak;
    }
    std::reverse(found.begin(), found.end());
    return found;
}

Transcript ParseTranscript(std::string_view transcript, long start, const HeaderRule& rule, std::size_t from,
                           std::size_t limit, std::optional<long> end) {
    const std::string_view text = UpToFirstNul(transcript);
    const std::vector<HeaderCandidate> candidates = FindHeaderCandidates(text, from, limit);
    Transcript parsed;
    const ClockVote vote = VoteClock(candidates, rule);
    parsed.clock = vote.clock;
    parsed.clockSettled = vote.settled;
    std::optional<std::size_t> historyStart;
    if (start == 0) historyStart = std::find_if(text.begin(), text.end(), [](char c) { return !text::IsBlank(c); }) - text.begin();
    const std::vector<const HeaderCandidate*> headers =
        ChooseHeaders(candidates, rule, vote.clock, historyStart, text.size(), vote.contested && !vote.settled,
                      parsed.newUserNames);

    parsed.messages.resize(headers.size());
    // Positions are counted back from the end where it is known, so that parsing the
    // last messages of a long history costs what they do.
    if (text.size() < transcript.size()) end.reset();
    long position = end ? *end : start + PositionsIn(text);
    std::size_t counted = text.size();
    for (std::size_t i = headers.size(); i-- > 0;) {
        const LineSpan& line = headers[i]->line;
        const std::size_t next = i + 1 < headers.size() ? headers[i + 1]->line.begin : text.size();
        position -= PositionsIn(text.substr(line.begin, counted - line.begin));
        counted = line.begin;
        const std::size_t leadBegin = line.begin - std::min(line.begin, ChatMessage::kLeadBytes);
        parsed.messages[i] = {line.begin,
                              position,
                              text::TrimBlanks(text.substr(line.begin, line.end - line.begin)),
                              headers[i]->name,
                              headers[i]->sender,
                              JoinLinesWithCrLf(text.substr(line.next, next - line.next)),
                              std::string(text.substr(leadBegin, line.begin - leadBegin))};
    }
    return parsed;
}

bool HoldsWholeHeaderLine(std::string_view tail, const HeaderRule& rule) {
    const std::string_view text = UpToFirstNul(tail);
    const std::size_t firstNonBlank = std::find_if(text.begin(), text.end(), [](char c) { return !text::IsBlank(c); }) -
                                      text.begin();
    // A line that starts at the start of the end read may have begun before it.
    const std::size_t firstWholeLine = std::min(text.find_first_of("\r\n", firstNonBlank), text.size());
    const std::vector<HeaderCandidate> candidates = FindHeaderCandidates(text, firstWholeLine + 1);
    const bool vouched = std::any_of(candidates.begin(), candidates.end(), [&](const HeaderCandidate& c) {
        return rule.Vouches(c.shape.clock, c.name, c.sender);
    });
    // Lines of another clock style than the one the window is known to show are text.
    const auto learnsFrom = [&](const HeaderCandidate& c) {
        return rule.clock == ClockStyle::Unknown || c.shape.clock == rule.clock;
    };
    return vouched || std::count_if(candidates.begin(), candidates.end(), learnsFrom) >= long(kLinesToLearnFrom);
}

long PositionsIn(std::string_view text) {
    long positions = 0;
    for (std::size_t pos = 0; pos < text.size(); ++positions)
        pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : text::GbkCharLength(text, pos);
    return positions;
}

std::optional<std::size_t> ByteOfPosition(std::string_view text, long position) {
    std::size_t pos = 0;
    for (long positions = 0; positions < position; ++positions) {
        if (pos >= text.size()) return std::nullopt;
        pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : text::GbkCharLength(text, pos);
    }
    return pos <= text.size() ? std::optional<std::size_t>(pos) : std::nullopt;
}

std::size_t FirstOfNewest(const std::vector<ChatMessage>& messages, std::size_t end,
                          const std::function<bool(const ChatMessage&)>& isNew) {
    std::size_t first = std::min(end, messages.size());
    while (first > 0 && (isNew(messages[first - 1]) || (first > 1 && isNew(messages[first - 2])))) --first;
    return first;
}

}  // namespace parlowen::capture
