// What the program needs of the speech platform: one voice object per speaker that
// connects on first use, the installed voices, and a WAV file to render into.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace parlowen::speech {

// One installed voice. The same token object serves both voice boxes for the whole run.
class VoiceToken {
public:
    virtual ~VoiceToken() = default;
};
using VoiceTokenPtr = std::shared_ptr<const VoiceToken>;

struct InstalledVoice {
    std::string description;  // ANSI, as the voice boxes show it
    VoiceTokenPtr token;
    std::string language;  // as the engine names it ("804", "cmn"); empty when it does not say
};

// A WAV file the voice can render into (16 kHz, 16-bit, mono PCM). It is written into a
// temporary file beside the one named, which takes that file's place only at Close: a
// render that fails or is given up leaves an earlier file of that name as it was.
class AudioFileStream {
public:
    virtual ~AudioFileStream() = default;
    virtual void SetFormat16kHz16BitMono() = 0;
    virtual void OpenForWrite(std::string_view ansiPath) = 0;
    // How many bytes the render has written so far (0 when that cannot be told).
    virtual std::uint64_t BytesWritten() = 0;
    // Completes the file and puts it in place of the one named.
    virtual void Close() = 0;
    // Closes the stream if it is open and removes what was written.
    virtual void Discard() noexcept = 0;
};

// One voice object. Every operation connects it when it is not connected; errors are
// thrown with the platform's message. A platform that does not implement speech at
// all behaves as a system with no voice installed: no voices, and silence.
class VoiceEngine {
public:
    virtual ~VoiceEngine() = default;

    // Drops the voice object: whatever it is saying or has queued ends at once.
    virtual void Disconnect() noexcept = 0;

    virtual std::vector<InstalledVoice> GetVoices() = 0;
    virtual void SetVoice(const VoiceToken& token) = 0;
    virtual void SetRate(int rate) = 0;      // -10..10
    virtual void SetVolume(int volume) = 0;  // 0..100
    // -10..10 in the system speech engine's steps; a new voice object speaks at 0, the
    // voice's own pitch.
    virtual void SetPitch(int pitch) = 0;
    // The engine's variants of every voice (another speaker built on the same voice), by
    // name; none where it has no such thing. A new voice object speaks as the voice
    // itself, variant "".
    virtual std::vector<std::string> Variants() = 0;
    virtual void SetVariant(const std::string& variant) = 0;
    // Starts speaking ANSI text and returns at once.
    virtual void Speak(std::string_view ansiText) = 0;
    // Whether anything spoken is still being said or waits to be; false where that
    // cannot be told. Asks without waiting for the speech.
    virtual bool Speaking() = 0;

    // Rendering into a file instead of the sound device.
    virtual void SetAllowAudioOutputFormatChanges(bool allow) = 0;
    virtual void SetOutputStream(AudioFileStream& stream) = 0;
    // Waits at most `timeoutMs` for everything spoken to be rendered; whether it is.
    virtual bool WaitUntilDone(unsigned timeoutMs) = 0;
    virtual void ResetOutputToDefaultDevice() = 0;
};

}  // namespace parlowen::speech
