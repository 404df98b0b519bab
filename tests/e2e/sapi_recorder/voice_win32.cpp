#include "voice_win32.h"
#include "../registry_win32.h"

#include "file_stream_win32.h"

#include <oleauto.h>

namespace parlowen::sapi_recorder {
namespace {

using Microsoft::WRL::ComPtr;

// Answered only by this server's tokens, so that the log can name them without
// recording a get_Id call the program never made.
constexpr IID kRecorderToken = {0x2f6b93c8, 0x1d47, 0x4e0a, {0xb2, 0x5c, 0x90, 0x3e, 0x7a, 0x41, 0xd8, 0x66}};

constexpr wchar_t kTokensKey[] = L"SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens";

BSTR AllocateText(std::wstring_view text) {
    BSTR out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!out) throw std::bad_alloc();
    return out;
}

std::string StreamLogName(ISpeechBaseStream* stream) {
    if (!stream) return "null";
    if (FileStream* own = FileStream::From(stream)) return own->identity().name;
    return "foreign";
}

// A VARIANT that clears itself.
struct Variant {
    VARIANT value;
    Variant() noexcept { ::VariantInit(&value); }
    ~Variant() { ::VariantClear(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

// The object an automation argument carries; nothing, empty or null is no object.
template <typename Interface>
HRESULT ObjectArgument(VARIANT& argument, ComPtr<Interface>& object) {
    object.Reset();
    Variant plain;
    if (HRESULT hr = ::VariantCopyInd(&plain.value, &argument); FAILED(hr)) return hr;
    switch (plain.value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return S_OK;
        case VT_DISPATCH:
        case VT_UNKNOWN:
            if (!plain.value.punkVal) return S_OK;
            return SUCCEEDED(plain.value.punkVal->QueryInterface(__uuidof(Interface),
                                                                 reinterpret_cast<void**>(object.GetAddressOf())))
                       ? S_OK
                       : DISP_E_TYPEMISMATCH;
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

HRESULT ValueArgument(VARIANT& argument, VARTYPE type, Variant& value) {
    return ::VariantChangeType(&value.value, &argument, 0, type);
}

struct Member {
    const wchar_t* name;
    DISPID id;
};

constexpr Member kMembers[] = {
    {L"Voice", DISPID_SVVoice},
    {L"AudioOutput", DISPID_SVAudioOutput},
    {L"AudioOutputStream", DISPID_SVAudioOutputStream},
    {L"Rate", DISPID_SVRate},
    {L"Volume", DISPID_SVVolume},
    {L"AllowAudioOutputFormatChangesOnNextSet", DISPID_SVAllowAudioOuputFormatChangesOnNextSet},
    {L"Speak", DISPID_SVSpeak},
    {L"GetVoices", DISPID_SVGetVoices},
    {L"WaitUntilDone", DISPID_SVWaitUntilDone},
};


}  // namespace

std::vector<VoiceEntry> InstalledVoices() {
    std::vector<VoiceEntry> voices;
    for (const std::wstring& name : win32::RegistrySubkeyNames(HKEY_LOCAL_MACHINE, kTokensKey)) {
        const std::wstring path = std::wstring(kTokensKey) + L"\\" + name;
        voices.push_back({L"HKEY_LOCAL_MACHINE\\" + path,
                          win32::ReadRegistryString(HKEY_LOCAL_MACHINE, path.c_str(), nullptr).value_or(L"")});
    }
    return voices;
}

Voice::~Voice() { WriteCall(identity_, "destroy", {}); }

HRESULT Voice::QueryInterface(REFIID iid, void** out) { return Query(iid, out, {&__uuidof(ISpeechVoice)}); }

HRESULT Voice::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        // Named arguments are not offered; only the member's own name is looked up.
        if (i == 0) {
            for (const Member& member : kMembers)
                if (::CompareStringOrdinal(names[0], -1, member.name, -1, TRUE) == CSTR_EQUAL) ids[0] = member.id;
        }
        if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT Voice::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                      EXCEPINFO*, UINT*) {
    if (!parameters) return E_INVALIDARG;
    return Guarded([&] { return InvokeMember(member, flags, *parameters, result); });
}

HRESULT Voice::InvokeMember(DISPID member, WORD flags, DISPPARAMS& parameters, VARIANT* result) {
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    const bool call = (flags & DISPATCH_METHOD) != 0;
    // Arguments arrive last first; the value of a property put is the only one.
    auto argument = [&](UINT position) -> VARIANT* {
        return position < parameters.cArgs ? &parameters.rgvarg[parameters.cArgs - 1 - position] : nullptr;
    };
    auto text = [&](UINT position, Variant& value) -> HRESULT {
        VARIANT* given = argument(position);
        if (given) return ValueArgument(*given, VT_BSTR, value);
        value.value.vt = VT_BSTR;  // a missing text is the empty text
        value.value.bstrVal = nullptr;
        return S_OK;
    };

    if (put && parameters.cArgs == 1) {
        VARIANT& value = *argument(0);
        Variant converted;
        HRESULT hr = S_OK;
        switch (member) {
            case DISPID_SVVoice: {
                ComPtr<ISpeechObjectToken> token;
                if (FAILED(hr = ObjectArgument(value, token))) return hr;
                return putref_Voice(token.Get());
            }
            case DISPID_SVAudioOutput: {
                ComPtr<ISpeechObjectToken> token;
                if (FAILED(hr = ObjectArgument(value, token))) return hr;
                return putref_AudioOutput(token.Get());
            }
            case DISPID_SVAudioOutputStream: {
                ComPtr<ISpeechBaseStream> stream;
                if (FAILED(hr = ObjectArgument(value, stream))) return hr;
                return putref_AudioOutputStream(stream.Get());
            }
            case DISPID_SVRate:
                if (FAILED(hr = ValueArgument(value, VT_I4, converted))) return hr;
                return put_Rate(converted.value.lVal);
            case DISPID_SVVolume:
                if (FAILED(hr = ValueArgument(value, VT_I4, converted))) return hr;
                return put_Volume(converted.value.lVal);
            case DISPID_SVAllowAudioOuputFormatChangesOnNextSet:
                if (FAILED(hr = ValueArgument(value, VT_BOOL, converted))) return hr;
                return put_AllowAudioOutputFormatChangesOnNextSet(converted.value.boolVal);
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }
    if (!call) return DISP_E_MEMBERNOTFOUND;

    HRESULT hr = S_OK;
    switch (member) {
        case DISPID_SVSpeak: {
            Variant spoken;
            if (FAILED(hr = text(0, spoken))) return hr;
            LONG speakFlags = SVSFDefault;
            if (VARIANT* given = argument(1)) {
                Variant converted;
                if (FAILED(hr = ValueArgument(*given, VT_I4, converted))) return hr;
                speakFlags = converted.value.lVal;
            }
            LONG stream = 0;
            hr = Speak(spoken.value.bstrVal, static_cast<SpeechVoiceSpeakFlags>(speakFlags), &stream);
            if (SUCCEEDED(hr) && result) {
                result->vt = VT_I4;
                result->lVal = stream;
            }
            return hr;
        }
        case DISPID_SVGetVoices: {
            Variant required;
            Variant optional;
            if (FAILED(hr = text(0, required)) || FAILED(hr = text(1, optional))) return hr;
            ISpeechObjectTokens* tokens = nullptr;
            hr = GetVoices(required.value.bstrVal, optional.value.bstrVal, &tokens);
            if (SUCCEEDED(hr) && result) {
                result->vt = VT_DISPATCH;
                result->pdispVal = tokens;
            } else if (tokens) {
                tokens->Release();
            }
            return hr;
        }
        case DISPID_SVWaitUntilDone: {
            Variant timeout;
            VARIANT* given = argument(0);
            if (!given) return DISP_E_PARAMNOTOPTIONAL;
            if (FAILED(hr = ValueArgument(*given, VT_I4, timeout))) return hr;
            VARIANT_BOOL done = VARIANT_FALSE;
            hr = WaitUntilDone(timeout.value.lVal, &done);
            if (SUCCEEDED(hr) && result) {
                result->vt = VT_BOOL;
                result->boolVal = done;
            }
            return hr;
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT Voice::get_Status(ISpeechVoiceStatus**) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_Status"); });
}

HRESULT Voice::get_Voice(ISpeechObjectToken**) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_Voice"); });
}

HRESULT Voice::putref_Voice(ISpeechObjectToken* voice) {
    return Guarded([&] { return RecordCall(identity_, "putref_Voice", {VoiceToken::LogName(voice)}); });
}

HRESULT Voice::get_AudioOutput(ISpeechObjectToken**) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_AudioOutput"); });
}

HRESULT Voice::putref_AudioOutput(ISpeechObjectToken* output) {
    return Guarded([&] {
        if (HRESULT hr = RecordCall(identity_, "putref_AudioOutput", {VoiceToken::LogName(output)}); FAILED(hr))
            return hr;
        // An audio output replaces the output stream, as it does on the platform.
        const std::lock_guard lock(mutex_);
        outputStream_.Reset();
        return S_OK;
    });
}

HRESULT Voice::get_AudioOutputStream(ISpeechBaseStream**) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_AudioOutputStream"); });
}

HRESULT Voice::putref_AudioOutputStream(ISpeechBaseStream* stream) {
    return Guarded([&] {
        if (HRESULT hr = RecordCall(identity_, "putref_AudioOutputStream", {StreamLogName(stream)}); FAILED(hr))
            return hr;
        const std::lock_guard lock(mutex_);
        outputStream_ = stream;
        return S_OK;
    });
}

HRESULT Voice::get_Rate(LONG*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_Rate"); });
}

HRESULT Voice::put_Rate(LONG rate) {
    return Guarded([&] { return RecordCall(identity_, "put_Rate", {std::to_string(rate)}); });
}

HRESULT Voice::get_Volume(LONG*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_Volume"); });
}

HRESULT Voice::put_Volume(LONG volume) {
    return Guarded([&] { return RecordCall(identity_, "put_Volume", {std::to_string(volume)}); });
}

HRESULT Voice::put_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL allow) {
    return Guarded([&] { return RecordCall(identity_, "put_AllowAudioOutputFormatChangesOnNextSet", {Flag(allow)}); });
}

HRESULT Voice::get_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_AllowAudioOutputFormatChangesOnNextSet"); });
}

HRESULT Voice::get_EventInterests(SpeechVoiceEvents*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_EventInterests"); });
}

HRESULT Voice::put_EventInterests(SpeechVoiceEvents) {
    return Guarded([&] { return RecordNotImplemented(identity_, "put_EventInterests"); });
}

HRESULT Voice::put_Priority(SpeechVoicePriority) {
    return Guarded([&] { return RecordNotImplemented(identity_, "put_Priority"); });
}

HRESULT Voice::get_Priority(SpeechVoicePriority*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_Priority"); });
}

HRESULT Voice::put_AlertBoundary(SpeechVoiceEvents) {
    return Guarded([&] { return RecordNotImplemented(identity_, "put_AlertBoundary"); });
}

HRESULT Voice::get_AlertBoundary(SpeechVoiceEvents*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_AlertBoundary"); });
}

HRESULT Voice::put_SynchronousSpeakTimeout(LONG) {
    return Guarded([&] { return RecordNotImplemented(identity_, "put_SynchronousSpeakTimeout"); });
}

HRESULT Voice::get_SynchronousSpeakTimeout(LONG*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "get_SynchronousSpeakTimeout"); });
}

