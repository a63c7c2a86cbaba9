#include "ui/Accessible.h"

#include <ole2.h>
#include <oleacc.h>

#include <memory>
#include <optional>
#include <utility>

#include "text/SystemText.h"
#include "ui/SystemLibrary.h"
#include "ui/UniqueHandle.h"

namespace ui {
namespace {

// oleacc and the string allocator of the objects it hands out, loaded once for the process when a screen reader
// first asks, from the system folder.
class AccessibilityLibrary {
public:
    using CreateStdObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    using AllocStringFn = BSTR(WINAPI*)(const OLECHAR*, UINT);

    static const AccessibilityLibrary& Get() {
        static const AccessibilityLibrary library;
        return library;
    }
    AccessibilityLibrary(const AccessibilityLibrary&) = delete;
    AccessibilityLibrary& operator=(const AccessibilityLibrary&) = delete;

    bool Usable() const noexcept { return createStdObject && lresultFromObject && allocString; }

private:
    SystemLibrary oleacc_{"oleacc.dll"};
    SystemLibrary oleaut_{"oleaut32.dll"};

public:
    const CreateStdObjectFn createStdObject = oleacc_.Function<CreateStdObjectFn>("CreateStdAccessibleObject");
    const LresultFromObjectFn lresultFromObject = oleacc_.Function<LresultFromObjectFn>("LresultFromObject");
    const AllocStringFn allocString = oleaut_.Function<AllocStringFn>("SysAllocStringLen");

private:
    AccessibilityLibrary() = default;
};

// The objects go to the screen reader through COM marshalling, which needs COM on this thread. Once a screen
// reader has asked it stays for the program's life: the reader keeps asking.
bool ComReady() noexcept {
    struct Apartment {
        Apartment() noexcept : initialized(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
        Apartment(const Apartment&) = delete;
        Apartment& operator=(const Apartment&) = delete;
        ~Apartment() {
            if (initialized) ::CoUninitialize();
        }
        bool initialized;
    };
    static const Apartment apartment;
    return apartment.initialized;
}

void ReleaseAccessible(IAccessible* object) noexcept {
    object->Release();
}
using UniqueAccessible = UniqueHandle<HandleTraits<IAccessible*, &ReleaseAccessible>>;

bool IsSelf(const VARIANT& child) noexcept {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The system's object for a window with our name, value and role; every interface but IAccessible is the system
// object's. (The system's annotation service would do the same without a wrapper, but not every system that runs
// the program has one that works.) The texts are taken when the object is made,
// so that calls coming from a screen reader's thread never read the window's state.
class TextAccessible final : public IAccessible {
public:
    TextAccessible(UniqueAccessible system, std::wstring name, std::optional<std::wstring> value, long role)
        : system_(std::move(system)), name_(std::move(name)), value_(std::move(value)), role_(role) {}
    TextAccessible(const TextAccessible&) = delete;
    TextAccessible& operator=(const TextAccessible&) = delete;
    ~TextAccessible() = default;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The rest is the system object's own: its children (IEnumVARIANT), its window (IOleWindow), its services.
        // A reader that asked for one of them talks to the system object from then on, which is what it is.
        return System()->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) std::unique_ptr<TextAccessible> last(this);
        return static_cast<ULONG>(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return System()->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return System()->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return System()->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override {
        return System()->Invoke(id, iid, locale, flags, params, result, exception, argument);
    }

    // IAccessible: ours for the object itself, the system's for everything else.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child) || name_.empty()) return System()->get_accName(child, name);
        return Copy(name_, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!IsSelf(child) || !value_) return System()->get_accValue(child, value);
        return Copy(*value_, value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child) || role_ == 0) return System()->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = role_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return System()->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override { return System()->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return System()->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return System()->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return System()->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return System()->get_accHelp(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return System()->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return System()->get_accKeyboardShortcut(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return System()->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return System()->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
        return System()->get_accDefaultAction(child, text);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return System()->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return System()->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return System()->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return System()->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return System()->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return System()->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return System()->put_accValue(child, value);
    }

private:
    IAccessible* System() const noexcept { return system_.get(); }

    static HRESULT Copy(const std::wstring& text, BSTR* out) {
        if (!out) return E_POINTER;
        *out = AccessibilityLibrary::Get().allocString(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    LONG references_ = 1;
    UniqueAccessible system_;
    std::wstring name_;
    std::optional<std::wstring> value_;
    long role_;
};

}  // namespace

LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, const AccessibleText& text) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return 0;
    const AccessibilityLibrary& library = AccessibilityLibrary::Get();
    if (!library.Usable() || !ComReady()) return 0;
    IAccessible* made = nullptr;
    if (FAILED(library.createStdObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&made))) ||
        !made)
        return 0;
    UniqueAccessible system(made);
    std::optional<std::wstring> value;
    if (text.value) value = velmira::WideText(text.value());
    auto object = std::make_unique<TextAccessible>(std::move(system), velmira::WideText(text.name), std::move(value),
                                                   text.role);
    // The reader's reference comes from the marshalling; ours goes when this call returns.
    UniqueAccessible ours(object.release());
    const LRESULT result = library.lresultFromObject(__uuidof(IAccessible), wParam, ours.get());
    return result > 0 ? result : 0;
}

void NotifyAccessibleChange(HWND hwnd, DWORD event) noexcept {
    ::NotifyWinEvent(event, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace ui
