#include "toolkit/window/MessageDispatch.h"

#include <imm.h>

#include <cstdlib>

#include "common/PointerList.h"
#include "toolkit/draw/qvContrast.h"
#include "toolkit/window/SystemDlls.h"
#include "toolkit/window/WindowHandles.h"
#include "toolkit/window/qvEvent.h"
#include "toolkit/window/qvWindow.h"

namespace {

HWND mdiClient = nullptr;
HWND frameWindow = nullptr;
HACCEL accelerators = nullptr;
// One pair of flags for all modal loops, not one per loop, on purpose: after
// an inner loop ends, modalActive is clear while the outer one still runs,
// so EndMessageLoop then posts a quit message, which the outer loop takes as
// its end. Nested viewers and dialogs rely on that order of ending.
bool modalActive = false;
bool endRequested = false;
PointerList<HWND__>* modalStack = nullptr;  // owned; innermost last
PointerList<const void>* idleRequests = nullptr;  // owned; the requesters are not

void FreeModalStack() {
  delete modalStack;
  modalStack = nullptr;
}

void FreeIdleRequests() {
  delete idleRequests;
  idleRequests = nullptr;
}

// Waits for the next message, or for at most pollMs while a window asks
// for idle passes.
void WaitForWork(DWORD pollMs) {
  MsgWaitForMultipleObjectsEx(0, nullptr, IdlePassesRequested() ? pollMs : INFINITE, QS_ALLINPUT,
                              MWMO_INPUTAVAILABLE);
}

bool CtrlHeld() { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }

// Navigation keys become codes above kNavigationKeyBase; digits only with
// Ctrl (or always, for MDI children). 0: the key is not delivered.
WPARAM KeyCode(WPARAM key, bool digitsWithoutCtrl) {
  if (key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_DELETE) return NavigationKeyCode(key);
  if (key >= '0' && key <= '9' && (digitsWithoutCtrl || CtrlHeld())) return NavigationKeyCode(key);
  return 0;
}

// Ctrl+letter characters of the editing shortcuts become their lower-case
// letters; the MDI table leaves Ctrl+D and Ctrl+G alone.
WPARAM CharacterCode(WPARAM character, bool mdi) {
  switch (character) {
    case 4:
    case 7:
      return mdi ? character : character + kCtrlLetterOffset;
    case 1: case 3: case 5: case 6: case 9: case 12: case 14: case 15:
    case 16: case 20: case 22: case 24: case 25: case 26:
      return character + kCtrlLetterOffset;
    default:
      return character;
  }
}

DWORD MajorVersion() {
  // GetVersion's low byte; what the runtime reports is what counts here.
  return LOBYTE(LOWORD(GetVersion()));
}

// The single UTF-16 unit a finished composition produced, or 0 when the
// message is still a composition.
WPARAM ComposedCharacter(HWND hwnd) {
  const HIMC context = qvSystem::ImmGetContext(hwnd);
  if (!context) return 0;
  WPARAM unit = 0;
  if (qvSystem::ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0) == 2) {
    WCHAR buffer[2] = {};
    qvSystem::ImmGetCompositionStringW(context, GCS_RESULTSTR, buffer, 4);
    unit = buffer[0];
  }
  qvSystem::ImmReleaseContext(hwnd, context);
  return unit;
}