HRESULT Voice::Speak(BSTR text, SpeechVoiceSpeakFlags flags, LONG* streamNumber) {
    return Guarded([&] {
        if (HRESULT hr = RecordCall(identity_, "Speak", {std::to_string(flags), Utf8(Text(text))}); FAILED(hr))
            return hr;
        // Rendering is quick enough to finish before Speak returns; nothing waits.
        const std::lock_guard lock(mutex_);
        if (FileStream* file = FileStream::From(outputStream_.Get())) file->Render(Text(text));
        if (streamNumber) *streamNumber = ++spokenStreams_;
        return S_OK;
    });
}

HRESULT Voice::SpeakStream(ISpeechBaseStream*, SpeechVoiceSpeakFlags, LONG*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "SpeakStream"); });
}

HRESULT Voice::Pause() {
    return Guarded([&] { return RecordNotImplemented(identity_, "Pause"); });
}

HRESULT Voice::Resume() {
    return Guarded([&] { return RecordNotImplemented(identity_, "Resume"); });
}

HRESULT Voice::Skip(const BSTR, LONG, LONG*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "Skip"); });
}

HRESULT Voice::GetVoices(BSTR required, BSTR optional, ISpeechObjectTokens** tokens) {
    return Guarded([&] {
        if (!tokens) return E_POINTER;
        *tokens = nullptr;
        if (HRESULT hr = RecordCall(identity_, "GetVoices", {Utf8(Text(required)), Utf8(Text(optional))}); FAILED(hr))
            return hr;
        *tokens = MakeObject<VoiceTokens>(identity_, InstalledVoices()).Detach();
        return S_OK;
    });
}

