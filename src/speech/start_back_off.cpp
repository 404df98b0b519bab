#include "speech/start_back_off.h"

#include <algorithm>
#include <utility>

namespace parlowen::speech {

bool StartBackOff::MayStart(std::uint32_t nowMs) const {
    return !lastTry_ || nowMs - *lastTry_ >= delayMs_;
}

void StartBackOff::Tried(std::uint32_t nowMs) {
    // The wait before the next try, should this one not serve; a try before this one
    // did not serve either, or Served would have forgotten it.
    delayMs_ = lastTry_ ? std::min(2 * delayMs_, kLongestDelayMs) : kFirstDelayMs;
    lastTry_ = nowMs;
}

void StartBackOff::Served() {
    lastTry_.reset();
    delayMs_ = 0;
    reported_ = false;
}

bool StartBackOff::ReportFailure() { return !std::exchange(reported_, true); }

}  // namespace parlowen::speech
