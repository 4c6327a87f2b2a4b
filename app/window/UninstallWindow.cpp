#include "app/window/UninstallWindow.h"

#include <utility>

#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/UiText.h"
#include "app/window/AbbreviatePath.h"
#include "app/window/ButtonRow.h"
#include "common/Languages.h"
#include "common/ModuleInstance.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "toolkit/controls/qvButton.h"
#include "toolkit/controls/qvCaption.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/draw/qvTextDrawing.h"
#include "toolkit/window/MessageDispatch.h"
#include "toolkit/window/ShowMessage.h"
#include "toolkit/window/qvDpi.h"

namespace {

enum UninstallCommand : int { kCommandRemove = 1, kCommandCancel = 2 };

// The layout at 96 DPI.
const qvRect kClient(0, 0, 460, 210);
constexpr uint16_t kGreyLevel = 0xEEEE;

std::string Remove(const UninstallSetup& setup) { return UiText(IDS_UNINSTALL_QUESTION, {setup.record.product}); }

std::string Details(const UninstallSetup& setup) {
  const std::string where = AbbreviatePath(setup.record.destination.c_str());
  return setup.record.version.empty() ? UiText(IDS_UNINSTALL_WHERE, {where})
                                      : UiText(IDS_UNINSTALL_VERSION_WHERE, {setup.record.version, where});
}

std::string Others(const UninstallSetup& setup) {
  const size_t n = setup.others.size();
  if (n == 0) return std::string();
  return n == 1 ? UiText(IDS_UNINSTALL_ONE_OTHER) : UiText(IDS_UNINSTALL_OTHERS, {std::to_string(n)});
}

}  // namespace


UninstallWindow::UninstallWindow(const UninstallSetup& setup, InstallLog* log)
    : qvTabbedWindow(ScaleRectForDpi(kClient, ScreenDpi()), ""), setup(setup), log(log),
      status(kExitLeftWithoutInstalling) {
  SetDpi(ScreenDpi());
  SetTitle(UiText(IDS_UNINSTALL_TITLE, {setup.record.product}).c_str());
  Create();
  SetBackgroundColor(qvColor(kGreyLevel, kGreyLevel, kGreyLevel));
  FitClientArea(kClient);
  question = PlaceControl<qvCaption>(this, qvRect(20, 20, 440, 40), Remove(setup).c_str(), kCaptionLeft | kCaptionEllipsis);
  details = PlaceControl<qvCaption>(this, qvRect(20, 45, 440, 63), Details(setup).c_str(), kCaptionLeft | kCaptionEllipsis);
  others = PlaceControl<qvCaption>(this, qvRect(20, 63, 440, 81), Others(setup).c_str(), kCaptionLeft | kCaptionEllipsis);
  // The removal's progress, then its result, in the place of the question.
  result = PlaceControl<qvCaption>(this, qvRect(20, 20, 440, 160), "", kCaptionLeft);
  result->Hide();
  // Cancel last, the default: made in reading order, Remove first.
  const UiLabel remove = UiLabelOf(IDS_REMOVE), cancel = UiLabelOf(IDS_CANCEL);
  removeButton =
      PlaceControl<qvButton>(this, qvRect(260, 175, 345, 195), remove.text.c_str(), kCommandRemove, qvButton::kLargeLabel);
  cancelButton =
      PlaceControl<qvButton>(this, qvRect(355, 175, 440, 195), cancel.text.c_str(), kCommandCancel, qvButton::kLargeLabel);
  // The captions on the window's own grey.
  for (qvCaption* caption : {question.get(), details.get(), others.get(), result.get()})
    caption->SetBackgroundColor(qvColor(kGreyLevel, kGreyLevel, kGreyLevel));
  if (setup.others.empty()) others->Hide();
  AddToTabOrder(removeButton.get());
  AddToTabOrder(cancelButton.get());
  removeButton->SetAccessKey(remove.key);
  cancelButton->SetAccessKey(cancel.key);
  cancelButton->SetDefault(true);
  WidenRowToLabels({{cancelButton.get(), {UiLabelOf(IDS_UNINSTALL_CLOSE).text}}, {removeButton.get()}});
}

UninstallWindow::~UninstallWindow() {
  if (!thread) return;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

void UninstallWindow::Show() {
  if (!GetHandle()) return;
  const HINSTANCE module = ModuleInstance();
  SendMessageA(GetHandle(), WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadIconA(module, MAKEINTRESOURCEA(IDI_PROGRAM))));
  ShowWindow(GetHandle(), SW_SHOWNA);
  PaintTreeNow();
  // Started by a program that waits for it, it comes to the front itself.
  SetForegroundWindow(GetHandle());
  cancelButton->TakeFocus();
}

bool UninstallWindow::OnPaint(qvEvent&) {
  qvPaintDevice device(this);
  FillBackground(device);
  return true;
}

