// Reading a chat history at a cost that follows its last message, not its length.
//
// The capture tick parses only the last message of a transcript, so it need not be
// given the whole transcript: its end, from a little before the last line with a time
// of day on, parses the same (the parsers look at nothing before that line except to
// trim blanks off the start; which lines are header lines is settled by that line
// alone). So only the end is read, and only when a cheap test says the text may have
// changed since the last read. A history without any time of day with seconds (a
// messenger showing none) has its header lines settled only by all of its text: it is
// read whole whenever it changes.
#pragma once

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

// Whether the end `tail` of a transcript parses exactly as the whole transcript, judged
// on `tail` alone: it holds a line with a time of day with seconds whole (the line
// starts after a break inside `tail`), which makes the transcript's header lines those
// lines and this one its last, and before that line a byte that is not blank, so that
// trimming the transcript's start cannot reach the header line either.
bool ParsesAsWhole(std::string_view tail);

// The number of characters in ANSI (GBK) text, a double-byte character counting once.
std::size_t GbkCharacterCount(std::string_view text);

// Positions in a transcript as the control counts them: a double-byte character, and a
// paragraph break given as CR LF, counting once. The number of positions in `text`, and
// the byte where position `position` starts (nothing past the end).
long PositionsIn(std::string_view text);
std::optional<std::size_t> ByteOfPosition(std::string_view text, long position);

// What a read of a history gave: a transcript that parses exactly as the whole text
// does, the control's position where it starts, and whether it may differ from what the
// read before it gave (false: the cheap test found the text unchanged).
struct TailRead {
    std::string text;
    long start = 0;
    bool changed = true;
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
    static constexpr long kLongestBurst = 256 * 1024;

    // A transcript that parses exactly as the control's whole text does (its end, or
    // all of it), or the empty text when the control does not answer. `controlId`
    // names the control, so that what was read of another is never taken for it.
    std::string Read(HistoryControl& control, std::uintptr_t controlId) { return ReadFrom(control, controlId, {}).text; }
    // The same, reaching back to position `from` (a message already handled, whose
    // followers are new) when it lies no more than kLongestBurst before the end.
    TailRead ReadFrom(HistoryControl& control, std::uintptr_t controlId, std::optional<long> from);

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
    // grow with the text. New messages add rows and length; a history capped in length
    // drops its first messages as new ones come, which changes its start.
    struct Signature {
        long rows = 0;
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
    };

    using SignatureTaker = std::optional<Signature> (*)(HistoryControl& control);
    static std::optional<Signature> TakeSignature(HistoryControl& control);
    // The cheap test of a control whose parts cannot be asked for: rows and length only.
    static std::optional<Signature> TakeRowSignature(HistoryControl& control);
    static Tail ReadTail(HistoryControl& control, long length, long reachBackTo);
    TailRead ReadWhole(HistoryControl& control, std::uintptr_t controlId, const std::optional<Signature>& before,
                       SignatureTaker takeSignature = &TakeSignature);
    TailRead ReadWholeWhenChanged(HistoryControl& control, std::uintptr_t controlId);
    TailRead Unchanged() {
        ++counts_.unchanged;
        return {cached_->transcript, cached_->start, false};
    }
    TailRead Unanswered();

    std::optional<Cached> cached_;
    Counts counts_;
};

}  // namespace parlowen::capture
