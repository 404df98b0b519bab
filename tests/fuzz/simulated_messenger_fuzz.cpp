// The chat capture against the simulated messenger, its seed and scenario from the
// input: any message due and lost, repeated, mis-voiced or out of order, other than one
// written exactly like a header line of its chat, aborts.
#include "../simulated_messenger.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>

// Input bytes: four of seed, then messages (x4), windows and the percentages in the
// order SimulationKnobs lists them; missing ones keep their defaults.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    parlowen::testing::SimulationKnobs knobs;
    const auto byte = [&](std::size_t i, int otherwise) { return i < size ? int(data[i]) : otherwise; };
    knobs.seed = unsigned(byte(0, 1) | byte(1, 0) << 8 | byte(2, 0) << 16 | byte(3, 0) << 24);
    knobs.messages = 20 + 4 * byte(4, 20);
    knobs.windows = 1 + byte(5, 3) % 6;
    int* const percentages[] = {&knobs.longBursts, &knobs.splitBodies, &knobs.blankBodies,
                                &knobs.pastedHeaders, &knobs.midRead, &knobs.upheaval};
    for (std::size_t i = 0; i < std::size(percentages); ++i) *percentages[i] = byte(6 + i, *percentages[i]) % 101;
    parlowen::testing::SimulatedChatCapture capture;
    const auto counts = parlowen::testing::SimulatedMessenger(knobs, capture).Run();
    if (!counts.Clean()) {
        std::fprintf(stderr, "seed %u: %s\n", knobs.seed, counts.Line().c_str());
        std::abort();
    }
    return 0;
}
