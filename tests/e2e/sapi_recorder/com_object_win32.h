// The COM plumbing every object of the recording speech server shares: its reference
// count, the server's count of live objects, and IDispatch without type information.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <wrl/client.h>

#include <atomic>
#include <initializer_list>
#include <utility>

namespace parlowen::sapi_recorder {

// Live objects and class-factory locks; DllCanUnloadNow answers from it.
std::atomic<long>& ServerReferences();

template <typename Interface>
class ComObject : public Interface {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // Late binding is offered only where a class overrides GetIDsOfNames and Invoke.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

protected:
    ComObject() noexcept { ++ServerReferences(); }
    virtual ~ComObject() { --ServerReferences(); }

    // QueryInterface for an object whose interfaces all share the vtable of Interface:
    // IUnknown, IDispatch and the ids listed.
    HRESULT Query(REFIID iid, void** out, std::initializer_list<const IID*> ids) noexcept {
        if (!out) return E_POINTER;
        bool supported = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch);
        for (const IID* id : ids) supported = supported || IsEqualIID(iid, *id);
        if (!supported) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }

private:
    std::atomic<ULONG> references_{1};
};

// A new object owned by the pointer that returns it, holding its first reference.
// (ComPtr::Attach would do, but MinGW's Attach adds a reference of its own.)
template <typename Object, typename... Arguments>
Microsoft::WRL::ComPtr<Object> MakeObject(Arguments&&... arguments) {
    Microsoft::WRL::ComPtr<Object> object;
    *object.GetAddressOf() = new Object(std::forward<Arguments>(arguments)...);
    return object;
}

}  // namespace parlowen::sapi_recorder
