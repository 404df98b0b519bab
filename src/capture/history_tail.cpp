#include "capture/history_tail.h"

#include "capture/chat_text.h"
#include "text/gbk.h"

#include <algorithm>

namespace parlowen::capture {

std::string WithCrLf(std::string_view text) {
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        const bool lonelyCr = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
        if (lonelyCr) result += '\n';
    }
    return result;
}

std::size_t GbkCharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += text::GbkCharLength(text, pos)) ++count;
    return count;
}

std::optional<HistoryTailReader::Signature> HistoryTailReader::TakeSignature(
    HistoryControl& control) {
    // A length out of range is refused, never turned into a range request: the control
    // reads an end below zero as "to the end of the text", whatever the buffer holds.
    const std::optional<long> length = control.Length();
    if (!length || *length < 0 || *length > kLongestHistory) return std::nullopt;
    std::optional<std::string> head = control.Text(0, std::min(*length, kHeadCharacters));
    if (!head) return std::nullopt;
    return Signature{std::nullopt, *length, std::move(*head)};
}

std::optional<HistoryTailReader::Signature> HistoryTailReader::TakeRowSignature(HistoryControl& control) {
    const std::optional<long> rows = control.RowCount();
    if (!rows) return std::nullopt;
    const std::optional<long> length = control.LengthFromRows();
    if (!length) return std::nullopt;
    return Signature{*rows, *length, {}};
}

// The end is read from `characters` before `reachBackTo` (the length, or the position of
// a message already handled), so that a message there has text before it.
HistoryTailReader::Tail HistoryTailReader::ReadTail(HistoryControl& control, long length, long reachBackTo,
                                                    const HeaderRule& rule, std::string_view mustHold) {
    for (long characters = kFirstTailCharacters;; characters *= 8) {
        const long start = std::max(0L, std::min(length, reachBackTo) - characters);
        std::optional<std::string> text = control.Text(start, length);
        if (!text) return {Outcome::Unanswered, {}};
        if (text->empty() && length > start) return {Outcome::Unsupported, {}};
        // Fewer characters than asked for: the text is shorter than it was a moment ago.
        if (static_cast<long>(GbkCharacterCount(*text)) != length - start) return {Outcome::Changed, {}};
        std::string tail = WithCrLf(*text);
        if (start == 0 || (HoldsWholeHeaderLine(tail, rule) && tail.find(mustHold) != std::string::npos))
            return {Outcome::Complete, std::move(tail), start};
        if (characters >= kLongestTailCharacters) return {Outcome::TooLong, {}};
    }
}

std::string HistoryTailReader::PlaceTextBeforeCap(std::uintptr_t controlId, const Signature& now,
                                                  const ReadRequest& request) const {
    if (!cached_ || cached_->controlId != controlId || !request.from || request.fromStart ||
        now.head == cached_->signature.head)
        return {};
    const std::string& before = cached_->transcript;
    const std::optional<std::size_t> at = ByteOfPosition(before, *request.from - cached_->start);
    if (!at || *at >= before.size()) return {};
    // Up to the end of the place's body line that follows its header: enough to tell it
    // from the other messages of its speaker that minute.
    std::size_t end = before.find("\r\n", *at);
    if (end != std::string::npos) end = before.find("\r\n", end + 2);
    return before.substr(*at, std::min(end, *at + kPlaceTextBytes) - *at);
}

std::optional<TailRead> HistoryTailReader::SameLength(HistoryControl& control, std::uintptr_t controlId) {
    if (!cached_ || cached_->controlId != controlId || !control.ReadsParts()) return std::nullopt;
    const std::optional<long> length = control.Length();
    if (!length) return std::nullopt;
    return SameLength(controlId, *length);
}

std::optional<TailRead> HistoryTailReader::SameLength(std::uintptr_t controlId, long length) {
    if (!cached_ || cached_->controlId != controlId || length != cached_->signature.length) return std::nullopt;
    return Unchanged();
}

TailRead HistoryTailReader::ReadFrom(HistoryControl& control, std::uintptr_t controlId, const ReadRequest& request) {
    if (!control.ReadsParts()) return ReadWholeWhenChanged(control, controlId);

    std::optional<Signature> signature = TakeSignature(control);
    if (!signature) return Unanswered();
    // A history that starts with a NUL holds no text, however much follows the NUL.
    if (signature->head.starts_with('\0')) {
        cached_.reset();
        return {};
    }
    // A read of the whole history is not answered with a cached end.
    if (cached_ && cached_->controlId == controlId && cached_->signature == *signature &&
        (!request.fromStart || cached_->start == 0))
        return Unchanged();
    const std::string placeText = PlaceTextBeforeCap(controlId, *signature, request);
    cached_.reset();

    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        const long length = signature->length;
        const std::optional<long>& from = request.from;
        const bool reachBack = from && *from >= 0 && length - *from <= kLongestBurst;
        // A history now shorter than where the place stood was capped or cleared beneath
        // it, by as much as a message may be long: it is read from its start.
        const bool shrunk = from && *from > length;
        const long reachBackTo = request.fromStart || shrunk ? 0
                                 : reachBack                 ? std::max(0L, *from - kCappedShiftCharacters)
                                                             : length;
        const Tail tail = ReadTail(control, length, reachBackTo, request.rule, placeText);
        if (tail.outcome == Outcome::Unanswered) return Unanswered();
        if (tail.outcome == Outcome::TooLong) break;
        // A control that answers with nothing is not trusted with the cheap test either.
        if (tail.outcome == Outcome::Unsupported) return ReadWhole(control, controlId, std::nullopt);
        // The end must come from the text the cheap test saw: had a message arrived, or
        // the start been dropped, while it was read, the test would tell.
        std::optional<Signature> after = TakeSignature(control);
        if (!after) return Unanswered();
        if (tail.outcome == Outcome::Complete && *after == *signature) {
            ++counts_.tails;
            cached_ = Cached{controlId, std::move(*after), tail.text, tail.start, length};
            return {tail.text, tail.start, true, length};
        }
        signature = std::move(after);
    }
    return ReadWhole(control, controlId, signature);
}

// The whole text in one request is one view of it. It is kept for the cheap test only
// when the test saw the same text before and after it.
// A control whose parts cannot be asked for (the messenger's process cannot be opened,
// say) is read whole, but only when rows or length changed: a whole read costs what the
// history's length does.
TailRead HistoryTailReader::ReadWholeWhenChanged(HistoryControl& control, std::uintptr_t controlId) {
    std::optional<Signature> signature = TakeRowSignature(control);
    if (!signature) return Unanswered();
    if (cached_ && cached_->controlId == controlId && cached_->signature == *signature) return Unchanged();
    cached_.reset();
    return ReadWhole(control, controlId, signature, &TakeRowSignature);
}

TailRead HistoryTailReader::ReadWhole(HistoryControl& control, std::uintptr_t controlId,
                                      const std::optional<Signature>& before, SignatureTaker takeSignature) {
    std::optional<std::string> text = control.WholeText();
    if (!text) return Unanswered();
    ++counts_.wholeTexts;
    if (text->starts_with('\0')) text->clear();
    std::optional<long> end;
    if (before) {
        std::optional<Signature> after = takeSignature(control);
        if (after && *after == *before) {
            if (!text->empty()) end = after->length;
            cached_ = Cached{controlId, std::move(*after), *text, 0, end};
        }
    }
    return {std::move(*text), 0, true, end};
}

TailRead HistoryTailReader::Unanswered() {
    ++counts_.unanswered;
    cached_.reset();
    return {};
}

}  // namespace parlowen::capture
