// Any sequence of foreground titles, transcripts and ticks against a stand-in
// messenger: the ticks never crash, each handled message has a body, a read says at most
// one utterance a speaker, and a transcript handled again brings nothing new.
#include "capture/capture_tick.h"
#include "capture/chat_tracking.h"

#include "fake_chat_windows.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace parlowen::capture;

class CountingOutput : public CaptureOutput {
public:
    ReadingOptions options;
    int spoken = 0;
    int logged = 0;
    ReadingOptions Options() override { return options; }
    void SpeakMine(std::string_view) override { ++spoken; }
    void SpeakFriend(std::string_view) override { ++spoken; }
    void AppendLogEntry(std::string_view, std::string_view body, parlowen::capture::Sender) override {
        if (body.empty()) std::abort();
        ++logged;
    }
};

}  // namespace

// Each step: one operation byte, then (for the first two) a text ended by a NUL byte.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto next = [&input]() {
        const std::size_t end = input.find('\0');
        const std::string text(input.substr(0, end));
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
        return text;
    };
    parlowen::testing::FakeChatWindows windows;
    ChatTracking tracking;
    CaptureTick tick;
    CountingOutput output;
    while (!input.empty()) {
        const unsigned char operation = static_cast<unsigned char>(input.front());
        input.remove_prefix(1);
        switch (operation % 5) {
        case 0:
            windows.foregroundTitle = next();
            break;
        case 1:
            windows.historyByTitle[tracking.CurrentChatTitle()] = next();
            break;
        case 2:
            tracking.Timer3Tick(windows);
            break;
        case 3: {
            const std::string before = tick.LastHeaderSeen();
            const int logged = output.logged, spoken = output.spoken;
            output.options = {bool(operation & 8), bool(operation & 16), bool(operation & 32), bool(operation & 64),
                              bool(operation & 128)};
            tick.Handle(tracking.CurrentChatTitle(), windows.ReadHistory(tracking.CurrentChatTitle()), output);
            const bool handled = output.logged != logged;
            if (!handled && (tick.LastHeaderSeen() != before || output.spoken != spoken)) std::abort();
            if (output.spoken - spoken > 2) std::abort();
            break;
        }
        default: {
            const std::string history = windows.ReadHistory(tracking.CurrentChatTitle());
            tick.Handle(tracking.CurrentChatTitle(), history, output);
            const int logged = output.logged;
            tick.Handle(tracking.CurrentChatTitle(), history, output);  // the same transcript again: nothing new
            if (output.logged != logged) std::abort();
            break;
        }
        }
    }
    return 0;
}