HRESULT Voice::GetAudioOutputs(BSTR, BSTR, ISpeechObjectTokens**) {
    return Guarded([&] { return RecordNotImplemented(identity_, "GetAudioOutputs"); });
}

HRESULT Voice::WaitUntilDone(LONG timeout, VARIANT_BOOL* done) {
    return Guarded([&] {
        if (HRESULT hr = RecordCall(identity_, "WaitUntilDone", {std::to_string(timeout)}); FAILED(hr)) return hr;
        // Speak has rendered everything already.
        if (done) *done = VARIANT_TRUE;
        return S_OK;
    });
}

HRESULT Voice::SpeakCompleteEvent(LONG*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "SpeakCompleteEvent"); });
}

HRESULT Voice::IsUISupported(const BSTR, const VARIANT*, VARIANT_BOOL*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "IsUISupported"); });
}

HRESULT Voice::DisplayUI(LONG, BSTR, const BSTR, const VARIANT*) {
    return Guarded([&] { return RecordNotImplemented(identity_, "DisplayUI"); });
}

VoiceTokens::VoiceTokens(Identity owner, std::vector<VoiceEntry> entries) : owner_(std::move(owner)) {
    for (VoiceEntry& entry : entries) tokens_.push_back(MakeObject<VoiceToken>(owner_, std::move(entry)));
}

