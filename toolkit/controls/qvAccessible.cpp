#include "toolkit/controls/qvAccessible.h"

#include <cctype>
#include <string>

#include "common/AnsiText.h"
#include "toolkit/controls/qvControl.h"
#include "toolkit/window/SystemDlls.h"

namespace {

// What VariantInit does, without the DLL that holds it.
void ClearVariant(VARIANT* variant) { variant->vt = VT_EMPTY; }

using LresultFromObjectFunction = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using AccessibleObjectFromWindowFunction = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);

struct Oleacc {
  LresultFromObjectFunction lresultFromObject = nullptr;
  AccessibleObjectFromWindowFunction objectFromWindow = nullptr;
};

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// By its full path in the system folder, whatever the process's search
// order; it stays loaded for the process's life. Null functions when it
// cannot be had.
const Oleacc& LoadOleacc() {
  static const Oleacc functions = [] {
    Oleacc found;
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    const char name[] = "\\oleacc.dll";
    if (length == 0 || length + sizeof name > sizeof path) return found;
    lstrcpyA(path + length, name);
    const HMODULE module = LoadLibraryA(path);
    if (!module) return found;
    found.lresultFromObject = Lookup<LresultFromObjectFunction>(module, "LresultFromObject");
    found.objectFromWindow = Lookup<AccessibleObjectFromWindowFunction>(module, "AccessibleObjectFromWindow");
    return found;
  }();
  return functions;
}

// COM stays up on a thread that has handed out an object, until the
// process ends: a screen reader may call back at any time while the
// windows live. A thread that already runs COM, in either model, keeps it.
void ReadyComOnThisThread() {
  static thread_local bool ready = false;
  if (ready) return;
  const HRESULT result = qvSystem::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ready = SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
}

// Texts are UTF-8; screen readers take UTF-16.
BSTR ToBstr(const std::string& text) {
  const int length = static_cast<int>(text.size());
  const int wide = length ? MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0) : 0;
  BSTR result = qvSystem::SysAllocStringLen(nullptr, static_cast<UINT>(wide));
  if (result && wide) MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result, wide);
  return result;
}

// A text property, out already cleared: S_FALSE with no string when there
// is nothing to say.
HRESULT AnswerText(const std::string& text, bool present, BSTR* out) {
  if (!present) return S_FALSE;
  *out = ToBstr(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

bool IsSelf(const VARIANT& child) { return V_VT(&child) == VT_I4 && V_I4(&child) == CHILDID_SELF; }

}  // namespace

qvAccessible::qvAccessible(qvControl* control) : references(1), control(control) {}

qvAccessible::~qvAccessible() = default;

LRESULT qvAccessible::Answer(WPARAM wParam) {
  const Oleacc& oleacc = LoadOleacc();
  if (!oleacc.lresultFromObject) return E_FAIL;
  ReadyComOnThisThread();
  return oleacc.lresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(this));
}

void qvAccessible::Disconnect() {
  control = nullptr;
  // Drops the references COM keeps for other processes, so their proxies
  // learn at once that the object is gone; this process's own references
  // stay, and get CO_E_OBJNOTCONNECTED.
  qvSystem::CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

HWND qvAccessible::Window() const { return control ? control->GetHandle() : nullptr; }

HRESULT qvAccessible::CheckSelf(const VARIANT& child) const {
  if (!Window()) return CO_E_OBJNOTCONNECTED;
  return IsSelf(child) ? S_OK : E_INVALIDARG;
}

HRESULT qvAccessible::BeginText(const VARIANT& child, BSTR* out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  return CheckSelf(child);
}

int qvAccessible::ChildCount() const {
  int count = 0;
  for (qvWindow* child : control->Children())
    if (child->GetHandle()) ++count;
  return count;
}

HRESULT qvAccessible::ChildObject(int index, IDispatch** object) const {
  *object = nullptr;
  int seen = 0;
  for (qvWindow* child : control->Children()) {
    if (!child->GetHandle() || ++seen != index) continue;
    const Oleacc& oleacc = LoadOleacc();
    if (!oleacc.objectFromWindow) return E_FAIL;
    return oleacc.objectFromWindow(child->GetHandle(), OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(object));
  }
  return E_INVALIDARG;
}

HRESULT qvAccessible::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IAccessible)) {
    *object = static_cast<IAccessible*>(this);
  } else if (IsEqualIID(riid, IID_IOleWindow)) {
    *object = static_cast<IOleWindow*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG qvAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references)); }

