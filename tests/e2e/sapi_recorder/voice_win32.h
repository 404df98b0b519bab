// The recorder's SpVoice and the voice tokens it lists: every call is recorded, nothing
// is heard. Speaking into a recorder file stream writes a WAV file.
#pragma once

#include "call_log_win32.h"
#include "com_object_win32.h"

#include <sapi.h>
#include <wrl/client.h>

#include <mutex>
#include <string>
#include <vector>

namespace parlowen::sapi_recorder {

class Voice final : public ComObject<ISpeechVoice> {
public:
    explicit Voice(Identity identity) : identity_(std::move(identity)) {}
    ~Voice() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;

    // Late binding for the members the program may set by name.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    HRESULT STDMETHODCALLTYPE get_Status(ISpeechVoiceStatus** status) override;
    HRESULT STDMETHODCALLTYPE get_Voice(ISpeechObjectToken** voice) override;
    HRESULT STDMETHODCALLTYPE putref_Voice(ISpeechObjectToken* voice) override;
    HRESULT STDMETHODCALLTYPE get_AudioOutput(ISpeechObjectToken** output) override;
    HRESULT STDMETHODCALLTYPE putref_AudioOutput(ISpeechObjectToken* output) override;
    HRESULT STDMETHODCALLTYPE get_AudioOutputStream(ISpeechBaseStream** stream) override;
    HRESULT STDMETHODCALLTYPE putref_AudioOutputStream(ISpeechBaseStream* stream) override;
    HRESULT STDMETHODCALLTYPE get_Rate(LONG* rate) override;
    HRESULT STDMETHODCALLTYPE put_Rate(LONG rate) override;
    HRESULT STDMETHODCALLTYPE get_Volume(LONG* volume) override;
    HRESULT STDMETHODCALLTYPE put_Volume(LONG volume) override;
    HRESULT STDMETHODCALLTYPE put_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL allow) override;
    HRESULT STDMETHODCALLTYPE get_AllowAudioOutputFormatChangesOnNextSet(VARIANT_BOOL* allow) override;
    HRESULT STDMETHODCALLTYPE get_EventInterests(SpeechVoiceEvents* flags) override;
    HRESULT STDMETHODCALLTYPE put_EventInterests(SpeechVoiceEvents flags) override;
    HRESULT STDMETHODCALLTYPE put_Priority(SpeechVoicePriority priority) override;
    HRESULT STDMETHODCALLTYPE get_Priority(SpeechVoicePriority* priority) override;
    HRESULT STDMETHODCALLTYPE put_AlertBoundary(SpeechVoiceEvents boundary) override;
    HRESULT STDMETHODCALLTYPE get_AlertBoundary(SpeechVoiceEvents* boundary) override;
    HRESULT STDMETHODCALLTYPE put_SynchronousSpeakTimeout(LONG timeout) override;
    HRESULT STDMETHODCALLTYPE get_SynchronousSpeakTimeout(LONG* timeout) override;
    HRESULT STDMETHODCALLTYPE Speak(BSTR text, SpeechVoiceSpeakFlags flags, LONG* streamNumber) override;
    HRESULT STDMETHODCALLTYPE SpeakStream(ISpeechBaseStream* stream, SpeechVoiceSpeakFlags flags,
                                          LONG* streamNumber) override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Resume() override;
    HRESULT STDMETHODCALLTYPE Skip(const BSTR type, LONG items, LONG* skipped) override;
    HRESULT STDMETHODCALLTYPE GetVoices(BSTR required, BSTR optional, ISpeechObjectTokens** tokens) override;
    HRESULT STDMETHODCALLTYPE GetAudioOutputs(BSTR required, BSTR optional,
                                              ISpeechObjectTokens** tokens) override;
    HRESULT STDMETHODCALLTYPE WaitUntilDone(LONG timeout, VARIANT_BOOL* done) override;
    HRESULT STDMETHODCALLTYPE SpeakCompleteEvent(LONG* handle) override;
    HRESULT STDMETHODCALLTYPE IsUISupported(const BSTR type, const VARIANT* extra, VARIANT_BOOL* supported) override;
    HRESULT STDMETHODCALLTYPE DisplayUI(LONG window, BSTR title, const BSTR type, const VARIANT* extra) override;

private:
    HRESULT InvokeMember(DISPID member, WORD flags, DISPPARAMS& parameters, VARIANT* result);

    Identity identity_;
    std::mutex mutex_;
    Microsoft::WRL::ComPtr<ISpeechBaseStream> outputStream_;
    LONG spokenStreams_ = 0;
};

// An installed voice as the registry lists it.
struct VoiceEntry {
    std::wstring id;           // the full key path, as the platform spells token ids
    std::wstring description;  // the key's default value
};

// The voices under HKLM\SOFTWARE\Microsoft\Speech\Voices\Tokens, in RegEnumKeyExW order.
std::vector<VoiceEntry> InstalledVoices();

// The collection GetVoices returns; its calls and its tokens' calls are recorded under
// the voice that made it.
class VoiceToken;

class VoiceTokens final : public ComObject<ISpeechObjectTokens> {
public:
    VoiceTokens(Identity owner, std::vector<VoiceEntry> entries);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE Item(LONG index, ISpeechObjectToken** token) override;
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override;

private:
    Identity owner_;
    std::vector<Microsoft::WRL::ComPtr<VoiceToken>> tokens_;
};

class VoiceToken final : public ComObject<ISpeechObjectToken> {
public:
    VoiceToken(Identity owner, VoiceEntry entry) : owner_(std::move(owner)), entry_(std::move(entry)) {}

    // How the log names a token: its id, "null", or "foreign" for a token without an id.
    static std::string LogName(ISpeechObjectToken* token);
    const std::wstring& id() const noexcept { return entry_.id; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override;
    HRESULT STDMETHODCALLTYPE get_DataKey(ISpeechDataKey** key) override;
    HRESULT STDMETHODCALLTYPE get_Category(ISpeechObjectTokenCategory** category) override;
    HRESULT STDMETHODCALLTYPE GetDescription(LONG locale, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE SetId(BSTR id, BSTR category, VARIANT_BOOL create) override;
    HRESULT STDMETHODCALLTYPE GetAttribute(BSTR name, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, SpeechTokenContext context, IUnknown** object) override;
    HRESULT STDMETHODCALLTYPE Remove(BSTR storage) override;
    HRESULT STDMETHODCALLTYPE GetStorageFileName(BSTR storage, BSTR key, BSTR file, SpeechTokenShellFolder folder,
                                                 BSTR* path) override;
    HRESULT STDMETHODCALLTYPE RemoveStorageFileName(BSTR storage, BSTR key, VARIANT_BOOL deleteFile) override;
    HRESULT STDMETHODCALLTYPE IsUISupported(const BSTR type, const VARIANT* extra, IUnknown* object,
                                            VARIANT_BOOL* supported) override;
    HRESULT STDMETHODCALLTYPE DisplayUI(LONG window, BSTR title, const BSTR type, const VARIANT* extra,
                                        IUnknown* object) override;
    HRESULT STDMETHODCALLTYPE MatchesAttributes(BSTR attributes, VARIANT_BOOL* matches) override;

private:
    HRESULT NotImplemented(const char* method) { return RecordNotImplemented(owner_, method, {Utf8(entry_.id)}); }

    Identity owner_;
    VoiceEntry entry_;
};

}  // namespace parlowen::sapi_recorder
