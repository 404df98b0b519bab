// The recorder's SpFileStream: records what the program asks of the file stream, and
// writes what a recorder voice speaks into it as a WAV file.
#pragma once

#include "call_log_win32.h"
#include "com_object_win32.h"
#include "wav_file_win32.h"

#include <sapi.h>

#include <memory>
#include <mutex>
#include <optional>

namespace parlowen::sapi_recorder {

// The format type a stream and the format objects it handed out share.
using SharedFormatType = std::shared_ptr<std::atomic<int>>;

class FileStream final : public ComObject<ISpeechFileStream> {
public:
    explicit FileStream(Identity identity);
    ~FileStream() override;

    // The recorder stream behind `object`, or nullptr when it is anyone else's. The
    // caller's own reference keeps it alive.
    static FileStream* From(IUnknown* object) noexcept;
    const Identity& identity() const noexcept { return identity_; }
    // Renders a voice's text into the open file; a closed stream takes nothing.
    void Render(std::wstring_view text);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;

    // ISpeechBaseStream
    HRESULT STDMETHODCALLTYPE get_Format(ISpeechAudioFormat** format) override;
    HRESULT STDMETHODCALLTYPE putref_Format(ISpeechAudioFormat* format) override;
    HRESULT STDMETHODCALLTYPE Read(VARIANT* buffer, LONG bytes, LONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(VARIANT buffer, LONG* written) override;
    HRESULT STDMETHODCALLTYPE Seek(VARIANT position, SpeechStreamSeekPositionType origin,
                                   VARIANT* newPosition) override;

    // ISpeechFileStream
    HRESULT STDMETHODCALLTYPE Open(BSTR fileName, SpeechStreamFileMode mode, VARIANT_BOOL doEvents) override;
    HRESULT STDMETHODCALLTYPE Close() override;

private:
    Identity identity_;
    SharedFormatType formatType_;
    std::mutex mutex_;
    std::optional<WavFile> file_;
};

class AudioFormat final : public ComObject<ISpeechAudioFormat> {
public:
    AudioFormat(Identity stream, SharedFormatType type) : stream_(std::move(stream)), type_(std::move(type)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;

    HRESULT STDMETHODCALLTYPE get_Type(SpeechAudioFormatType* type) override;
    HRESULT STDMETHODCALLTYPE put_Type(SpeechAudioFormatType type) override;
    HRESULT STDMETHODCALLTYPE get_Guid(BSTR* guid) override;
    HRESULT STDMETHODCALLTYPE put_Guid(BSTR guid) override;
    HRESULT STDMETHODCALLTYPE GetWaveFormatEx(ISpeechWaveFormatEx** format) override;
    HRESULT STDMETHODCALLTYPE SetWaveFormatEx(ISpeechWaveFormatEx* format) override;

private:
    Identity stream_;
    SharedFormatType type_;
};

}  // namespace parlowen::sapi_recorder