HRESULT VoiceTokens::QueryInterface(REFIID iid, void** out) {
    return Query(iid, out, {&__uuidof(ISpeechObjectTokens)});
}

HRESULT VoiceTokens::get_Count(LONG* count) {
    return Guarded([&] {
        if (!count) return E_POINTER;
        const LONG size = static_cast<LONG>(tokens_.size());
        if (HRESULT hr = RecordCall(owner_, "get_Count", {std::to_string(size)}); FAILED(hr)) return hr;
        *count = size;
        return S_OK;
    });
}

HRESULT VoiceTokens::Item(LONG index, ISpeechObjectToken** token) {
    return Guarded([&] {
        if (!token) return E_POINTER;
        *token = nullptr;
        if (index < 0 || static_cast<std::size_t>(index) >= tokens_.size())
            return RecordOutcome(owner_, "Item", {std::to_string(index)}, E_INVALIDARG);
        VoiceToken* found = tokens_[static_cast<std::size_t>(index)].Get();
        if (HRESULT hr = RecordCall(owner_, "Item", {std::to_string(index), Utf8(found->id())}); FAILED(hr))
            return hr;
        found->AddRef();
        *token = found;
        return S_OK;
    });
}

HRESULT VoiceTokens::get__NewEnum(IUnknown**) {
    return Guarded([&] { return RecordNotImplemented(owner_, "get__NewEnum"); });
}

