#include "speech/start_back_off.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using parlowen::speech::StartBackOff;

TEST(StartBackOff, TriesThatDoNotServeWaitLongerEachTimeUpToAMinute) {
    StartBackOff starts;
    const std::uint32_t t0 = 0xFFFFFF00u;  // the tick count wraps around meanwhile
    EXPECT_TRUE(starts.MayStart(t0));
    std::uint32_t now = t0;
    for (std::uint32_t expected : {500u, 1000u, 2000u, 4000u, 8000u, 16000u, 32000u, 60000u, 60000u}) {
        starts.Tried(now);
        EXPECT_FALSE(starts.MayStart(now + expected - 1)) << expected;
        EXPECT_TRUE(starts.MayStart(now + expected)) << expected;
        now += expected;
    }
    starts.Served();
    EXPECT_TRUE(starts.MayStart(now));
    starts.Tried(now);
    EXPECT_TRUE(starts.MayStart(now + 500));
}

TEST(StartBackOff, AFailureIsReportedOnceUntilAStartServes) {
    StartBackOff starts;
    EXPECT_TRUE(starts.ReportFailure());
    EXPECT_FALSE(starts.ReportFailure());
    EXPECT_FALSE(starts.ReportFailure());
    starts.Served();
    EXPECT_TRUE(starts.ReportFailure());
}

}  // namespace
