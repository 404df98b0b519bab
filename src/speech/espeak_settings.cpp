#include "speech/espeak_settings.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace parlowen::speech::espeak {

int WordsPerMinute(int rate) {
    const int step = std::clamp(rate, -10, 10);
    const double wordsPerMinute = kNormalWordsPerMinute * std::pow(3.0, step / 10.0);
    return std::clamp(static_cast<int>(std::lround(wordsPerMinute)), kMinimumWordsPerMinute, kMaximumWordsPerMinute);
}

int Amplitude(int volume) { return std::clamp(volume, 0, 100) * kNormalAmplitude / 100; }

int BasePitch(int pitch) { return 50 + std::clamp(pitch, -10, 10) * 4; }

std::vector<Voice> InListOrder(std::vector<Voice> voices) {
    std::sort(voices.begin(), voices.end(), [](const Voice& a, const Voice& b) {
        return std::tuple(a.language != kMandarin, a.name, a.identifier) <
               std::tuple(b.language != kMandarin, b.name, b.identifier);
    });
    return voices;
}

}  // namespace parlowen::speech::espeak
