#include "adapters/win32/win32_accessible.h"

#include <commctrl.h>

namespace vorlix::adapters::win32 {
namespace {

constexpr wchar_t kAnnotationProp[] = L"Vorlix.Annotation";
constexpr UINT_PTR kSubclassId = 0x56A1;

// Null once the control is gone: a client may keep its object longer.
const Annotation* annotation_of(HWND control) {
    return IsWindow(control) != FALSE
               ? static_cast<const Annotation*>(GetPropW(control, kAnnotationProp))
               : nullptr;
}

bool is_self(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT give(const std::wstring& text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// The standard object of a control's client area with our answers laid over
// its own; COM reference counted, so a client may hold it after the control
// is gone. Only Release deletes it, so its bases need no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class AnnotatedObject final : public IAccessible, public IOleWindow {
public:
    AnnotatedObject(HWND control, IAccessible* standard) : control_(control), standard_(standard) {}
    AnnotatedObject(const AnnotatedObject&) = delete;
    AnnotatedObject& operator=(const AnnotatedObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) ||
            IsEqualIID(iid, __uuidof(IAccessible))) {
            *out = static_cast<IAccessible*>(this);
        } else if (IsEqualIID(iid, __uuidof(IOleWindow))) {
            *out = static_cast<IOleWindow*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // What we say ourselves.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        const Annotation* a = annotation_of(control_);
        if (is_self(child) && a != nullptr && !a->name.empty()) return give(a->name, out);
        return standard_->get_accName(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        const Annotation* a = annotation_of(control_);
        if (is_self(child) && a != nullptr && !a->description.empty()) {
            return give(a->description, out);
        }
        return standard_->get_accDescription(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        const Annotation* a = annotation_of(control_);
        if (is_self(child) && a != nullptr && a->role != 0) {
            if (out == nullptr) return E_POINTER;
            VariantInit(out);
            out->vt = VT_I4;
            out->lVal = a->role;
            return S_OK;
        }
        return standard_->get_accRole(child, out);
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (out == nullptr) return E_POINTER;
        *out = control_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // What the standard object says.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        return standard_->GetTypeInfoCount(n);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
        return standard_->GetTypeInfo(i, l, t);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l,
                                            DISPID* d) override {
        return standard_->GetIDsOfNames(r, n, c, l, d);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v,
                                     EXCEPINFO* e, UINT* a) override {
        return standard_->Invoke(d, r, l, f, p, v, e, a);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override {
        return standard_->get_accParent(p);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* n) override {
        return standard_->get_accChildCount(n);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** p) override {
        return standard_->get_accChild(c, p);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* s) override {
        return standard_->get_accValue(c, s);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* s) override {
        return standard_->get_accState(c, s);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* s) override {
        return standard_->get_accHelp(c, s);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, LONG* t) override {
        return standard_->get_accHelpTopic(f, c, t);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* s) override {
        return standard_->get_accKeyboardShortcut(c, s);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* c) override {
        return standard_->get_accFocus(c);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* c) override {
        return standard_->get_accSelection(c);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* s) override {
        return standard_->get_accDefaultAction(c, s);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG f, VARIANT c) override {
        return standard_->accSelect(f, c);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT c) override {
        return standard_->accLocation(x, y, w, h, c);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG d, VARIANT from, VARIANT* to) override {
        return standard_->accNavigate(d, from, to);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* c) override {
        return standard_->accHitTest(x, y, c);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override {
        return standard_->accDoDefaultAction(c);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR s) override {
        return standard_->put_accName(c, s);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR s) override {
        return standard_->put_accValue(c, s);
    }

private:
    ~AnnotatedObject() { standard_->Release(); }

    HWND control_;
    IAccessible* standard_;
    LONG refs_ = 1;
};
#pragma GCC diagnostic pop

LRESULT CALLBACK answer_clients(HWND control, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_GETOBJECT && static_cast<LONG>(static_cast<DWORD>(lp)) == OBJID_CLIENT &&
        annotation_of(control) != nullptr) {
        IAccessible* standard = nullptr;
        if (SUCCEEDED(CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&standard)))) {
            auto* object = new AnnotatedObject(control, standard);
            const LRESULT result =
                LresultFromObject(__uuidof(IAccessible), wp, static_cast<IAccessible*>(object));
            object->Release();  // the result holds its own reference
            return result;
        }
    } else if (msg == WM_NCDESTROY) {
        RemovePropW(control, kAnnotationProp);
        RemoveWindowSubclass(control, &answer_clients, kSubclassId);
    }
    return DefSubclassProc(control, msg, wp, lp);
}

}  // namespace

void annotate(HWND control, const Annotation* annotation) {
    SetPropW(control, kAnnotationProp, const_cast<Annotation*>(annotation));
    SetWindowSubclass(control, &answer_clients, kSubclassId, 0);
}

void tell_clients(HWND control, DWORD event) {
    NotifyWinEvent(event, control, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace vorlix::adapters::win32
