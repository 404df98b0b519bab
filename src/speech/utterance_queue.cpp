#include "speech/utterance_queue.h"

#include "text/gbk.h"

#include <algorithm>
#include <cmath>

namespace parlowen::speech {

std::chrono::milliseconds SpeakingTime(std::string_view ansiText, int rate) {
    double seconds = 0;
    for (std::size_t i = 0; i < ansiText.size();) {
        const std::size_t length = text::GbkCharLength(ansiText, i);
        seconds += length == 2 ? 1 / 4.0 : 1 / 14.0;
        i += length;
    }
    // The system speech engine's rate: +10 three times as fast, -10 a third as fast.
    seconds /= std::pow(3.0, std::clamp(rate, -10, 10) / 10.0);
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

std::string PassedOverNotice(std::size_t count) {
    return "\xCC\xF8\xB9\xFD" + std::to_string(count) + "\xCC\xF5\xCF\xFB\xCF\xA2";
}

void UtteranceQueue::Push(Utterance utterance, int rate) {
    const std::chrono::milliseconds time = SpeakingTime(utterance.text, rate);
    waiting_.push_back({std::move(utterance), time});
    waitingTime_ += time;
    while (waiting_.size() > 1 && (waiting_.size() > kMostWaiting || waitingTime_ > kLongestWait)) {
        waitingTime_ -= waiting_.front().time;
        waiting_.pop_front();
        ++passedOver_;
    }
}

std::optional<Utterance> UtteranceQueue::Next() {
    if (passedOver_ > 0) return Utterance{PassedOverNotice(std::exchange(passedOver_, 0)), {}};
    if (waiting_.empty()) return std::nullopt;
    Waiting next = std::move(waiting_.front());
    waiting_.pop_front();
    waitingTime_ -= next.time;
    return std::move(next.utterance);
}

void UtteranceQueue::Clear() noexcept {
    waiting_.clear();
    waitingTime_ = std::chrono::milliseconds{0};
    passedOver_ = 0;
}

}  // namespace parlowen::speech
