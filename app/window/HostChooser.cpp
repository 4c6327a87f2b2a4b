#include "app/window/HostChooser.h"

#include <cstring>
#include <utility>

#include "app/install/FileTree.h"
#include "app/window/AbbreviatePath.h"
#include "app/window/ButtonRow.h"
#include "app/install/UiText.h"
#include "resources/StringIds.h"
#include "toolkit/controls/qvButton.h"
#include "toolkit/controls/qvCaption.h"
#include "toolkit/controls/qvCheckbox.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/window/MessageDispatch.h"
#include "toolkit/window/ShowMessage.h"
#include "toolkit/window/qvDpi.h"

namespace {

enum ChooserCommand : int { kCommandOk = 1, kCommandCancel = 2, kCommandOther = 3, kCommandFirstBox = 100 };

// The layout at 96 DPI: a heading, a row per host, the buttons.
constexpr int kWidth = 560, kRowTop = 44, kRowHeight = 26, kMargin = 16;
constexpr uint16_t kGreyLevel = 0xEEEE;

int ButtonsTop(size_t rows) { return kRowTop + static_cast<int>(rows) * kRowHeight + 14; }
qvRect ClientFor(size_t rows) { return qvRect(0, 0, kWidth, ButtonsTop(rows) + 20 + kMargin); }

}  // namespace

std::vector<bool> InitialTicks(const std::vector<HostFolder>& hosts, const std::string& location,
                               const std::vector<std::string>& more) {
  std::vector<bool> ticked(hosts.size(), false);
  bool any = false;
  for (size_t i = 0; i < hosts.size(); ++i) {
    const std::wstring key = PathKey(hosts[i].folder);
    bool chosen = !location.empty() && PathKey(location) == key;
    for (const std::string& other : more) chosen = chosen || PathKey(other) == key;
    ticked[i] = chosen;
    any = any || chosen;
  }
  if (!any && !ticked.empty()) ticked[0] = true;
  return ticked;
}

HostChooser::HostChooser(std::vector<HostFolder> found, const char* users, const std::vector<bool>& ticked,
                         qvWindow* owner)
    : qvTabbedWindow(ScaleRectForDpi(ClientFor(found.size()), owner ? owner->GetDpi() : ScreenDpi()),
                     UiText(IDS_CHOOSER_TITLE).c_str()),
      hosts(std::move(found)) {
  if (owner) {
    SetOwner(owner->GetHandle());
    SetDpi(owner->GetDpi());
  }
  Create();
  const qvColor grey(kGreyLevel, kGreyLevel, kGreyLevel);
  SetBackgroundColor(grey);
  FitClientArea(ClientFor(hosts.size()));
  const int right = kWidth - kMargin;
  heading = PlaceControl<qvCaption>(this, qvRect(kMargin, 14, right, 34),
                                    UiText(IDS_CHOOSER_HEADING, {users}).c_str(),
                                    kCaptionLeft | kCaptionEllipsis);
  heading->SetBackgroundColor(grey);
  for (size_t i = 0; i < hosts.size(); ++i) {
    const int top = kRowTop + static_cast<int>(i) * kRowHeight;
    auto box = PlaceControl<qvCheckbox>(this, qvRect(kMargin + 4, top, 230, top + 20), ("  " + hosts[i].host).c_str(),
                                        kCommandFirstBox + static_cast<int>(i));
    if (i < ticked.size() && ticked[i]) box->Check();
    box->SetBackgroundColor(grey);
    AddToTabOrder(box.get());
    auto folder = PlaceControl<qvCaption>(this, qvRect(234, top + 2, right, top + 20),
                                          AbbreviatePath(hosts[i].folder.c_str()).c_str(),
                                          kCaptionLeft | kCaptionEllipsis);
    folder->SetBackgroundColor(grey);
    boxes.push_back(std::move(box));
    folders.push_back(std::move(folder));
  }
  const int top = ButtonsTop(hosts.size());
  const UiLabel other = UiLabelOf(IDS_OTHER_FOLDER), ok = UiLabelOf(IDS_OK), cancel = UiLabelOf(IDS_CANCEL);
  otherButton = PlaceControl<qvButton>(this, qvRect(kMargin, top, kMargin + 125, top + 20), other.text.c_str(),
                                       kCommandOther, qvButton::kSmallLabel);
  okButton = PlaceControl<qvButton>(this, qvRect(right - 180, top, right - 95, top + 20), ok.text.c_str(), kCommandOk,
                                    qvButton::kLargeLabel);
  cancelButton = PlaceControl<qvButton>(this, qvRect(right - 85, top, right, top + 20), cancel.text.c_str(),
                                        kCommandCancel, qvButton::kLargeLabel);
  for (qvButton* button : {otherButton.get(), okButton.get(), cancelButton.get()}) AddToTabOrder(button);
  otherButton->SetAccessKey(other.key);
  okButton->SetAccessKey(ok.key);
  cancelButton->SetAccessKey(cancel.key);
  okButton->SetDefault(true);
  WidenRowToLabels({{cancelButton.get()}, {okButton.get()}});
  WidenRowToLabels({{otherButton.get()}}, true);
  UpdateOk();
  CenterWindowOver(GetHandle(), owner ? owner->GetHandle() : GetDesktopWindow());
}