std::string VoiceToken::LogName(ISpeechObjectToken* token) {
    if (!token) return "null";
    ComPtr<ISpeechObjectToken> own;
    if (SUCCEEDED(token->QueryInterface(kRecorderToken, reinterpret_cast<void**>(own.GetAddressOf()))))
        return Utf8(static_cast<VoiceToken*>(own.Get())->id());
    BSTR id = nullptr;
    if (FAILED(token->get_Id(&id)) || !id) return "foreign";
    std::string name = Utf8(Text(id));
    ::SysFreeString(id);
    return name;
}

HRESULT VoiceToken::QueryInterface(REFIID iid, void** out) {
    return Query(iid, out, {&__uuidof(ISpeechObjectToken), &kRecorderToken});
}

HRESULT VoiceToken::get_Id(BSTR* id) {
    return Guarded([&] {
        if (!id) return E_POINTER;
        *id = nullptr;
        if (HRESULT hr = RecordCall(owner_, "get_Id", {Utf8(entry_.id)}); FAILED(hr)) return hr;
        *id = AllocateText(entry_.id);
        return S_OK;
    });
}

HRESULT VoiceToken::GetDescription(LONG locale, BSTR* description) {
    return Guarded([&] {
        if (!description) return E_POINTER;
        *description = nullptr;
        if (HRESULT hr = RecordCall(owner_, "GetDescription", {Utf8(entry_.id), std::to_string(locale)}); FAILED(hr))
            return hr;
        *description = AllocateText(entry_.description);
        return S_OK;
    });
}

HRESULT VoiceToken::get_DataKey(ISpeechDataKey**) {
    return Guarded([&] { return NotImplemented("get_DataKey"); });
}

HRESULT VoiceToken::get_Category(ISpeechObjectTokenCategory**) {
    return Guarded([&] { return NotImplemented("get_Category"); });
}

HRESULT VoiceToken::SetId(BSTR, BSTR, VARIANT_BOOL) {
    return Guarded([&] { return NotImplemented("SetId"); });
}

HRESULT VoiceToken::GetAttribute(BSTR, BSTR*) {
    return Guarded([&] { return NotImplemented("GetAttribute"); });
}

HRESULT VoiceToken::CreateInstance(IUnknown*, SpeechTokenContext, IUnknown**) {
    return Guarded([&] { return NotImplemented("CreateInstance"); });
}

HRESULT VoiceToken::Remove(BSTR) {
    return Guarded([&] { return NotImplemented("Remove"); });
}

HRESULT VoiceToken::GetStorageFileName(BSTR, BSTR, BSTR, SpeechTokenShellFolder, BSTR*) {
    return Guarded([&] { return NotImplemented("GetStorageFileName"); });
}

HRESULT VoiceToken::RemoveStorageFileName(BSTR, BSTR, VARIANT_BOOL) {
    return Guarded([&] { return NotImplemented("RemoveStorageFileName"); });
}

HRESULT VoiceToken::IsUISupported(const BSTR, const VARIANT*, IUnknown*, VARIANT_BOOL*) {
    return Guarded([&] { return NotImplemented("IsUISupported"); });
}

HRESULT VoiceToken::DisplayUI(LONG, BSTR, const BSTR, const VARIANT*, IUnknown*) {
    return Guarded([&] { return NotImplemented("DisplayUI"); });
}

HRESULT VoiceToken::MatchesAttributes(BSTR, VARIANT_BOOL*) {
    return Guarded([&] { return NotImplemented("MatchesAttributes"); });
}

}  // namespace parlowen::sapi_recorder
