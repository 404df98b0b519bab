#include "speech/sapi_voice_engine_win32.h"

#include "speech/speakable_text.h"
#include "win32/com_win32.h"
#include "win32/errors_win32.h"
#include "win32/replace_file_win32.h"
#include "win32/text_win32.h"

#include <stdexcept>

namespace parlowen::speech {
namespace {

using Microsoft::WRL::ComPtr;
using win32::ThrowIfFailed;

class SapiVoiceToken : public VoiceToken {
public:
    explicit SapiVoiceToken(ComPtr<ISpeechObjectToken> token) : token_(std::move(token)) {}
    ISpeechObjectToken* get() const { return token_.Get(); }

private:
    ComPtr<ISpeechObjectToken> token_;
};

// E_NOTIMPL means the platform has no speech behind its objects (Wine's own SAPI
// answers so): the call did nothing, and that is not an error of the program.
bool Implemented(HRESULT hr, const char* operation) {
    if (hr == E_NOTIMPL) return false;
    ThrowIfFailed(hr, operation);
    return true;
}

}  // namespace

ISpeechVoice* SapiVoiceEngine::Connected() {
    if (!voice_) {
        const HRESULT hr = ::CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpeechVoice,
                                              reinterpret_cast<void**>(voice_.ReleaseAndGetAddressOf()));
        if (hr == REGDB_E_CLASSNOTREG) return nullptr;  // no SAPI on this system
        ThrowIfFailed(hr, "SpVoice");
    }
    return voice_.Get();
}

void SapiVoiceEngine::Disconnect() noexcept {
    voice_.Reset();
    pitch_ = 0;
}

std::vector<InstalledVoice> SapiVoiceEngine::GetVoices() {
    if (!voices_) voices_ = ListVoices();
    return *voices_;
}

std::vector<InstalledVoice> SapiVoiceEngine::ListVoices() {
    std::vector<InstalledVoice> voices;
    ISpeechVoice* voice = Connected();
    if (!voice) return voices;
    ComPtr<ISpeechObjectTokens> tokens;
    const win32::UniqueBstr none(::SysAllocString(L""));
    if (!Implemented(voice->GetVoices(none.get(), none.get(), &tokens), "SpVoice.GetVoices") || !tokens)
        return voices;
    long count = 0;
    ThrowIfFailed(tokens->get_Count(&count), "ISpeechObjectTokens.Count");
    for (long i = 0; i < count; ++i) {
        ComPtr<ISpeechObjectToken> token;
        ThrowIfFailed(tokens->Item(i, &token), "ISpeechObjectTokens.Item");
        win32::UniqueBstr description;
        if (!Implemented(token->GetDescription(0, description.put()), "ISpeechObjectToken.GetDescription"))
            return {};
        // The language attribute is a courtesy: a token without one is still a voice.
        const win32::UniqueBstr languageName(::SysAllocString(L"Language"));
        win32::UniqueBstr language;
        const bool languageKnown = SUCCEEDED(token->GetAttribute(languageName.get(), language.put())) && language.get();
        voices.push_back({win32::WideToAnsi(description.get() ? description.get() : L""),
                          std::make_shared<SapiVoiceToken>(std::move(token)),
                          languageKnown ? win32::WideToAnsi(language.get()) : std::string()});
    }
    return voices;
}

void SapiVoiceEngine::SetVoice(const VoiceToken& token) {
    if (ISpeechVoice* voice = Connected())
        Implemented(voice->putref_Voice(static_cast<const SapiVoiceToken&>(token).get()), "SpVoice.Voice");
}

void SapiVoiceEngine::SetRate(int rate) {
    if (ISpeechVoice* voice = Connected()) Implemented(voice->put_Rate(rate), "SpVoice.Rate");
}

void SapiVoiceEngine::SetVolume(int volume) {
    if (ISpeechVoice* voice = Connected()) Implemented(voice->put_Volume(volume), "SpVoice.Volume");
}