ULONG qvAccessible::Release() {
  const LONG left = InterlockedDecrement(&references);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT qvAccessible::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT qvAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT qvAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT qvAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

// The platform's object of this control's window, whose parent in turn is
// the client object of the window around it: how a screen reader climbs.
HRESULT qvAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  const HWND hwnd = Window();
  if (!hwnd) return CO_E_OBJNOTCONNECTED;
  const Oleacc& oleacc = LoadOleacc();
  if (!oleacc.objectFromWindow) return E_FAIL;
  return oleacc.objectFromWindow(hwnd, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
}

HRESULT qvAccessible::get_accChildCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = 0;
  if (!Window()) return CO_E_OBJNOTCONNECTED;
  *count = ChildCount();
  return S_OK;
}

HRESULT qvAccessible::get_accChild(VARIANT child, IDispatch** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!Window()) return CO_E_OBJNOTCONNECTED;
  if (V_VT(&child) != VT_I4) return E_INVALIDARG;
  return ChildObject(V_I4(&child), object);
}

HRESULT qvAccessible::get_accName(VARIANT child, BSTR* name) {
  const HRESULT ready = BeginText(child, name);
  if (ready != S_OK) return ready;
  const qvAccessibleInfo info = control->GetAccessibleInfo();
  return AnswerText(info.name, !info.name.empty(), name);
}

HRESULT qvAccessible::get_accValue(VARIANT child, BSTR* value) {
  const HRESULT ready = BeginText(child, value);
  if (ready != S_OK) return ready;
  const qvAccessibleInfo info = control->GetAccessibleInfo();
  return AnswerText(info.value, info.hasValue, value);
}

HRESULT qvAccessible::get_accDescription(VARIANT child, BSTR* description) {
  const HRESULT ready = BeginText(child, description);
  if (ready != S_OK) return ready;
  return S_FALSE;
}

HRESULT qvAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  ClearVariant(role);
  const HRESULT self = CheckSelf(child);
  if (self != S_OK) return self;
  V_VT(role) = VT_I4;
  V_I4(role) = control->GetAccessibleInfo().role;
  return S_OK;
}

HRESULT qvAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  ClearVariant(state);
  const HRESULT self = CheckSelf(child);
  if (self != S_OK) return self;
  const HWND hwnd = Window();
  const qvAccessibleInfo info = control->GetAccessibleInfo();
  const bool disabled = control->IsDisabled();
  LONG bits = 0;
  if (disabled) bits |= STATE_SYSTEM_UNAVAILABLE;
  // A disabled control cannot take the focus, whatever it can otherwise.
  if (info.focusable && !disabled) bits |= STATE_SYSTEM_FOCUSABLE;
  if (GetFocus() == hwnd) bits |= STATE_SYSTEM_FOCUSED;
  if (!IsWindowVisible(hwnd)) bits |= STATE_SYSTEM_INVISIBLE;
  if (info.checked) bits |= STATE_SYSTEM_CHECKED;
  if (info.readOnly) bits |= STATE_SYSTEM_READONLY;
  if (info.isDefault) bits |= STATE_SYSTEM_DEFAULT;
  V_VT(state) = VT_I4;
  V_I4(state) = bits;
  return S_OK;
}

HRESULT qvAccessible::get_accHelp(VARIANT child, BSTR* help) {
  const HRESULT ready = BeginText(child, help);
  if (ready != S_OK) return ready;
  return S_FALSE;
}

HRESULT qvAccessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = 0;
  const HRESULT self = CheckSelf(child);
  return self != S_OK ? self : S_FALSE;
}

