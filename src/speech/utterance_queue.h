// Messages of one voice heard whole (a group's members', and where the user chose so the
// user's or the friend's): a message waits for the one being said instead of cutting it
// off. A listener cannot follow an unending backlog, so once
// more is waiting than one can (kMostWaiting messages, or kLongestWait of speech), the
// oldest waiting are passed over, and one short notice says how many.
#pragma once

#include "speech/member_voices.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace parlowen::speech {

struct Utterance {
    std::string text;      // ANSI
    VoiceVariant variant;  // an empty voice: the friend profile's own, at its pitch
    bool operator==(const Utterance&) const = default;
};

// About how long `ansiText` takes to say at `rate` (-10..10): a Chinese character a
// quarter of a second at the normal rate, as eSpeak NG and the system voices say them,
// any other character a fourteenth.
std::chrono::milliseconds SpeakingTime(std::string_view ansiText, int rate);

// "跳过N条消息" in GBK: what is said in place of the messages passed over.
std::string PassedOverNotice(std::size_t count);

class UtteranceQueue {
public:
    static constexpr std::size_t kMostWaiting = 10;
    static constexpr std::chrono::seconds kLongestWait{30};

    // Queues `utterance`, said at `rate`; the newest always stays.
    void Push(Utterance utterance, int rate);
    // What to say next: the notice of what was passed over, if anything was, then the
    // oldest waiting message.
    std::optional<Utterance> Next();
    void Clear() noexcept;

    bool empty() const noexcept { return waiting_.empty() && passedOver_ == 0; }
    std::size_t waiting() const noexcept { return waiting_.size(); }
    std::chrono::milliseconds waitingTime() const noexcept { return waitingTime_; }

private:
    struct Waiting {
        Utterance utterance;
        std::chrono::milliseconds time;
    };
    std::deque<Waiting> waiting_;
    std::chrono::milliseconds waitingTime_{0};
    std::size_t passedOver_ = 0;
};

}  // namespace parlowen::speech