void UninstallWindow::StartRemoval() {
  state = State::kRemoving;
  removeButton->Disable();
  cancelButton->Disable();
  for (qvCaption* caption : {question.get(), details.get(), others.get()}) caption->Hide();
  result->SetText(UiText(IDS_REMOVING, {setup.record.product}).c_str());
  result->Show();
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  if (!thread) {
    // Without a thread the removal runs here; the window waits for it.
    Run(this);
  }
}

DWORD WINAPI UninstallWindow::Run(void* self) {
  auto* window = static_cast<UninstallWindow*>(self);
  window->outcome = RunUninstall(window->setup, window->log);
  PostMessageA(window->GetHandle(), kUninstallDoneMessage, 0, 0);
  return 0;
}

void UninstallWindow::FinishRemoval() {
  if (thread) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    thread = nullptr;
  }
  state = State::kDone;
  status = outcome.removed ? kExitInstalled : kExitCopyFailed;
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  result->SetText(UninstallResultText(setup, outcome).c_str());
  removeButton->Hide();
  const UiLabel close = UiLabelOf(IDS_UNINSTALL_CLOSE);
  cancelButton->SetLabel(close.text.c_str());
  cancelButton->SetAccessKey(close.key);
  cancelButton->Enable();
  cancelButton->TakeFocus();
  RedrawTree(true);
}

void UninstallWindow::Close() {
  if (state == State::kRemoving) return;
  if (state == State::kAsking) log->Line(LogField("removed", "nothing: the user said no"));
  EndMessageLoop();
}

bool UninstallWindow::OnCommand(qvEvent& event) {
  if (event.detail == kNoticePassFocus) return qvTabbedWindow::OnCommand(event);
  switch (event.id) {
    case kCommandRemove:
      if (state == State::kAsking) StartRemoval();
      return false;
    case kCommandCancel:
      Close();
      return false;
    default:
      return false;
  }
}

bool UninstallWindow::OnKeyDown(qvEvent& event) {
  switch (event.keyCode) {
    case kKeyEscape:
      Close();
      return false;
    case kKeyEnter:
      // The default button: Cancel, later Close.
      if (!cancelButton->IsDisabled()) Notify(kCommandCancel, kNoticeClick, kEventOther);
      return false;
    case kKeyTab:
      cancelButton->TakeFocus();
      return false;
    default:
      return true;
  }
}

bool UninstallWindow::OnOtherMessage(qvEvent& event) {
  switch (event.message) {
    case WM_CLOSE:
      Close();
      return false;
    case WM_SYSCOMMAND:
      if ((event.wParam & 0xFFF0) == SC_CLOSE) {
        Close();
        return false;
      }
      return qvTabbedWindow::OnOtherMessage(event);
    case WM_SETCURSOR:
      if (state == State::kRemoving && LOWORD(event.lParam) == HTCLIENT) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        event.SetResult(TRUE);
        return false;
      }
      return true;
    case kUninstallDoneMessage:
      FinishRemoval();
      return false;
    case WM_DPICHANGED: {
      // Moved where the platform suggests, at the layout's size.
      qvRect client = kClient;
      if (!TakeDpiChange(event, &client)) return true;
      RedrawTree(true);
      event.SetResult(0);
      return false;
    }
    default:
      return qvTabbedWindow::OnOtherMessage(event);
  }
}

bool UninstallWindow::OnDestroy(qvEvent& event) {
  EndMessageLoop();
  return qvTabbedWindow::OnDestroy(event);
}

int RunWindowUninstall(const SetupOptions& options) {
  InstallLog log(options.logPath.c_str());
  log.BeginBlock();
  log.Line(LogField("mode", "uninstall"));
  // The user's language, or /LANG='s.
  const Language* language =
      options.language.empty() ? &LanguageForId(GetUserDefaultUILanguage()) : LanguageForTag(options.language);
  if (language) {
    SetUiLanguage(language->tag);
    SetTextLanguage(language->id);
    // Every window of the uninstaller mirrored for a language read right
    // to left; the process ends with them.
    if (language->rightToLeft) SetProcessDefaultLayout(LAYOUT_RTL);
  }
  SetMessageCaption(UiText(IDS_MESSAGE_CAPTION).c_str());
  const UninstallSetup setup = PrepareUninstall();
  if (!setup.Known()) {
    log.Line(LogErrorLine(nullptr, 0, setup.problem));
    ShowMessage(nullptr, UiText(IDS_NOTHING_REMOVABLE, {setup.problem}).c_str());
    return log.EndWithStatus(kExitCopyFailed);
  }
  int status = kExitLeftWithoutInstalling;
  {
    UninstallWindow window(setup, &log);
    window.Show();
    RunMessageLoop();
    status = window.ExitStatus();
  }
  return log.EndWithStatus(status);
}