HostChooser::~HostChooser() {
  cancelButton.reset();
  okButton.reset();
  otherButton.reset();
  while (!boxes.empty()) {
    folders.pop_back();
    boxes.pop_back();
  }
  heading.reset();
}

void HostChooser::GetTypeName(char* buffer) { std::strcpy(buffer, "HostChooser"); }

HostChooser::Choice HostChooser::Run() {
  choice = Choice::kCancelled;
  ShowWindow(GetHandle(), SW_SHOWNA);
  PaintTreeNow();
  SetForegroundWindow(GetHandle());
  if (!boxes.empty()) boxes.front()->TakeFocus();
  RunModalLoop(GetHandle());
  return choice;
}

std::vector<std::string> HostChooser::TickedFolders() const {
  std::vector<std::string> ticked;
  for (size_t i = 0; i < boxes.size(); ++i)
    if (boxes[i]->IsChecked()) ticked.push_back(hosts[i].folder);
  return ticked;
}

void HostChooser::End(Choice chosen) {
  choice = chosen;
  EndMessageLoop();
}

void HostChooser::UpdateOk() {
  bool any = false;
  for (const auto& box : boxes) any = any || box->IsChecked();
  any ? okButton->Enable() : okButton->Disable();
}

bool HostChooser::OnCommand(qvEvent& event) {
  if (event.kind != kEventCommand) return true;
  if (event.detail == kNoticePassFocus) return qvTabbedWindow::OnCommand(event);
  if (event.detail != kNoticeClick) return true;
  if (event.id >= kCommandFirstBox) {
    UpdateOk();
    return false;
  }
  switch (event.id) {
    case kCommandOk:
      if (!okButton->IsDisabled()) End(Choice::kHosts);
      break;
    case kCommandCancel: End(Choice::kCancelled); break;
    case kCommandOther: End(Choice::kOtherFolder); break;
  }
  return false;
}

bool HostChooser::OnPaint(qvEvent&) {
  qvPaintDevice device(this);
  FillBackground(device);
  return true;
}

bool HostChooser::OnKeyDown(qvEvent& event) {
  switch (event.keyCode) {
    case kKeyEscape:
      End(Choice::kCancelled);
      return false;
    case kKeyEnter:
      if (!okButton->IsDisabled()) End(Choice::kHosts);
      return false;
    case kKeyTab:
      if (!boxes.empty()) boxes.front()->TakeFocus();
      return false;
    default:
      return true;
  }
}

bool HostChooser::OnOtherMessage(qvEvent& event) {
  if (event.message != WM_CLOSE) return qvTabbedWindow::OnOtherMessage(event);
  End(Choice::kCancelled);
  return false;
}
