// A 64-bit millisecond count from the 32-bit one that wraps every 49.7 days, for
// Windows versions without GetTickCount64.
#pragma once

#include <atomic>
#include <cstdint>

namespace parlowen::win32 {

// The 64-bit count for the 32-bit count `now`, given the last result (updated). A
// count that went back by less than half the range is another thread's older reading,
// not a wrap: the last result stands.
std::uint64_t ExtendTickCount(std::atomic<std::uint64_t>& last, std::uint32_t now);

}  // namespace parlowen::win32
