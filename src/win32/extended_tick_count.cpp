#include "win32/extended_tick_count.h"

namespace parlowen::win32 {

std::uint64_t ExtendTickCount(std::atomic<std::uint64_t>& last, std::uint32_t now) {
    constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;
    std::uint64_t seen = last.load();
    for (;;) {
        const auto low = static_cast<std::uint32_t>(seen);
        if (now < low && low - now < kWrap / 2) return seen;
        const std::uint64_t ticks = (seen & ~(kWrap - 1)) + (now < low ? kWrap : 0) + now;
        if (last.compare_exchange_weak(seen, ticks)) return ticks;
    }
}

}  // namespace parlowen::win32
