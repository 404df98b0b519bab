#include "speech/espeak_voice_engine_win32.h"

#include "speech/espeak_settings.h"
#include "speech/speakable_text.h"
#include "speech/wav_header.h"
#include "win32/replace_file_win32.h"
#include "win32/text_win32.h"

#include <stdexcept>

namespace parlowen::speech {
namespace {

// A voice process that leaves a command unanswered this long is ended and replaced.
constexpr DWORD kAnswerTimeoutMs = 5000;
// The first start of a voice process in a cold Wine prefix.
constexpr DWORD kVoicesTimeoutMs = 10000;
constexpr DWORD kTimingTimeoutMs = 2000;

class EspeakVoiceToken : public VoiceToken {
public:
    explicit EspeakVoiceToken(std::string identifier) : identifier_(std::move(identifier)) {}
    const std::string& identifier() const noexcept { return identifier_; }

private:
    std::string identifier_;
};

std::string AnsiToUtf8(std::string_view ansi) { return win32::WideToUtf8(win32::AnsiToWide(ansi)); }
std::string Utf8ToAnsi(std::string_view utf8) { return win32::WideToAnsi(win32::Utf8ToWide(utf8)); }

// An error reply, or none at all, as the error report shows it.
[[noreturn]] void Fail(const std::optional<protocol::Fields>& reply) {
    const std::string message = !reply ? "no answer" : reply->size() > 1 ? Utf8ToAnsi((*reply)[1]) : "error";
    throw std::runtime_error("parlowen-voice: " + message);
}

bool IsOk(const std::optional<protocol::Fields>& reply) { return reply && reply->front() == protocol::kOk; }

}  // namespace

void EspeakFileStream::OpenForWrite(std::string_view ansiPath) {
    Discard();  // a file an earlier failure left
    const std::wstring path = win32::AnsiToWide(ansiPath);
    // The voice process has a working folder of its own: hand it the full path.
    const DWORD length = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    win32::ThrowLastErrorIf(length == 0, "SpFileStream.Open");
    std::wstring full(length, L'\0');
    full.resize(::GetFullPathNameW(path.c_str(), length, full.data(), nullptr));

    file_.emplace(full, "SpFileStream.Open");
    try {
        const win32::UniqueFile created(::CreateFileW(file_->path().c_str(), GENERIC_WRITE, 0, nullptr,
                                                      TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        win32::ThrowLastErrorIf(!created, "SpFileStream.Open");
        const auto header = WavHeader(0);
        DWORD written = 0;
        win32::ThrowLastErrorIf(
            !::WriteFile(created.get(), header.data(), static_cast<DWORD>(header.size()), &written, nullptr),
            "SpFileStream.Open");
    } catch (...) {
        file_.reset();
        throw;
    }
}

std::uint64_t EspeakFileStream::BytesWritten() { return file_ ? file_->BytesWritten() : 0; }

void EspeakFileStream::Close() {
    if (file_) file_->Commit("SpFileStream.Close");
    file_.reset();
}

void EspeakFileStream::Discard() noexcept { file_.reset(); }

std::string EspeakFileStream::Utf8Path() const {
    if (!file_) throw std::runtime_error("SpVoice.AudioOutputStream: the file stream is not open");
    return win32::WideToUtf8(file_->path());
}

EspeakVoiceEngine::EspeakVoiceEngine(std::shared_ptr<const VoiceProgram> program) : program_(std::move(program)) {}

bool EspeakVoiceEngine::EnsureRunning(bool beforeUtterance) {
    if (process_ && process_->Served()) starts_.Served();
    if (process_ && process_->Usable(kAnswerTimeoutMs) && (!beforeUtterance || process_->Running())) return false;
    process_.reset();
    pendingWait_.reset();
    const DWORD now = ::GetTickCount();
    if (!starts_.MayStart(now)) return false;
    starts_.Tried(now);
    try {
        process_ = std::make_unique<VoiceProcess>(*program_);
    } catch (const win32::PlatformError&) {
        if (starts_.ReportFailure()) throw;
        return false;
    }
    if (!settings_.voice.empty()) process_->Send({std::string(protocol::kVoice), settings_.voice});
    process_->Send({std::string(protocol::kRate), std::to_string(settings_.rate)});
    process_->Send({std::string(protocol::kVolume), std::to_string(settings_.volume)});
    process_->Send({std::string(protocol::kPitch), std::to_string(settings_.pitch)});
    process_->Send({std::string(protocol::kVariant), settings_.variant});
    return true;
}

void EspeakVoiceEngine::Configure(const protocol::Fields& command) {
    if (!EnsureRunning() && process_) process_->Send(command);
}

void EspeakVoiceEngine::Disconnect() noexcept {
    settings_ = {};
    outputPath_.clear();
    try {
        if (process_ && process_->Usable(kAnswerTimeoutMs)) {
            process_->Send({std::string(protocol::kPurge)});
            process_->Send({std::string(protocol::kReset)});
        } else {
            // One that stopped answering is ended now, and with it what it holds open.
            process_.reset();
            pendingWait_.reset();
        }
    } catch (...) {
        // Out of memory: the next use finds the process as it is.
    }
}

std::vector<InstalledVoice> EspeakVoiceEngine::GetVoices() {
    if (voices_) return *voices_;  // the list does not change while the program runs
    EnsureRunning();
    if (!process_) Fail(std::nullopt);
    const auto reply = process_->Reply(process_->Send({std::string(protocol::kVoices)}, true), kVoicesTimeoutMs);
    if (!IsOk(reply)) Fail(reply);
    std::vector<InstalledVoice> voices;
    for (size_t i = 1; i + 2 < reply->size(); i += 3)
        voices.push_back(
            {Utf8ToAnsi((*reply)[i + 1]), std::make_shared<EspeakVoiceToken>((*reply)[i]), (*reply)[i + 2]});
    voices_ = voices;
    return voices;
}

void EspeakVoiceEngine::SetVoice(const VoiceToken& token) {
    settings_.voice = static_cast<const EspeakVoiceToken&>(token).identifier();
    Configure({std::string(protocol::kVoice), settings_.voice});
}

void EspeakVoiceEngine::SetRate(int rate) {
    settings_.rate = rate;
    Configure({std::string(protocol::kRate), std::to_string(rate)});
}

void EspeakVoiceEngine::SetVolume(int volume) {
    settings_.volume = volume;
    Configure({std::string(protocol::kVolume), std::to_string(volume)});
}

void EspeakVoiceEngine::SetPitch(int pitch) {
    settings_.pitch = pitch;
    Configure({std::string(protocol::kPitch), std::to_string(pitch)});
}

std::vector<std::string> EspeakVoiceEngine::Variants() {
    return {std::begin(espeak::kVariants), std::end(espeak::kVariants)};
}

void EspeakVoiceEngine::SetVariant(const std::string& variant) {
    settings_.variant = variant;
    Configure({std::string(protocol::kVariant), variant});
}

void EspeakVoiceEngine::Speak(std::string_view ansiText) {
    std::string text = AnsiToUtf8(SpeakableText(ansiText));
    EnsureRunning(true);
    if (!process_) {
        // None may be started yet: an utterance is lost, as on a silent device, but an
        // export must not end as if it had been written.
        if (!outputPath_.empty()) Fail(std::nullopt);
        return;
    }
    if (outputPath_.empty()) process_->Send({std::string(protocol::kSpeak), std::move(text)});
    else process_->Send({std::string(protocol::kRender), outputPath_, std::move(text)});
}

bool EspeakVoiceEngine::Speaking() {
    // A pending wait holds the voice process's answers back: it is busy rendering.
    if (pendingWait_) return true;
    if (!process_ || !process_->Usable(kAnswerTimeoutMs)) return false;
    const auto reply = process_->Reply(process_->Send({std::string(protocol::kBusy)}, true), kTimingTimeoutMs);
    return IsOk(reply) && reply->size() >= 2 && (*reply)[1] == "1";
}

void EspeakVoiceEngine::SetOutputStream(AudioFileStream& stream) {
    outputPath_ = static_cast<const EspeakFileStream&>(stream).Utf8Path();
}

bool EspeakVoiceEngine::WaitUntilDone(unsigned timeoutMs) {
    if (!process_) return true;  // nothing was ever asked of it
    // A wait that did not end in time is waited for again, not asked anew.
    if (!pendingWait_) pendingWait_ = process_->Send({std::string(protocol::kWait)}, true);
    auto reply = process_->Reply(*pendingWait_, timeoutMs, true);
    if (!reply && process_->Usable(INFINITE)) return false;  // still rendering, or stuck: the caller judges
    pendingWait_.reset();
    if (!IsOk(reply)) Fail(reply);
    return true;
}

std::optional<EspeakVoiceEngine::SpeakTiming> EspeakVoiceEngine::LastSpeakTiming() {
    if (!process_) return std::nullopt;
    const auto reply = process_->Reply(process_->Send({std::string(protocol::kTiming)}, true), kTimingTimeoutMs);
    if (!IsOk(reply) || reply->size() < 3) return std::nullopt;
    return SpeakTiming{std::stoll((*reply)[1]), std::stoll((*reply)[2])};
}

DWORD EspeakVoiceEngine::ProcessId() const { return process_ ? process_->processId() : 0; }

}  // namespace parlowen::speech
