// Reading a chat history at a cost that follows its newest messages, not its length.
//
// The capture parses only the messages since the last one it handled, so it need not
// be given the whole transcript: its end, from a little before a header line that the
// window's header rule vouches for, parses the same, since whether a line heads a
// message is told by the line itself. So only the end is read, and only when a cheap
// test says the text may have changed since the last read.
#pragma once

#include "capture/header_format.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace parlowen::capture {

// What a chat window's history control (a rich edit) answers about its text. A
// position counts characters from the start, a paragraph break counting as one. Every
// request may go unanswered (nullopt): the messenger did not answer in time, or its
// window is gone.
class HistoryControl {
public:
    virtual ~HistoryControl() = default;

    // Whether parts of the text can be asked for; when not, only WholeText answers.
    virtual bool ReadsParts() = 0;
    // The number of display rows.
    virtual std::optional<long> RowCount() = 0;
    // The number of positions in the text.
    virtual std::optional<long> Length() = 0;
    // The same, from where the last row starts and how long it is: requests that need
    // no parts of the text, and whose cost grows with the text under Wine.
    virtual std::optional<long> LengthFromRows() = 0;
    // The characters from position `start` up to `end` as ANSI bytes, a paragraph's
    // break given as "\r".
    virtual std::optional<std::string> Text(long start, long end) = 0;
    // The whole text, paragraph breaks as CR LF, in one request.
    virtual std::optional<std::string> WholeText() = 0;
};

// `text` as a whole-text read gives it: each paragraph break "\r" as CR LF.
std::string WithCrLf(std::string_view text);

// The number of characters in ANSI (GBK) text, a double-byte character counting once.
std::size_t GbkCharacterCount(std::string_view text);

// What a read of a history is to reach: back to position `from` (where the last message
// handled from it stood, whose followers are new), and far enough for a header line that
// `rule`, the window's header rule, vouches for.
struct ReadRequest {
    std::optional<long> from;
    HeaderRule rule;
    // The whole history: the place was not found near where it stood.
    bool fromStart = false;
    // A message waits for its body: the cheap test must be whole, since a capped history
    // may keep its length as the body comes.
    bool waiting = false;
};

// What a read of a history gave: a transcript that parses exactly as the whole text
// does, the control's position where it starts, and whether it may differ from what the
// read before it gave (false: the cheap test found the text unchanged).
struct TailRead {
    std::string text;
    long start = 0;
    bool changed = true;
    // The control's position at the end of `text`, where the read knows it (its length),
    // so that positions near the end are counted from there.
    std::optional<long> end;
};

// Reads one history control after another, keeping what it last read of each so that
// an unchanged history costs a few requests whose cost does not grow with it.
class HistoryTailReader {
public:
    // The end is read this long first, and eight times longer each time it does not
    // hold the last message yet; past the longest, the whole text is read instead.
    static constexpr long kFirstTailCharacters = 1024;
    static constexpr long kLongestTailCharacters = 64 * 1024;
    // Reads that saw the text change under them are made again this many times at
    // most before the whole text is read in one request.
    static constexpr int kReadAttempts = 3;
    // How much of the text's start the cheap test compares.
    static constexpr long kHeadCharacters = 64;
    // Longer histories read as empty rather than cut, since a cut one ends in the middle
    // of the history and its last message is not the last message.
    static constexpr long kLongestHistory = 64L << 20;
    // Messages since the last one handled are read back to it up to this far; a burst
    // longer than that is taken as a new history.
    static constexpr long kLongestBurst = 1024 * 1024;
    // And this far before it, where a history capped in length has moved it since.
    static constexpr long kCappedShiftCharacters = 8 * 1024;

    // A transcript that parses exactly as the control's whole text does (its end, or
    // all of it), or the empty text when the control does not answer. `controlId`
    // names the control, so that what was read of another is never taken for it.
    std::string Read(HistoryControl& control, std::uintptr_t controlId) { return ReadFrom(control, controlId, {}).text; }
    // The same, reaching back as `request` asks when the position it names lies no more
    // than kLongestBurst before the end.
    TailRead ReadFrom(HistoryControl& control, std::uintptr_t controlId, const ReadRequest& request);

    // The cheap test at its cheapest, for a history looked at every second behind others:
    // what the last read of `controlId` gave, when the length is still the one that read
    // found, in one request; nothing when that cannot be told so (another control, no
    // answer, another length), and the caller reads as ReadFrom does. A capped history
    // whose length a new message left as it was is seen by the next ReadFrom.
    std::optional<TailRead> SameLength(HistoryControl& control, std::uintptr_t controlId);
    // The same with the length `length` asked for a moment ago, by the watch between reads.
    std::optional<TailRead> SameLength(std::uintptr_t controlId, long length);

    // How the reads went, for the tests and the benchmark.
    struct Counts {
        int unchanged = 0;   // the cheap test found nothing changed
        int tails = 0;       // the end was read
        int wholeTexts = 0;  // the whole text was read
        int unanswered = 0;  // the control did not answer: the empty text
    };
    const Counts& counts() const noexcept { return counts_; }
    // The length the last read found, when it may be trusted for the cheap test.
    std::optional<long> LengthRead() const noexcept {
        return cached_ ? std::optional<long>(cached_->signature.length) : std::nullopt;
    }

    // The cheap test: what a change of the text changes, asked at a cost that does not
    // grow with the text. New messages add length; a history capped in length drops its
    // first messages as new ones come, which changes its start. The rows are asked only of
    // a control whose parts cannot be read, whose length is found from them: where parts
    // are read, they tell nothing the length and the start do not, and cost a request.
    struct Signature {
        std::optional<long> rows;
        long length = 0;
        std::string head;
        bool operator==(const Signature&) const = default;
    };

private:
    enum class Outcome { Complete, Changed, TooLong, Unsupported, Unanswered };
    struct Tail {
        Outcome outcome;
        std::string text;
        long start = 0;
    };
    struct Cached {
        std::uintptr_t controlId;
        Signature signature;
        std::string transcript;
        long start = 0;
        std::optional<long> end;
    };

    using SignatureTaker = std::optional<Signature> (*)(HistoryControl& control);
    static std::optional<Signature> TakeSignature(HistoryControl& control);
    // The cheap test of a control whose parts cannot be asked for: rows and length only.
    static std::optional<Signature> TakeRowSignature(HistoryControl& control);
    // The end is read back until it holds `mustHold` too.
    static Tail ReadTail(HistoryControl& control, long length, long reachBackTo, const HeaderRule& rule,
                         std::string_view mustHold);
    // Where the history's start changed since the last read of `controlId` (a cap dropped
    // its first messages, however long), the text of the place `request` reaches back to
    // as that read showed it, which the end read now must hold: a cap may move the place
    // further than a read reaches back. Empty where nothing is to be looked for.
    std::string PlaceTextBeforeCap(std::uintptr_t controlId, const Signature& now, const ReadRequest& request) const;
    static constexpr std::size_t kPlaceTextBytes = 96;
    TailRead ReadWhole(HistoryControl& control, std::uintptr_t controlId, const std::optional<Signature>& before,
                       SignatureTaker takeSignature = &TakeSignature);
    TailRead ReadWholeWhenChanged(HistoryControl& control, std::uintptr_t controlId);
    TailRead Unchanged() {
        ++counts_.unchanged;
        return {cached_->transcript, cached_->start, false, cached_->end};
    }
    TailRead Unanswered();

    std::optional<Cached> cached_;
    Counts counts_;
};

}  // namespace parlowen::capture
