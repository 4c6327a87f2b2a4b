// qvAccessible: what a screen reader holds for one control. Every control
// is a window of the toolkit's one class, painted by the toolkit, so the
// platform cannot tell a button from a caption: the control answers
// WM_GETOBJECT (OBJID_CLIENT) with this object, which tells its role, name,
// value and state from the control's GetAccessibleInfo and the platform
// window (focus, visibility, place).
//
// Screen readers keep their references as long as they like, in this
// process or through COM from another, so the object is reference-counted
// and may outlive its control. The control holds one reference and calls
// Disconnect in its destructor; from then on every question is answered
// CO_E_OBJNOTCONNECTED and remote references are cut. The object answers
// for the control itself (CHILDID_SELF); the control's child windows (the
// text list's bars) are objects of their own, reached as its children.
//
// oleacc.dll, which makes the answer and the platform's objects of the
// windows around, is loaded from the system folder on first use rather
// than named in the import table: it is no known DLL, and an installer run
// from a downloads folder must not take one planted beside it.
#pragma once

#include <windows.h>

#include <oleacc.h>

class qvControl;

class qvAccessible final : public IAccessible, public IOleWindow {
public:
  // Starts with one reference, the caller's.
  explicit qvAccessible(qvControl* control);
  qvAccessible(const qvAccessible&) = delete;
  qvAccessible& operator=(const qvAccessible&) = delete;

  // The answer to WM_GETOBJECT for OBJID_CLIENT: LresultFromObject's value
  // for this object, or a failure HRESULT (negative) when none can be made.
  // Readies COM on the calling thread first, for good: an answer handed
  // out must stay callable for as long as the windows live.
  LRESULT Answer(WPARAM wParam);
  // The control is going: no question reaches it any more.
  void Disconnect();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch: no type information; screen readers call IAccessible
  // directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focused) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selected) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

  // IOleWindow: how oleacc finds the window of an object.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;

private:
  ~qvAccessible();
  // The control's platform window, or null once the control or its window
  // is gone.
  HWND Window() const;
  // S_OK for CHILDID_SELF on a live control, else the error to answer.
  HRESULT CheckSelf(const VARIANT& child) const;
  // The start of a text property: out cleared, then CheckSelf.
  HRESULT BeginText(const VARIANT& child, BSTR* out) const;
  // The platform's window object of a child window, for navigation.
  HRESULT ChildObject(int index, IDispatch** object) const;
  int ChildCount() const;

  volatile LONG references;
  qvControl* control;  // not owned; null once Disconnect has run
};
