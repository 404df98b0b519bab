#include "capture/chat_memory.h"

#include "capture/history_tail.h"

#include <algorithm>
#include <limits>

namespace parlowen::capture {
namespace {

// Whether the message headed `header` was written at most an hour after the one headed
// `earlier` (of the same date, where both show one): a message since it, read a moment
// after it was, and not one of an older conversation shown in its place.
bool WrittenSoonAfter(std::string_view header, std::string_view earlier) {
    const std::optional<HeaderShape> shape = HeaderShapeOf(header), before = HeaderShapeOf(earlier);
    return shape && before && WrittenSince(*shape, *before, 0);
}

}  // namespace

void ChatMemory::ReadUnder(std::string_view title) {
    if (WasReadUnder(title)) return;
    titles_.emplace_back(title);
    if (titles_.size() > kTitlesKept) titles_.erase(titles_.begin());
}

std::size_t ChatMemory::ParseFrom(std::string_view text, long start, bool searchBack) const {
    const std::optional<long> position = Position();
    if (!position || lookEverywhere_) return 0;
    const long shift = searchBack ? HistoryTailReader::kCappedShiftCharacters : kContextCharacters;
    const long stood = *position - start;
    // A history now shorter than where the place stood was capped or cleared beneath it:
    // what is left of it may be anywhere in what was read.
    if (stood > PositionsIn(text)) return 0;
    const long from = std::max(0L, stood - shift);
    if (const std::optional<std::size_t> byte = ByteOfPosition(text, from);
        byte && ByteOfPosition(text.substr(*byte), stood - from))
        return *byte;
    // The place lies before what was read (a burst longer than a read reaches back).
    return ByteOfPosition(text, std::max(0L, PositionsIn(text) - shift)).value_or(0);
}

std::size_t ChatMemory::ParseLimit() const noexcept {
    return Position() ? std::numeric_limits<std::size_t>::max() : kLinesOfALastMessage;
}

ChatMemory::Seen ChatMemory::SeenOf(const ChatMessage& message) {
    return {message.header, message.body.substr(0, kBodyStartBytes), message.body.empty()};
}

ChatMemory::Place ChatMemory::PlaceOf(const std::vector<ChatMessage>& messages, std::size_t index) {
    return {SeenOf(messages[index]), messages[index].position, messages[index].lead};
}

std::optional<int> ChatMemory::Likeness(const Place& place, const ChatMessage& message) {
    if (!place.message.Is(message)) return std::nullopt;
    // A history capped in length, or a read that starts near the message, cuts the text
    // before it short: what is left of it must still be the same.
    const std::size_t shorter = std::min(place.lead.size(), message.lead.size());
    if (!place.lead.ends_with(std::string_view(message.lead).substr(message.lead.size() - shorter))) return std::nullopt;
    return place.lead.size() == message.lead.size() ? 1 : 0;
}

ChatMemory::Place ChatMemory::WaitingPlaceOf(const std::vector<ChatMessage>& messages, std::size_t index) {
    Place place = PlaceOf(messages, index);
    place.message.blank = false;  // its body is yet to come
    return place;
}

bool ChatMemory::AlreadyHandled(const ChatMessage& message, std::string_view lastHeaderSeen) const {
    // Where the place is lost, the message remembered is known by its header and body; a
    // window seen for the first time knows only the header handled last anywhere.
    if (message.body.empty()) return false;  // no message is handled before its body came
    if (last_) return last_->message.Is(message);
    return message.header == lastHeaderSeen;
}

std::optional<std::size_t> ChatMemory::Find(const Place& place, const std::vector<ChatMessage>& messages) {
    // A history of one header line whose text has not come yet may as well be the next
    // message of that speaker that minute, after the history was cleared.
    if (messages.size() == 1 && messages[0].lead.empty() && messages[0].body.empty() && !place.lead.empty())
        return std::nullopt;
    // Where it stood, else the likest, of equals the nearest before where it stood.
    std::optional<std::size_t> best;
    int bestLikeness = 0;
    for (std::size_t i = 0; i < messages.size() && messages[i].position <= place.position; ++i) {
        const std::optional<int> likeness = Likeness(place, messages[i]);
        if (!likeness) continue;
        if (messages[i].position == place.position) return i;
        if (!best || *likeness >= bestLikeness) best = i, bestLikeness = *likeness;
    }
    return best;
}

std::vector<const ChatMessage*> ChatMemory::Settle(const Transcript& parsed, std::string_view lastHeaderSeen,
                                                   Clock::time_point now, bool wholeHistory,
                                                   std::optional<std::size_t> newFrom) {
    if (parsed.clockSettled && clock_ == ClockStyle::Unknown) clock_ = parsed.clock;
    const std::vector<ChatMessage>& messages = parsed.messages;
    std::size_t first = messages.size();
    const std::optional<std::size_t> waited = waiting_ ? Find(waiting_->place, messages) : std::nullopt;
    const std::optional<std::size_t> found = last_ ? Find(*last_, messages) : std::nullopt;
    if (last_ && !found && !waited && !wholeHistory && !lookEverywhere_) {
        lookEverywhere_ = true;
        for (const std::size_t at : {std::size_t{0}, messages.size() - 1})
            if (at < messages.size() && WrittenSoonAfter(messages[at].header, last_->message.header))
                since_.push_back(PlaceOf(messages, at));
        // Should the place be gone, a last message waiting for its body is where the
        // next read starts.
        if (!messages.empty() && messages.back().body.empty() && !waiting_)
            waiting_ = Pending{WaitingPlaceOf(messages, messages.size() - 1), now};
        return {};
    }
    lookEverywhere_ = false;
    // A capped history drops its oldest messages first: one that came after the place,
    // found where the place is gone, tells that all before it came after the place too.
    // An older conversation shown since in the window's place is not.
    std::optional<std::size_t> since;
    if (!found)
        for (const Place& after : since_)
            if (const std::optional<std::size_t> at = Find(after, messages); at && (!since || *at < *since)) since = at;
    if (found) {
        first = *found + 1;
    } else if (since) {
        first = FirstOfNewest(messages, *since + 1, [&](const ChatMessage& message) {
            return WrittenSoonAfter(message.header, last_->message.header);
        });
    } else if (waited) {
        // The place was not known when the message waited (a window first seen, a
        // history cleared): it and all after it are new.
        first = *waited;
    } else if (newFrom && *newFrom < messages.size()) {
        first = *newFrom;
    } else if (!messages.empty() && !newFrom && !AlreadyHandled(messages.back(), lastHeaderSeen)) {
        first = messages.size() - 1;
    } else if (!messages.empty()) {
        // The message handled last, shown again after the history was cleared, or in a
        // window first seen: the place is found again, and what follows it is new.
        last_ = PlaceOf(messages, messages.size() - 1);
    }

    std::vector<const ChatMessage*> handled;
    const ChatMessage* settled = nullptr;
    for (std::size_t i = first; i < messages.size(); ++i) {
        const ChatMessage& message = messages[i];
        if (message.body.empty() && i + 1 == messages.size()) {
            const Place place = WaitingPlaceOf(messages, i);
            if (!waiting_ || waiting_->place != place) waiting_ = Pending{place, now};
            if (now - waiting_->since < kBodyWait) break;
        }
        settled = &message;
        if (!message.body.empty()) handled.push_back(&message);
    }
    since_.clear();
    if (settled) {
        last_ = PlaceOf(messages, static_cast<std::size_t>(settled - messages.data()));
        if (settled == &messages.back()) waiting_.reset();
    }
    // A message that waited and is no longer last was settled above, or the history
    // changed under it: either way it waits no more.
    if (waiting_ && (messages.empty() || !messages.back().body.empty())) waiting_.reset();
    return handled;
}

}  // namespace parlowen::capture