// A left-button release in any window posts a press to its host at the same
// screen place, in the host's client coordinates; it is handled after the
// release itself. Deliberate: the top-level window sees every click that
// ends inside it, on a control or not, and handles it after the control has
// finished with its own release.
void PostPressToHost(qvWindow* window, HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const HWND host = window->GetHost()->GetHandle();
  POINT point = {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
  ClientToScreen(hwnd, &point);
  ScreenToClient(host, &point);
  PostMessageW(host, WM_LBUTTONDOWN, wParam, MAKELPARAM(point.x, point.y));
}

// The mouse wheel comes to the window with the keyboard focus; it goes on
// to the toolkit window under the pointer, when that is one of hwnd's
// descendants. What that window leaves to default processing climbs back
// up through its parents, without being sent down again.
bool RouteWheelToPointer(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  static bool routing = false;
  if (routing) return false;
  // lParam: the pointer in screen coordinates, x in the low word.
  const POINT point = {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
  const HWND target = WindowFromPoint(point);
  if (!target || target == hwnd || !IsChild(hwnd, target) || !WindowFromHandle(target)) return false;
  routing = true;
  SendMessageW(target, WM_MOUSEWHEEL, wParam, lParam);
  routing = false;
  return true;
}

void IdleSubtree(qvWindow* window) {
  const PointerList<qvWindow>& children = window->Children();
  for (int i = 0; i < children.Count(); ++i) IdleSubtree(children.At(i));
  window->OnIdle();
}

// The keyboard and mouse steps both procedures share: navigation keys and
// Ctrl+letter characters become key-down events, and a left-button release
// posts a press to the host. False for a key that is not delivered.
bool RewriteInput(qvWindow* window, HWND hwnd, UINT& message, WPARAM& wParam, LPARAM lParam, bool mdi) {
  switch (message) {
    case WM_KEYDOWN: {
      const WPARAM code = KeyCode(wParam, mdi);
      if (!code) return false;
      wParam = code;
      return true;
    }
    case WM_CHAR:
      // The Tab key came as its key-down already; its character is not
      // Ctrl+I.
      if (wParam == '\t' && !CtrlHeld()) return false;
      message = WM_KEYDOWN;
      wParam = CharacterCode(wParam, mdi);
      return true;
    case WM_LBUTTONUP:
      if (window) PostPressToHost(window, hwnd, wParam, lParam);
      return true;
    default:
      return true;
  }
}

// Keyboard and mouse input addressed to a window whose top-level window is
// disabled: the platform sends none there, but input already on its way
// when the window was disabled, or a focus or capture kept from before,
// would still bring some. The modal loop drops it.
bool IsInputForDisabledWindow(const MSG& msg) {
  const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                     (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
  if (!input || !msg.hwnd) return false;
  const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  return root && !IsWindowEnabled(root);
}

// A child window without a frame, an edge or scroll bars: its non-client
// area is empty. The platform's painting of it would still take a device
// context and a round trip to the server each time; for a window of many
// controls that was a quarter of its first paint under Wine.
bool HasNoNonClientArea(HWND hwnd) {
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE), exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
  return (style & (WS_CHILD | WS_CAPTION | WS_THICKFRAME | WS_VSCROLL | WS_HSCROLL)) == WS_CHILD &&
         !(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME));
}

}  // namespace

HWND MdiClientWindow() { return mdiClient; }
HWND FrameWindow() { return frameWindow; }
HACCEL FrameAccelerators() { return accelerators; }
bool ModalLoopActive() { return modalActive; }
int ModalDepth() { return modalStack ? modalStack->Count() : 0; }

LRESULT CALLBACK OrdinaryWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 1;
  if (message == WM_IME_COMPOSITION) {
    if (MajorVersion() < 5 || !(lParam & GCS_RESULTSTR)) return DefWindowProcW(hwnd, message, wParam, lParam);
    const WPARAM character = ComposedCharacter(hwnd);
    if (!character) return DefWindowProcW(hwnd, message, wParam, lParam);
    message = WM_CHAR;
    wParam = character;
  }

  qvWindow* window = WindowFromHandle(hwnd);
  switch (message) {
    case WM_CREATE: {
      // lParam: the CREATESTRUCTW whose creation parameter is the object.
      void* object = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
      if (object) AttachWindowObject(hwnd, static_cast<qvWindow*>(object));
      window = static_cast<qvWindow*>(object);
      break;
    }
    case WM_MOUSEWHEEL:
      if (RouteWheelToPointer(hwnd, wParam, lParam)) return 0;
      break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      // The system's colours or its high-contrast theme changed (top-level
      // windows are told): the window and every control in it are drawn
      // again in the colours now in force.
      ForgetHighContrast();
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
      break;
    case WM_SYSKEYDOWN:
      // The class has no close box, and so the platform turns Alt+F4 into
      // nothing; the top-level window is asked to close instead, and its
      // WM_CLOSE handling decides what closing means (wParam: the key).
      if (wParam == VK_F4) {
        PostMessageW(GetAncestor(hwnd, GA_ROOT), WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_DESTROY:
    case WM_NCDESTROY:
      if (window) {
        AttachWindowObject(hwnd, nullptr);
        // The platform destroys child windows with their parent; their
        // objects live on and must not keep a dead handle.
        if (window->hwnd == hwnd) window->hwnd = nullptr;
      }
      return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
      if (!RewriteInput(window, hwnd, message, wParam, lParam, false))
        return DefWindowProcW(hwnd, message, wParam, lParam);
      break;
  }
  if (window && !DispatchEvent(window, message, wParam, lParam, result)) return result;
  if (message == WM_NCPAINT && HasNoNonClientArea(hwnd)) return 0;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK MdiChildWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 1;
  qvWindow* window = WindowFromHandle(hwnd);
  bool dispatch = true;
  switch (message) {
    case WM_CREATE: {
      // lParam: the CREATESTRUCTW whose creation parameter is the MDI record.
      const auto* mdi = static_cast<MDICREATESTRUCTW*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      void* object = mdi ? reinterpret_cast<void*>(mdi->lParam) : nullptr;
      if (object) AttachWindowObject(hwnd, static_cast<qvWindow*>(object));
      window = static_cast<qvWindow*>(object);
      break;
    }
    case WM_NCDESTROY:
      if (window) {
        AttachWindowObject(hwnd, nullptr);
        if (window->hwnd == hwnd) window->hwnd = nullptr;
      }
      return DefMDIChildProcW(hwnd, message, wParam, lParam);
    default:
      if (!RewriteInput(window, hwnd, message, wParam, lParam, true))
        return DefMDIChildProcW(hwnd, message, wParam, lParam);
      break;
  }
  if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYUP)
    dispatch = IsWindowVisible(frameWindow) != FALSE;
  if (window && dispatch && !DispatchEvent(window, message, wParam, lParam, result)) return result;
  return DefMDIChildProcW(hwnd, message, wParam, lParam);
}