HRESULT qvAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  const HRESULT ready = BeginText(child, shortcut);
  if (ready != S_OK) return ready;
  // Said as the platform's own controls say it: "Alt+I".
  const wchar_t key = control->GetAccessibleInfo().accessKey;
  const std::string said = "Alt+" + Utf8FromWide(std::wstring(1, AccessKeyFolded(key)));
  return AnswerText(said, key != 0, shortcut);
}

HRESULT qvAccessible::get_accFocus(VARIANT* focused) {
  if (!focused) return E_POINTER;
  ClearVariant(focused);
  const HWND hwnd = Window();
  if (!hwnd) return CO_E_OBJNOTCONNECTED;
  if (GetFocus() != hwnd) return S_FALSE;
  V_VT(focused) = VT_I4;
  V_I4(focused) = CHILDID_SELF;
  return S_OK;
}

HRESULT qvAccessible::get_accSelection(VARIANT* selected) {
  if (!selected) return E_POINTER;
  ClearVariant(selected);
  return Window() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT qvAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  const HRESULT ready = BeginText(child, action);
  if (ready != S_OK) return ready;
  const qvAccessibleInfo info = control->GetAccessibleInfo();
  return AnswerText(info.defaultAction, !info.defaultAction.empty(), action);
}

HRESULT qvAccessible::accSelect(LONG flags, VARIANT child) {
  const HRESULT self = CheckSelf(child);
  if (self != S_OK) return self;
  if (flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
  if (!control->GetAccessibleInfo().focusable || control->IsDisabled()) return S_FALSE;
  control->TakeFocus();
  return S_OK;
}

HRESULT qvAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  *left = *top = *width = *height = 0;
  const HRESULT self = CheckSelf(child);
  if (self != S_OK) return self;
  RECT rect;
  if (!GetWindowRect(Window(), &rect)) return E_FAIL;
  *left = rect.left;
  *top = rect.top;
  *width = rect.right - rect.left;
  *height = rect.bottom - rect.top;
  return S_OK;
}

// Siblings are the parent's to tell, through the platform's object of the
// window around, and children are reached as get_accChild gives them.
HRESULT qvAccessible::accNavigate(LONG, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  ClearVariant(end);
  const HRESULT self = CheckSelf(start);
  return self != S_OK ? self : DISP_E_MEMBERNOTFOUND;
}

HRESULT qvAccessible::accHitTest(LONG x, LONG y, VARIANT* child) {
  if (!child) return E_POINTER;
  ClearVariant(child);
  const HWND hwnd = Window();
  if (!hwnd) return CO_E_OBJNOTCONNECTED;
  POINT point = {x, y};
  RECT rect;
  if (!GetWindowRect(hwnd, &rect) || !PtInRect(&rect, point)) return S_FALSE;
  ScreenToClient(hwnd, &point);
  const HWND under = ChildWindowFromPointEx(hwnd, point, CWP_SKIPINVISIBLE);
  if (under && under != hwnd) {
    const Oleacc& oleacc = LoadOleacc();
    IDispatch* object = nullptr;
    if (oleacc.objectFromWindow &&
        SUCCEEDED(oleacc.objectFromWindow(under, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(&object))) &&
        object) {
      V_VT(child) = VT_DISPATCH;
      V_DISPATCH(child) = object;
      return S_OK;
    }
  }
  V_VT(child) = VT_I4;
  V_I4(child) = CHILDID_SELF;
  return S_OK;
}

HRESULT qvAccessible::accDoDefaultAction(VARIANT child) {
  const HRESULT self = CheckSelf(child);
  if (self != S_OK) return self;
  if (control->GetAccessibleInfo().defaultAction.empty()) return DISP_E_MEMBERNOTFOUND;
  // Taken from the control's own loop: the caller is not kept waiting on
  // what the action opens.
  return PostMessageA(Window(), DefaultActionMessage(), 0, 0) ? S_OK : E_FAIL;
}

HRESULT qvAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT qvAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT qvAccessible::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = Window();
  return *hwnd ? S_OK : CO_E_OBJNOTCONNECTED;
}

HRESULT qvAccessible::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