void SapiVoiceEngine::Speak(std::string_view ansiText) {
    ISpeechVoice* voice = Connected();
    if (!voice) return;
    // Without SVSFIsNotXML, SAPI guesses whether the text is markup: a message could
    // then set the volume, rate or voice, or be dropped as malformed. Markup is only
    // ever the program's own, around text whose markup characters are entities.
    const bool pitched = pitch_ != 0;
    const win32::UniqueBstr text =
        win32::AnsiToBstr(pitched ? PitchMarkup(ansiText, pitch_) : SpeakableText(ansiText));
    const long flags = SVSFlagsAsync | (pitched ? SVSFIsXML : SVSFIsNotXML);
    long streamNumber = 0;
    Implemented(voice->Speak(text.get(), static_cast<SpeechVoiceSpeakFlags>(flags), &streamNumber),
                "SpVoice.Speak");
}

void SapiVoiceEngine::SetAllowAudioOutputFormatChanges(bool allow) {
    if (ISpeechVoice* voice = Connected())
        Implemented(voice->put_AllowAudioOutputFormatChangesOnNextSet(allow ? VARIANT_TRUE : VARIANT_FALSE),
                    "SpVoice.AllowAudioOutputFormatChangesOnNextSet");
}

void SapiVoiceEngine::SetOutputStream(AudioFileStream& stream) {
    if (ISpeechVoice* voice = Connected())
        Implemented(voice->putref_AudioOutputStream(static_cast<SapiFileStream&>(stream).BaseStream()),
                    "SpVoice.AudioOutputStream");
}

bool SapiVoiceEngine::WaitUntilDone(unsigned timeoutMs) {
    ISpeechVoice* voice = Connected();
    if (!voice) return true;
    VARIANT_BOOL done = VARIANT_FALSE;
    return !Implemented(voice->WaitUntilDone(static_cast<long>(timeoutMs), &done), "SpVoice.WaitUntilDone") ||
           done != VARIANT_FALSE;
}

void SapiVoiceEngine::ResetOutputToDefaultDevice() {
    if (ISpeechVoice* voice = Connected()) Implemented(voice->putref_AudioOutput(nullptr), "SpVoice.AudioOutput");
}

ISpeechFileStream& SapiFileStream::Connected() {
    if (!stream_) {
        ThrowIfFailed(::CoCreateInstance(CLSID_SpFileStream, nullptr, CLSCTX_ALL, IID_ISpeechFileStream,
                                         reinterpret_cast<void**>(stream_.ReleaseAndGetAddressOf())),
                      "SpFileStream");
    }
    return *stream_.Get();
}

ISpeechBaseStream* SapiFileStream::BaseStream() { return &Connected(); }

void SapiFileStream::SetFormat16kHz16BitMono() {
    ComPtr<ISpeechAudioFormat> format;
    ThrowIfFailed(Connected().get_Format(&format), "SpFileStream.Format");
    ThrowIfFailed(format->put_Type(SAFT16kHz16BitMono), "SpAudioFormat.Type");
}

void SapiFileStream::OpenForWrite(std::string_view ansiPath) {
    Discard();  // a stream an earlier failure left open
    file_.emplace(win32::AnsiToWide(ansiPath), "SpFileStream.Open");
    const win32::UniqueBstr path(::SysAllocString(file_->path().c_str()));
    try {
        ThrowIfFailed(Connected().Open(path.get(), SSFMCreateForWrite, VARIANT_FALSE), "SpFileStream.Open");
    } catch (...) {
        file_.reset();
        throw;
    }
}

std::uint64_t SapiFileStream::BytesWritten() { return file_ ? file_->BytesWritten() : 0; }

void SapiFileStream::Close() {
    ThrowIfFailed(Connected().Close(), "SpFileStream.Close");
    if (file_) file_->Commit("SpFileStream.Close");
    file_.reset();
}

void SapiFileStream::Discard() noexcept {
    if (!file_) return;
    if (stream_) stream_->Close();
    file_.reset();
}

}  // namespace parlowen::speech
