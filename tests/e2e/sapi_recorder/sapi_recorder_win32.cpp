// A recording stand-in for the SAPI 5 speech objects, for the end-to-end tests: an
// in-process COM server registered under the SpVoice and SpFileStream class ids in a
// test prefix. It speaks nothing; it appends every call it receives to the speech log
// (speech_log_format.h), so that tests see exactly what the program asked for.
#include "call_log_win32.h"
#include "com_object_win32.h"
#include "file_stream_win32.h"
#include "voice_win32.h"

#include <sapi.h>
#include <wrl/client.h>

namespace parlowen::sapi_recorder {

std::atomic<long>& ServerReferences() {
    static std::atomic<long> references{0};
    return references;
}

namespace {

template <typename Product>
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const char* kind) noexcept : kind_(kind) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // The factories live as long as the module; a reference only keeps the module.
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++ServerReferences()); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--ServerReferences()); }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return Guarded([&] {
            Identity identity = NextIdentity(kind_);
            if (HRESULT hr = RecordCall(identity, "create"); FAILED(hr)) return hr;
            return MakeObject<Product>(std::move(identity))->QueryInterface(iid, out);
        });
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++ServerReferences() : --ServerReferences();
        return S_OK;
    }

private:
    const char* kind_;
};

ClassFactory<Voice> g_voiceFactory("voice");
ClassFactory<FileStream> g_fileStreamFactory("stream");

// Objects are numbered per process; if COM unloaded the server between two uses, the
// numbering would start again at 1 within the same process.
void KeepLoaded() {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(&KeepLoaded), &self);
}

}  // namespace
}  // namespace parlowen::sapi_recorder

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* out) {
    using namespace parlowen::sapi_recorder;
    if (!out) return E_POINTER;
    *out = nullptr;
    IClassFactory* factory = nullptr;
    if (IsEqualCLSID(classId, CLSID_SpVoice))
        factory = &g_voiceFactory;
    else if (IsEqualCLSID(classId, CLSID_SpFileStream))
        factory = &g_fileStreamFactory;
    else
        return CLASS_E_CLASSNOTAVAILABLE;
    KeepLoaded();
    return factory->QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() { return parlowen::sapi_recorder::ServerReferences() == 0 ? S_OK : S_FALSE; }
