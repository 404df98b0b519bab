// parlowen-voice: the voice process of Parlowen's eSpeak NG engine. A Winelib program:
// Wine runs it as a Windows process that parlowen.exe starts with pipes for its standard
// input and output, and it links the Linux eSpeak NG, sound and resampling libraries.
// It answers the line protocol of speech/voice_protocol.h and ends when its input closes.
#include "speech/voice_protocol.h"
#include "voice/synthesiser_winelib.h"

#include <windows.h>

#include <charconv>
#include <exception>
#include <stdexcept>
#include <string>

namespace {

namespace protocol = parlowen::speech::protocol;
using parlowen::voice::Synthesiser;
using protocol::Fields;

void WriteLine(HANDLE output, const std::string& line) {
    DWORD written = 0;
    ::WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// UTF-16 as std::u16string: wineg++ compiles with a 2-byte wchar_t, which the C++
// library's own std::wstring does not share.
std::u16string Utf8ToUtf16(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string wide(static_cast<size_t>(length), u'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                          reinterpret_cast<WCHAR*>(wide.data()), length);
    return wide;
}

int Number(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) throw std::invalid_argument("not a number: " + text);
    return value;
}

const std::string& Argument(const Fields& command, size_t index) {
    if (command.size() <= index) throw std::invalid_argument(command[0] + ": missing argument");
    return command[index];
}

Fields Answer(Synthesiser& synthesiser, const Fields& command) {
    const std::string& name = command[0];
    if (name == protocol::kVoices) {
        Fields reply{std::string(protocol::kOk)};
        for (const auto& voice : synthesiser.Voices()) {
            reply.push_back(voice.identifier);
            reply.push_back(voice.name);
            reply.push_back(voice.language);
        }
        return reply;
    }
    if (name == protocol::kVoice) synthesiser.SetVoice(Argument(command, 1));
    else if (name == protocol::kRate) synthesiser.SetRate(Number(Argument(command, 1)));
    else if (name == protocol::kVolume) synthesiser.SetVolume(Number(Argument(command, 1)));
    else if (name == protocol::kPitch) synthesiser.SetPitch(Number(Argument(command, 1)));
    else if (name == protocol::kVariant) synthesiser.SetVariant(Argument(command, 1));
    else if (name == protocol::kReset) synthesiser.ResetSettings();
    else if (name == protocol::kSpeak) synthesiser.Speak(protocol::ValidUtf8(Argument(command, 1)));
    else if (name == protocol::kRender)
        synthesiser.Render(Utf8ToUtf16(protocol::ValidUtf8(Argument(command, 1))),
                           protocol::ValidUtf8(Argument(command, 2)));
    else if (name == protocol::kPurge) synthesiser.Purge();
    else if (name == protocol::kBusy) return {std::string(protocol::kOk), synthesiser.Busy() ? "1" : "0"};
    else if (name == protocol::kWait) {
        if (auto failure = synthesiser.WaitUntilIdle()) return {std::string(protocol::kError), *failure};
    } else if (name == protocol::kTiming) {
        const Synthesiser::Timing timing = synthesiser.LastSpeakTiming();
        return {std::string(protocol::kOk), std::to_string(timing.requested), std::to_string(timing.firstSample)};
    } else {
        throw std::invalid_argument("unknown command " + name);
    }
    return {std::string(protocol::kOk)};
}

}  // namespace

int main() {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    try {
        Synthesiser synthesiser;
        WriteLine(output, protocol::GreetingLine());

        protocol::LineBuffer lines;
        char buffer[65536];
        DWORD read = 0;
        while (::ReadFile(input, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
            lines.Append(std::string_view(buffer, read));
            while (const auto line = lines.NextLine()) {
                // The command's number first, so that the program knows what is answered.
                Fields command = protocol::DecodeLine(*line);
                Fields reply{command.front()};
                command.erase(command.begin());
                try {
                    if (command.empty()) throw std::invalid_argument("no command");
                    Fields answer = Answer(synthesiser, command);
                    reply.insert(reply.end(), answer.begin(), answer.end());
                } catch (const std::exception& e) {
                    reply.insert(reply.end(), {std::string(protocol::kError), e.what()});
                }
                WriteLine(output, protocol::EncodeLine(reply));
            }
        }
        // The program closed our input, or ended: stop speaking and end too.
        return 0;
    } catch (const std::exception&) {
        return 1;  // without a greeting the program takes the voice process as missing
    }
}
