// Any sequence of foreground titles, transcripts and ticks against a stand-in
// messenger: the ticks never crash, each handled message has a body, a read says at most
// one utterance a speaker, and a transcript handled again brings nothing new.
#include "capture/chat_capture.h"

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
    void SpeakMember(const parlowen::chat::Speaker&, std::string_view, std::string_view) override { ++spoken; }
    void AppendLogEntry(std::string_view, std::string_view body, const parlowen::chat::Speaker&) override {
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
    ChatCapture capture;
    CountingOutput output;
    ChatCapture::Clock::time_point now;
    const auto read = [&] {
        const std::optional<ChatRead> request = capture.NextRead();
        return request ? windows.ReadHistory(*request) : WindowRead{};
    };
    while (!input.empty()) {
        const unsigned char operation = static_cast<unsigned char>(input.front());
        input.remove_prefix(1);
        switch (operation % 5) {
        case 0:
            // Bits of the operation pick one of four windows; two may share a title.
            windows.foregroundHandle = 1 + (operation >> 5);
            windows.foregroundTitle = next();
            windows.chats[windows.foregroundHandle].title = windows.foregroundTitle;
            break;
        case 1:
            windows.chats[capture.CurrentChat().handle].history = next();
            break;
        case 2:
            capture.TrackChats(windows);
            now += std::chrono::milliseconds(100 * (operation >> 3));
            break;
        case 3: {
            const std::string before = capture.tick().LastHeaderSeen();
            const int logged = output.logged, spoken = output.spoken;
            output.options = {bool(operation & 8), bool(operation & 16), bool(operation & 32), bool(operation & 64),
                              bool(operation & 128)};
            capture.HandleRead(read(), output, now);
            const bool handled = output.logged != logged;
            if (!handled && (capture.tick().LastHeaderSeen() != before || output.spoken != spoken)) std::abort();
            if (output.spoken - spoken > 2) std::abort();
            break;
        }
        default: {
            const WindowRead history = read();
            capture.HandleRead(history, output, now);
            const int logged = output.logged;
            capture.HandleRead(history, output, now);  // the same transcript again: nothing new
            if (output.logged != logged) std::abort();
            break;
        }
        }
    }
    return 0;
}
