#include "file_stream_win32.h"

#include <wrl/client.h>

namespace parlowen::sapi_recorder {
namespace {

using Microsoft::WRL::ComPtr;

// Answered only by this server's file streams, so that a voice can tell its own.
constexpr IID kRecorderFileStream = {0x5d0c7a41, 0x6b2e, 0x4f53, {0x9a, 0x1e, 0x27, 0x84, 0xc3, 0x0b, 0x6d, 0x15}};

// What a file stream renders when nobody set its format: the usual voice output.
constexpr int kDefaultFormatType = SAFT22kHz16BitMono;

}  // namespace

FileStream::FileStream(Identity identity)
    : identity_(std::move(identity)), formatType_(std::make_shared<std::atomic<int>>(kDefaultFormatType)) {}

FileStream::~FileStream() {
    // Like the platform's stream, letting go of an open stream completes its file.
    try {
        if (file_) file_->Finish();
    } catch (...) {
    }
    WriteCall(identity_, "destroy", {});
}

FileStream* FileStream::From(IUnknown* object) noexcept {
    if (!object) return nullptr;
    ComPtr<ISpeechFileStream> own;
    if (FAILED(object->QueryInterface(kRecorderFileStream, reinterpret_cast<void**>(own.GetAddressOf()))))
        return nullptr;
    return static_cast<FileStream*>(own.Get());
}

void FileStream::Render(std::wstring_view text) {
    const std::lock_guard lock(mutex_);
    if (file_) file_->Render(text);
}

HRESULT FileStream::QueryInterface(REFIID iid, void** out) {
    return Query(iid, out, {&__uuidof(ISpeechBaseStream), &__uuidof(ISpeechFileStream), &kRecorderFileStream});
}

HRESULT FileStream::get_Format(ISpeechAudioFormat** format) {
    return Guarded([&] {
        if (!format) return E_POINTER;
        *format = nullptr;
        if (HRESULT hr = RecordCall(identity_, "get_Format"); FAILED(hr)) return hr;
        *format = MakeObject<AudioFormat>(identity_, formatType_).Detach();
        return S_OK;
    });
}

HRESULT FileStream::putref_Format(ISpeechAudioFormat*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "putref_Format"); });
}

HRESULT FileStream::Read(VARIANT*, LONG, LONG*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "Read"); });
}

HRESULT FileStream::Write(VARIANT, LONG*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "Write"); });
}

HRESULT FileStream::Seek(VARIANT, SpeechStreamSeekPositionType, VARIANT*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "Seek"); });
}

HRESULT FileStream::Open(BSTR fileName, SpeechStreamFileMode mode, VARIANT_BOOL doEvents) {
    return Guarded([&] {
        const std::wstring path(Text(fileName));
        const Arguments arguments = {Utf8(path), std::to_string(mode), Flag(doEvents)};
        if (FailureRequested(identity_, "Open")) return RecordOutcome(identity_, "Open", arguments, E_FAIL);
        // Streams are only rendered into; reading one back is not offered.
        if (mode != SSFMCreateForWrite) return RecordNotImplemented(identity_, "Open", arguments);

        const std::lock_guard lock(mutex_);
        if (file_) file_->Finish();
        file_.reset();
        const std::optional<PcmFormat> pcm = PcmFormatOf(*formatType_);
        file_ = WavFile::Create(path, pcm ? *pcm : *PcmFormatOf(kDefaultFormatType));
        const HRESULT outcome = file_ ? S_OK : HRESULT_FROM_WIN32(::GetLastError());
        return RecordOutcome(identity_, "Open", arguments, outcome);
    });
}

HRESULT FileStream::Close() {
    return Guarded([&] {
        if (HRESULT hr = RecordCall(identity_, "Close"); FAILED(hr)) return hr;
        const std::lock_guard lock(mutex_);
        HRESULT outcome = S_OK;
        if (file_) outcome = file_->Finish();
        file_.reset();
        return outcome;
    });
}

HRESULT AudioFormat::QueryInterface(REFIID iid, void** out) {
    return Query(iid, out, {&__uuidof(ISpeechAudioFormat)});
}

HRESULT AudioFormat::get_Type(SpeechAudioFormatType* type) {
    return Guarded([&] {
        if (!type) return E_POINTER;
        if (HRESULT hr = RecordCall(stream_, "get_Type"); FAILED(hr)) return hr;
        *type = static_cast<SpeechAudioFormatType>(type_->load());
        return S_OK;
    });
}

HRESULT AudioFormat::put_Type(SpeechAudioFormatType type) {
    return Guarded([&] {
        if (HRESULT hr = RecordCall(stream_, "put_Type", {std::to_string(type)}); FAILED(hr)) return hr;
        type_->store(type);
        return S_OK;
    });
}

HRESULT AudioFormat::get_Guid(BSTR*) {
    return Guarded([&] { return RecordNotImplemented(stream_, "get_Guid"); });
}

HRESULT AudioFormat::put_Guid(BSTR) {
    return Guarded([&] { return RecordNotImplemented(stream_, "put_Guid"); });
}

HRESULT AudioFormat::GetWaveFormatEx(ISpeechWaveFormatEx**) {
    return Guarded([&] { return RecordNotImplemented(stream_, "GetWaveFormatEx"); });
}

HRESULT AudioFormat::SetWaveFormatEx(ISpeechWaveFormatEx*) {
    return Guarded([&] { return RecordNotImplemented(stream_, "SetWaveFormatEx"); });
}

}  // namespace parlowen::sapi_recorder