bool DispatchEvent(qvWindow* window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!window) return true;
  qvEvent event(lParam, window, message, wParam);
  event.result = static_cast<int32_t>(result);
  bool answer = true;
  // After a handler returns, only the event is touched: the handler may have
  // deleted the window.
  switch (event.kind) {
    case kEventIgnored: return true;
    case kEventMouseUp: answer = window->OnMouseUp(event); break;
    case kEventMouseDown: answer = window->OnMouseDown(event); break;
    case kEventMouseMove: answer = window->OnMouseMove(event); break;
    case kEventDoubleClick: answer = window->OnDoubleClick(event); break;
    case kEventCommand:
    case kEventLineDown:
    case kEventLineUp:
    case kEventPageDown:
    case kEventPageUp:
    case kEventThumbPosition:
      if (event.fromPlatformButton) SetFocus(window->GetHost()->GetHandle());
      answer = window->OnCommand(event);
      break;
    case kEventPaint:
      window->OnPaint(event);
      answer = true;
      break;
    case kEventEraseBackground: answer = false; break;
    case kEventDestroy: answer = window->OnDestroy(event); break;
    case kEventSize: answer = window->created ? window->OnSize(event) : true; break;
    case kEventKeyDown: answer = window->OnKeyDown(event); break;
    case kEventKeyUp: answer = window->OnKeyUp(event); break;
    case kEventCreate: answer = window->OnCreate(event); break;
    case kEventFocusLost:
      window->OnFocusLost();
      answer = false;
      break;
    default:
      // Alt+Space would open the system menu from the keyboard.
      if (message == WM_SYSCOMMAND && wParam == SC_KEYMENU && lParam == ' ')
        answer = false;
      else
        answer = window->OnOtherMessage(event);
      break;
  }
  result = event.result;
  return answer;
}

void RequestIdlePasses(const void* requester) {
  if (!idleRequests) {
    idleRequests = new PointerList<const void>;
    std::atexit(FreeIdleRequests);
  }
  if (!idleRequests->Contains(requester)) idleRequests->Append(requester);
}

void CancelIdlePasses(const void* requester) {
  if (idleRequests) idleRequests->Remove(requester);
}

bool IdlePassesRequested() { return idleRequests && idleRequests->Count() > 0; }

void RunIdlePass() {
  if (qvWindow* focused = WindowFromHandle(GetFocus())) IdleSubtree(focused);
}

int RunMessageLoop() {
  MSG msg = {};
  if (endRequested) return 0;
  while (!endRequested) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageW(&msg, nullptr, 0, 0)) break;
      bool taken = false;
      if (mdiClient) {
        taken = TranslateMDISysAccel(mdiClient, &msg);
        if (!taken && accelerators) taken = TranslateAcceleratorW(frameWindow, accelerators, &msg);
      }
      if (!taken) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      RunIdlePass();
    } else {
      RunIdlePass();
      WaitForWork(1);
    }
  }
  return static_cast<int>(msg.wParam);
}

int RunModalLoop(HWND modalWindow) {
  if (!modalStack) {
    modalStack = new PointerList<HWND__>;
    std::atexit(FreeModalStack);
  }
  modalStack->Append(modalWindow);
  EnableAllButOne(modalWindow, false);
  // Disabling a window leaves the mouse with a control of it that holds it
  // (a button takes it while the pointer rests on it): every click would
  // go on reaching that control, whatever window lies in front.
  const HWND captured = GetCapture();
  if (captured && captured != modalWindow && !IsChild(modalWindow, captured)) ReleaseCapture();

  MSG msg = {};
  while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MBUTTONDBLCLK, PM_REMOVE)) {
  }
  modalActive = true;
  do {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageW(&msg, nullptr, 0, 0)) break;
      if (!IsInputForDisabledWindow(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      RunIdlePass();
    } else {
      RunIdlePass();
      WaitForWork(30);
    }
  } while (!endRequested);

  EnableAllButOne(modalWindow, true);
  modalStack->Remove(modalStack->At(modalStack->Count() - 1));
  if (modalStack->Count() > 0) EnableAllButOne(modalStack->At(modalStack->Count() - 1), false);
  modalActive = false;
  endRequested = false;
  return static_cast<int>(msg.wParam);
}

void EndMessageLoop() {
  if (modalActive)
    endRequested = true;
  else
    PostQuitMessage(0);
}
