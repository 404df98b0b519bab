// When a helper process may be started again after starts that came to nothing (its
// program missing, broken, or ending at once): the first start at any time, then each
// further one only after a delay that doubles with every start that did not serve, up
// to a minute. A start that served makes the next one free again. So a voice process
// that cannot run is not started anew for every slider step, and its failure is
// reported once, not at every try.
#pragma once

#include <cstdint>
#include <optional>

namespace parlowen::speech {

class StartBackOff {
public:
    static constexpr std::uint32_t kFirstDelayMs = 500;
    static constexpr std::uint32_t kLongestDelayMs = 60'000;

    // Times are a millisecond tick count that may wrap around.
    bool MayStart(std::uint32_t nowMs) const;
    void Tried(std::uint32_t nowMs);
    // The process started last has served.
    void Served();
    // Whether a failure to start should be reported: only the first since one served.
    bool ReportFailure();

private:
    std::optional<std::uint32_t> lastTry_;
    std::uint32_t delayMs_ = 0;  // from the last try to the next
    bool reported_ = false;
};

}  // namespace parlowen::speech
