#include "app/window/QuorvinUI.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallTarget.h"
#include "app/install/PathNames.h"
#include "app/install/ProductFile.h"
#include "app/install/SetupOptions.h"
#include "app/window/AbbreviatePath.h"
#include "app/window/Background.h"
#include "app/window/ButtonRow.h"
#include "app/window/FailureMessage.h"
#include "app/window/HostChooser.h"
#include "app/window/InstallThread.h"
#include "app/window/PayloadMeasure.h"
#include "app/window/PellioTextFileViewer.h"
#include "app/window/ProgressDisplay.h"
#include "app/window/SpaceLine.h"
#include "app/install/UiText.h"
#include "common/AnsiText.h"
#include "common/ModuleInstance.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"
#include "toolkit/controls/qvButton.h"
#include "toolkit/controls/qvCaption.h"
#include "toolkit/controls/qvCheckbox.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/draw/qvTextDrawing.h"
#include "toolkit/files/qvFileSpec.h"
#include "toolkit/window/MessageDispatch.h"
#include "toolkit/window/ShowMessage.h"
#include "toolkit/window/qvDpi.h"

const char kNotSet[] = "<not set>";

namespace {

constexpr uint16_t kWindowGreyLevel = 0x7FFF;


// A button's label and its letter for Alt, from the string table.
void Relabel(qvButton* button, int id) {
  const UiLabel label = UiLabelOf(id);
  button->SetLabel(label.text.c_str());
  button->SetAccessKey(label.key);
}


// A text as the setup read it, as the viewer shows it: a text too large to
// be kept whole is refused as a larger file would be.
ViewerFile ViewerFileOf(const DistributionFile& text) {
  ViewerFile file;
  file.read = text.read && text.whole;
  file.error = text.read && !text.whole ? ERROR_FILE_TOO_LARGE : text.error;
  if (file.read) file.bytes = text.bytes;
  return file;
}

// The screen's DPI, or less when the window at that scale would not fit
// the work area (a small screen at a large scale): the largest DPI at
// which it fits, not below 96.
int FittingDpi(const qvRect& layout, int screenDpi) {
  RECT work;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return screenDpi;
  // The frame is the screen's, whatever the layout's scale.
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectForDpi(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, 0, screenDpi);
  const int freeWidth = work.right - work.left - (frame.right - frame.left);
  const int freeHeight = work.bottom - work.top - (frame.bottom - frame.top);
  int dpi = screenDpi;
  while (dpi > kDefaultDpi &&
         (ScaleForDpi(layout.GetWidth(), dpi) > freeWidth || ScaleForDpi(layout.GetHeight(), dpi) > freeHeight))
    --dpi;
  return dpi;
}

}  // namespace

QuorvinUI::QuorvinUI(const qvRect& bounds, const SetupOptions& options)
    : QuorvinUI(bounds, PrepareInstall(options, SetupMode::kWindow), FittingDpi(bounds, ScreenDpi()), true) {}

QuorvinUI::QuorvinUI(const qvRect& bounds, InstallSetup prepared)
    : QuorvinUI(bounds, std::move(prepared), FittingDpi(bounds, ScreenDpi()), false) {}

QuorvinUI::QuorvinUI(const qvRect& bounds, InstallSetup prepared, int dpi, bool showWhileMaking)
    : qvTabbedWindow(ScaleRectForDpi(bounds, dpi), ""), installLocation(), targetKind(TargetNone),
      installFinished(0), setup(std::move(prepared)), layoutClient(bounds) {
  SetDpi(dpi);
  // The window's texts, its messages among them, in the language chosen;
  // the faces that draw them follow it.
  SetUiLanguage(setup.language->tag);
  SetTextLanguage(setup.language->id);
  SetMessageCaption(UiText(IDS_MESSAGE_CAPTION).c_str());
  if (setup.DistributionChanged()) RefuseDistribution();
  if (!setup.KnownProduct()) RefuseProduct();
  const InstallTarget& target = setup.target;
  productName.Set(setup.product.name.c_str());
  productFolder.Set(setup.product.name.c_str());

  // The picture is decoded and fitted on a thread of its own while the
  // window is made: together they are most of the time before the window
  // first shows.
  const qvRect client = ScaledClient(), panel = ScaledPanel();
  const DistributionFile& picture = setup.picture;
  qvPicture* background = nullptr;
  std::thread decoding;
  try {
    decoding = std::thread([&background, &picture, client, panel] { background = MakeBackground(picture, client, panel); });
  } catch (const std::system_error&) {
    background = MakeBackground(picture, client, panel);
  }

  SetTitle(UiText(IDS_WINDOW_TITLE, {setup.product.name}).c_str());
  // A language read right to left mirrors every window made from now on,
  // the viewer's, the choosers' and the message boxes among them.
  if (setup.language->rightToLeft && GetProcessDefaultLayout(&processLayout)) SetProcessDefaultLayout(LAYOUT_RTL);
  Create();

  targetKind = target.kind;
  if (PathLength(setup.location) <= kMaxPathLength) std::strcpy(installLocation, setup.location.c_str());
  moreLocations = setup.moreLocations;
  payloadFolder.Set(target.payloadFolder);
  // The folder chooser's prompt of the kind, in the window's language.
  folderPrompt.Set(UiText(IDS_PROMPT_NONE + (target.kind >= TargetNone && target.kind <= kLastTargetKind ? target.kind : 0))
                       .c_str());

  SetBackgroundColor(qvColor(kWindowGreyLevel, kWindowGreyLevel, kWindowGreyLevel));
  // A layout scaled down to fit the screen has a frame of the screen's
  // scale, not its own.
  FitClientArea(layoutClient);
  if (decoding.joinable()) decoding.join();
  SetBackgroundPicture(background);
  // The program's window shows its frame and picture as soon as they are
  // ready, and makes its controls on the screen: they take as long as the
  // rest of the window's making. Drawing stays off meanwhile, so that no
  // control paints as it is made; all of them paint at Show.
  const bool showing = showWhileMaking && GetHandle();
  if (showing) {
    ShowWindow(GetHandle(), SW_SHOWNA);
    UpdateWindow(GetHandle());
    SendMessageA(GetHandle(), WM_SETREDRAW, FALSE, 0);
  }
  MakeControls(layoutClient);
  if (showing) {
    SendMessageA(GetHandle(), WM_SETREDRAW, TRUE, 0);
    RedrawWindow(GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
  // The window was made for the main screen's DPI; on another screen the
  // platform gives it that screen's, fitted the same way.
  const int wanted = FittingDpi(layoutClient, WindowDpi(GetHandle()));
  if (GetHandle() && wanted != GetDpi()) ChangeDpi(wanted);
}

qvRect QuorvinUI::ScaledClient() const {
  return ScaleRectForDpi(qvRect(0, 0, layoutClient.GetWidth(), layoutClient.GetHeight()), GetDpi());
}

qvRect QuorvinUI::ScaledPanel() const {
  return ScaleRectForDpi(PanelOf(qvRect(0, 0, layoutClient.GetWidth(), layoutClient.GetHeight())), GetDpi());
}

void QuorvinUI::ChangeDpi(int newDpi) {
  SetDpi(newDpi);
  FitClientArea(layoutClient);
  LayOutChildren();
  Redecorate();
  // Text is not measured in proportion to the scale: it may lack room at
  // this one.
  FitTexts();
}

void QuorvinUI::Redecorate() {
  SetBackgroundPicture(MakeBackground(setup.picture, ScaledClient(), ScaledPanel()));
  RedrawTree(true);
}

void QuorvinUI::MakeControls(const qvRect& bounds) {
  // The layout at 96 DPI; Place scales it to the window's.
  const int r = bounds.GetRight(), b = bounds.GetBottom();
  // Step texts end inside the panel; a text that would pass its edge ends
  // in "..." (only a long product name does).
  const int textRight = PanelOf(bounds).GetRight() - 10;
  auto step = [&](int left, int top, int right, int bottom, const char* text, int flags = kCaptionLeft) {
    stepCaptions.push_back(PlaceControl<qvCaption>(this, qvRect(left, top, right, bottom), text, flags));
  };
  step(45, 75, textRight, 95, UiText(IDS_WELCOME).c_str());
  step(45, 95, textRight, 113, UiText(IDS_FOLLOW_STEPS, {setup.product.name}).c_str(), kCaptionLeft | kCaptionEllipsis);
  step(45, 113, textRight, 133, UiText(IDS_ADMINISTRATOR).c_str());
  // The product installed already: which version, where, and what this
  // install does to it. The texts above stay as they are.
  if (setup.hasEarlier) MakeEarlierCaption();
  step(45, 150, 270, 170, UiText(IDS_STEP1).c_str());
  releaseNotesButton = PlaceControl<qvButton>(this, qvRect(270, 148, 395, 168), "", kCommandReleaseNotes,
                                       qvButton::kSmallLabel);
  step(45, 185, textRight, 205, UiText(IDS_STEP2).c_str());
  const UiLabel accept = UiLabelOf(IDS_ACCEPT);
  termsCheckbox = PlaceControl<qvCheckbox>(this, qvRect(100, 206, 250, 226), accept.text.c_str(), kCommandTerms);
  licenseButton =
      PlaceControl<qvButton>(this, qvRect(270, 208, 395, 228), "", kCommandLicense, qvButton::kSmallLabel);

  const std::string display = LocationDisplay();
  step(45, 250, textRight, 270, UiText(IDS_STEP3).c_str());
  step(103, 270, 258, 290, UiText(IDS_LOCATION_IS).c_str());
  locationCaption =
      PlaceControl<qvCaption>(this, qvRect(258, 270, textRight, 290), display.c_str(), kCaptionLeft | kCaptionEllipsis);
  changeLocationButton = PlaceControl<qvButton>(this, qvRect(270, 293, 395, 313), "", kCommandChangeLocation,
                                         qvButton::kSmallLabel);
  // Which host the default location is the plug-in folder of.
  // The MediaCore folder is named by who loads from it, in the few words
  // the place beside the button holds.
  const std::string host = setup.target.kind == TargetMediaCore ? "After Effects, Premiere Pro" : setup.target.host.chosen;
  // From just past the button to the panel's edge: "After Effects and
  // Premiere Pro" takes nearly all of it.
  hostCaption = PlaceControl<qvCaption>(this, qvRect(401, 293, PanelOf(bounds).GetRight() - 3, 313), host.c_str(),
                                 kCaptionLeft | kCaptionEllipsis);
  ShowHost();
  step(45, 320, textRight, 340, UiText(IDS_STEP4).c_str());
  // Under the steps: the room the install needs and the location's drive
  // has, once the payload is measured.
  spaceCaption = PlaceControl<qvCaption>(this, qvRect(103, 340, textRight, 358), SpaceLine(SpaceFigures()).c_str(),
                                  kCaptionLeft | kCaptionEllipsis);
  // Made last of the panel's controls, after the texts they follow: a
  // screen reader reads the window's controls in the order they were made.
  const qvRect install(r - 110, b - 40, r - 25, b - 20);
  cancelButton = PlaceControl<qvButton>(this, qvRect(install.left - 100, install.top, install.right - 100, install.bottom),
                                 "", kCommandCancel, qvButton::kLargeLabel);
  installButton = PlaceControl<qvButton>(this, install, "", kCommandInstall, qvButton::kLargeLabel);

  // The progress text takes the steps' place: a band from 30 above the
  // middle, half the height and 10 more tall, 10 in from the left and 40
  // in from the right.
  constexpr int kProgressAboveMiddle = 30, kProgressLeftInset = 10, kProgressRightInset = 40;
  constexpr int kProgressExtraHeight = 10;
  const int l = bounds.GetLeft(), h = bounds.GetHeight(), progressTop = h / 2 - kProgressAboveMiddle;
  progressCaption = PlaceControl<qvCaption>(this, qvRect(l + kProgressLeftInset, progressTop, l + r - kProgressRightInset,
                                            progressTop + h / 2 + kProgressExtraHeight),
                                     UiText(IDS_INSTALLING).c_str(), kCaptionCenter);
  progressCaption->Hide();

  // Reading order: top to bottom, left to right.
  for (qvControl* control : {static_cast<qvControl*>(releaseNotesButton.get()),
                             static_cast<qvControl*>(termsCheckbox.get()), static_cast<qvControl*>(licenseButton.get()),
                             static_cast<qvControl*>(changeLocationButton.get()),
                             static_cast<qvControl*>(cancelButton.get()), static_cast<qvControl*>(installButton.get())})
    AddToTabOrder(control);
  Relabel(releaseNotesButton.get(), IDS_SHOW_RELEASE_NOTES);
  Relabel(licenseButton.get(), IDS_READ_LICENSE);
  Relabel(changeLocationButton.get(), IDS_CHANGE_LOCATION);
  Relabel(cancelButton.get(), IDS_CANCEL);
  Relabel(installButton.get(), IDS_INSTALL);
  termsCheckbox->SetAccessKey(accept.key);
  installButton->SetDefault(true);
  FitTexts();
}

void QuorvinUI::FitTexts() {
  if (!GetHandle()) return;
  const int dpi = GetDpi();
  // Pixels at the window's DPI as a length of the 96-DPI layout, rounded up.
  const auto to96 = [dpi](int pixels) { return (pixels * kDefaultDpi + dpi - 1) / dpi; };
  const auto place = [](qvWindow* w) { return w->LayoutPlace().at96; };
  const auto move = [](qvWindow* w, const qvRect& r) { w->SetLayoutPlace({r, w->LayoutPlace().anchors}); };
  const qvRect panel = PanelOf(layoutClient);

  // The steps' buttons widen to the right, within the panel; the host named
  // beside the last moves along. A step's text that ends where its button
  // begins keeps to one line while the button can move right to make room.
  for (qvButton* button : {releaseNotesButton.get(), licenseButton.get(), changeLocationButton.get()}) {
    qvRect r = place(button);
    for (const auto& caption : stepCaptions) {
      qvRect text = place(caption.get());
      if (text.GetRight() != r.GetLeft() || text.GetBottom() <= r.GetTop() || text.GetTop() >= r.GetBottom()) continue;
      const int lack = std::min(to96(caption->TextWidth()) - text.GetWidth(), panel.GetRight() - 3 - r.GetRight());
      if (lack <= 0) continue;
      text.SetRight(text.GetRight() + lack);
      move(caption.get(), text);
      r.Offset(lack, 0);
      move(button, r);
    }
    const int lack = to96(button->LabelWidth()) - r.GetWidth();
    if (lack <= 0) continue;
    r.SetRight(std::min(r.GetRight() + lack, panel.GetRight() - 3));
    move(button, r);
    if (button == changeLocationButton.get()) {
      qvRect host = place(hostCaption.get());
      host.SetLeft(std::min(r.GetRight() + 6, host.GetRight()));
      move(hostCaption.get(), host);
    }
  }
  // The buttons under the panel widen to the left for the longest label
  // each shows (Install or Quit, Cancel or Do Another), Install's right
  // edge where it is.
  WidenRowToLabels({{installButton.get(), {UiLabelOf(IDS_QUIT).text}},
                    {cancelButton.get(), {UiLabelOf(IDS_DO_ANOTHER).text}}});

  // Captions and the check box, top to bottom: one too short for its text
  // grows downward, and every place of the panel below it moves down.
  std::vector<qvControl*> inPanel;
  for (const auto& caption : stepCaptions) inPanel.push_back(caption.get());
  for (qvControl* c : std::initializer_list<qvControl*>{earlierCaption.get(), termsCheckbox.get(), locationCaption.get(),
                                                        hostCaption.get(), spaceCaption.get(), releaseNotesButton.get(),
                                                        licenseButton.get(), changeLocationButton.get()})
    if (c) inPanel.push_back(c);
  std::vector<qvControl*> order = inPanel;
  std::stable_sort(order.begin(), order.end(),
                   [&](qvControl* a, qvControl* b) { return place(a).GetTop() < place(b).GetTop(); });
  for (qvControl* c : order) {
    int lack = 0;
    if (auto* caption = dynamic_cast<qvCaption*>(c)) lack = to96(caption->TextHeight()) - place(c).GetHeight();
    if (auto* box = dynamic_cast<qvCheckbox*>(c)) lack = to96(box->LabelHeight() - box->LabelRoom());
    if (lack <= 0) continue;
    qvRect r = place(c);
    const int below = r.GetBottom() - 2;
    r.SetBottom(r.GetBottom() + lack);
    move(c, r);
    for (qvControl* other : inPanel) {
      qvRect o = place(other);
      if (other == c || o.GetTop() < below) continue;
      o.Offset(0, lack);
      move(other, o);
    }
  }

  // The panel holds what is in it, 2 below the lowest: the window grows by
  // what it lacks, the buttons under the panel with it.
  int lowest = 0;
  for (qvControl* c : inPanel) lowest = std::max(lowest, place(c).GetBottom());
  const int grow = lowest + 2 - panel.GetBottom();
  if (grow > 0) {
    layoutClient.SetBottom(layoutClient.GetBottom() + grow);
    for (qvButton* button : {cancelButton.get(), installButton.get()}) {
      qvRect r = place(button);
      r.Offset(0, grow);
      move(button, r);
    }
    qvRect progress = place(progressCaption.get());
    progress.Offset(0, grow / 2);
    move(progressCaption.get(), progress);
    FitClientArea(layoutClient);
    LayOutChildren();
    Redecorate();
  }
}

QuorvinUI::~QuorvinUI() {
  install.reset();
  progress.reset();
  measure.reset();
  if (setup.language->rightToLeft) SetProcessDefaultLayout(processLayout);
}

bool QuorvinUI::OnPaint(qvEvent&) {
  qvPaintDevice device(this);
  FillBackground(device);
  return true;
}

void QuorvinUI::Show() {
  if (!GetHandle()) return;
  // Shown and painted before it is activated: activating gives a control
  // the focus, which repaints it at once, and the window's first look
  // should not wait for that, nor for the icons. The frame and its controls
  // are painted in one pass.
  ShowWindow(GetHandle(), SW_SHOWNA);
  PaintTreeNow();
  SetForegroundWindow(GetHandle());
  Focus(releaseNotesButton.get());
  SetIcons();
  // The payload is measured once the window is drawn: nothing competes
  // with its first paint.
  if (!measure) measure = std::make_unique<PayloadMeasure>(GetHandle(), setup.payload);
}

void QuorvinUI::SetIcons() {
  const HINSTANCE module = ModuleInstance();
  SendMessageA(GetHandle(), WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadIconA(module, MAKEINTRESOURCEA(IDI_PROGRAM))));
  SendMessageA(GetHandle(), WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadImageA(module, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
}

void QuorvinUI::Focus(qvWindow* control) {
  if (control && control->GetHandle()) control->TakeFocus();
}

void QuorvinUI::RefuseProduct() {
  InstallLog log(setup.logPath.c_str());
  log.BeginBlock();
  log.Line(LogField("mode", "window"));
  log.Line(UnknownProductLine(setup));
  log.EndWithStatus(kExitWindowUnknownProduct);
  ShowMessage(UiText(IDS_UNKNOWN_PRODUCT).c_str());
  ExitProcess(static_cast<UINT>(kExitWindowUnknownProduct));
}

void QuorvinUI::RefuseDistribution() {
  const InstallFailure failure = DistributionFailure(setup.installFiles, setup.coverage);
  InstallLog log(setup.logPath.c_str());
  log.BeginBlock();
  log.Line(LogField("mode", "window"));
  for (const std::string& line : CoverageLogLines(setup.coverage)) log.Line(line);
  log.Line(LogErrorLine(failure.path.c_str(), failure.error, failure.reason));
  log.EndWithStatus(kExitDistributionChanged);
  ShowMessage(FailureMessage(failure, {setup.payload, false, UiSystemErrorText(failure.error)}).c_str());
  ExitProcess(static_cast<UINT>(kExitDistributionChanged));
}

void QuorvinUI::SetLocation(const char* location) {
  if (PathLength(location) > kMaxPathLength) return;
  std::strcpy(installLocation, location);
  moreLocations.clear();
  ShowLocation();
}

void QuorvinUI::SetLocations(const std::vector<std::string>& locations) {
  if (locations.empty() || PathLength(locations.front()) > kMaxPathLength) return;
  std::strcpy(installLocation, locations.front().c_str());
  moreLocations.assign(locations.begin() + 1, locations.end());
  ShowLocation();
}

int QuorvinUI::ExitStatus() const {
  switch (lastInstall) {
    case LastInstall::kInstalled: return kExitInstalled;
    case LastInstall::kInstalledRestart: return kExitInstalledRestartHost;
    case LastInstall::kFailed: return kExitCopyFailed;
    case LastInstall::kSignedFileChanged: return kExitDistributionChanged;
    case LastInstall::kCancelled:
    case LastInstall::kNone: break;
  }
  return kExitLeftWithoutInstalling;
}

void QuorvinUI::MakeEarlierCaption() {
  const int textRight = PanelOf(layoutClient).GetRight() - 10;
  earlierCaption = PlaceControl<qvCaption>(this, qvRect(45, 131, textRight, 149), EarlierInstallLine().c_str(),
                                    kCaptionLeft | kCaptionEllipsis);
}

std::string QuorvinUI::EarlierInstallLine() const {
  return setup.EarlierInstallLine(installLocation, AbbreviatePath(setup.earlier.destination.c_str()));
}

std::string QuorvinUI::LocationDisplay() {
  const std::string display = AbbreviatePath(installLocation);
  const size_t more = moreLocations.size();
  if (!display.empty() && more)
    return more == 1 ? UiText(IDS_ONE_MORE_FOLDER, {display}) : UiText(IDS_MORE_FOLDERS, {display, std::to_string(more)});
  if (!display.empty()) return UiEmbedded(display);
  installLocation[0] = '\0';
  return UiText(IDS_NOT_SET);
}

void QuorvinUI::ShowSpace() {
  if (!spaceCaption) return;
  SpaceFigures figures;
  figures.measured = measure && measure->Done();
  if (figures.measured) figures.needed = measure->Bytes();
  figures.freeKnown = installLocation[0] && FreeSpaceOf(installLocation, &figures.volume, &figures.free);
  spaceCaption->SetText(SpaceLine(figures).c_str());
}

void QuorvinUI::ShowLocation() {
  ShowSpace();
  locationCaption->SetText(LocationDisplay().c_str());
  if (earlierCaption) earlierCaption->SetText(EarlierInstallLine().c_str());
  ShowHost();
}

bool QuorvinUI::LocationIsTheHosts() const {
  return !setup.target.host.chosen.empty() && setup.target.location[0] &&
         std::strcmp(installLocation, setup.target.location) == 0;
}

void QuorvinUI::ShowHost() {
  if (hostCaption) LocationIsTheHosts() && state == State::kReady ? hostCaption->Show() : hostCaption->Hide();
}

void QuorvinUI::ShowSteps(bool show) {
  qvWindow* steps[] = {releaseNotesButton.get(), termsCheckbox.get(), licenseButton.get(), changeLocationButton.get(),
                       locationCaption.get(), earlierCaption.get(), spaceCaption.get()};
  for (qvWindow* window : steps)
    if (window) show ? window->Show() : window->Hide();
  for (auto& caption : stepCaptions) show ? caption->Show() : caption->Hide();
  if (show && LocationIsTheHosts())
    hostCaption->Show();
  else
    hostCaption->Hide();
}

void QuorvinUI::OpenViewer(const char* title, const DistributionFile& file) {
  // Twenty pixels in from each side of the window's client area (at 96
  // DPI): frame and all, the viewer lies within the window it belongs to,
  // which already fits the screen.
  RECT client = {};
  GetClientRect(GetHandle(), &client);
  const qvRect bounds(0, 0, client.right - Scaled(40), client.bottom - Scaled(40));
  auto viewer = std::make_unique<PellioTextFileViewer>(bounds, title, ViewerFileOf(file), file.name, this);
  viewer->Show();
  RunModalLoop(viewer->GetHandle());
}

bool QuorvinUI::OnCommand(qvEvent& event) {
  if (event.detail == kNoticePassFocus) return qvTabbedWindow::OnCommand(event);
  switch (event.id) {
    case kCommandInstall:
      if (state == State::kInstalling) return false;
      if (installFinished) {
        // The second click of a double click on "Install" may come after a
        // short copy has already ended: "Quit" does not take it.
        if (GetTickCount() - resultShownAt < GetDoubleClickTime()) return false;
        EndMessageLoop();
        return true;
      }
      if (!termsCheckbox->IsChecked()) {
        ShowMessage(GetHandle(), UiText(IDS_ACCEPT_TERMS).c_str());
        return false;
      }
      if (!installLocation[0]) {
        Notify(kCommandChangeLocation, 0, kEventOther);
        RedrawTree(true);
        if (!installLocation[0]) return false;
      }
      if (!AllowDowngrade()) return false;
      RunInstall();
      return true;

    case kCommandCancel:
      switch (state) {
        case State::kReady:
          EndMessageLoop();
          return true;
        case State::kInstalling:
          ConfirmCancel();
          return false;
        case State::kComplete:
          break;
        case State::kFailed:
        case State::kCancelled:
          return false;
      }
      // "Do Another".
      Relabel(installButton.get(), IDS_INSTALL);
      installButton->Enable();
      cancelButton->Enable();
      ShowSteps(true);
      progressCaption->Hide();
      progressCaption->SetText(UiText(IDS_INSTALLING).c_str());
      Relabel(cancelButton.get(), IDS_CANCEL);
      installFinished = 0;
      state = State::kReady;
      Focus(releaseNotesButton.get());
      return true;

    case kCommandReleaseNotes:
      OpenViewer(UiText(IDS_ABOUT, {setup.product.name}).c_str(), setup.releaseNotes);
      return false;

    case kCommandLicense:
      OpenViewer(UiText(IDS_LICENSE_TITLE).c_str(), setup.licence);
      return false;

    case kCommandChangeLocation: {
      if (state != State::kReady) return false;
      // Several versions of the host, each with its folder: the user ticks
      // which, or goes on to any other folder.
      const std::vector<HostFolder> hosts = HostChoices(setup.target.kind);
      if (hosts.size() > 1) {
        HostChooser chooser(hosts, HostUsersOf(setup.target.kind),
                            InitialTicks(hosts, installLocation, moreLocations), this);
        const HostChooser::Choice choice = chooser.Run();
        if (choice == HostChooser::Choice::kHosts && state == State::kReady) SetLocations(chooser.TickedFolders());
        if (choice != HostChooser::Choice::kOtherFolder) return false;
      }
      char prompt[kPathBufferSize];
      BoundedCopy(folderPrompt.ToCString(), prompt);
      qvFileSpec spec(installLocation);
      // Modal: Install and this button take no input while it is open.
      if (spec.BrowseFolder(prompt, true, GetHandle()) && state == State::kReady) SetLocation(spec.GetFullPath());
      return false;
    }

    default:
      return false;
  }
}

bool QuorvinUI::OnKeyDown(qvEvent& event) {
  switch (event.keyCode) {
    case kKeyEscape:
      RequestClose();
      return false;
    case kKeyEnter:
      // The default button, as a click on it would.
      if (!installButton->IsDisabled() && IsWindowVisible(installButton->GetHandle()))
        Notify(kCommandInstall, kNoticeClick, kEventOther);
      return false;
    case kKeyTab:
      // The window itself has the focus: the first control takes it.
      Focus(releaseNotesButton->IsDisabled() || !IsWindowVisible(releaseNotesButton->GetHandle())
                ? static_cast<qvWindow*>(installButton.get())
                : releaseNotesButton.get());
      return false;
    default:
      return true;
  }
}

bool QuorvinUI::OnOtherMessage(qvEvent& event) {
  switch (event.message) {
    case WM_CLOSE:
      RequestClose();
      return false;
    case WM_SYSCOMMAND:
      // wParam: the command, its low four bits the platform's own.
      if ((event.wParam & 0xFFF0) == SC_CLOSE) {
        RequestClose();
        return false;
      }
      // Alt and a letter: the control it underlines.
      return qvTabbedWindow::OnOtherMessage(event);
    case WM_SETCURSOR:
      // wParam: the window under the pointer; lParam's low word: where in it.
      if (state == State::kInstalling && LOWORD(event.lParam) == HTCLIENT) {
        SetCursor(LoadCursorA(ModuleInstance(), MAKEINTRESOURCEA(cursor.frame > kLastBusyFrame ? kFirstBusyFrame
                                                                                                : cursor.frame)));
        event.SetResult(TRUE);
        return false;
      }
      return true;
    case kInstallProgressMessage:
      ShowProgress();
      return false;
    case kInstallDoneMessage:
      FinishInstall();
      return false;
    case kPayloadMeasuredMessage:
      ShowSpace();
      return false;
    case WM_DPICHANGED:
      // Moved where the platform suggests, at the layout's size.
      if (!TakeDpiChange(event, &layoutClient)) return true;
      Redecorate();
      FitTexts();
      event.SetResult(0);
      return false;
    default:
      return qvTabbedWindow::OnOtherMessage(event);
  }
}

bool QuorvinUI::OnDestroy(qvEvent& event) {
  if (install) install->Stop();
  EndMessageLoop();
  return qvTabbedWindow::OnDestroy(event);
}

void QuorvinUI::RequestClose() {
  switch (state) {
    case State::kReady:
      EndMessageLoop();
      break;
    case State::kInstalling:
      ConfirmCancel();
      break;
    case State::kComplete:
    case State::kFailed:
    case State::kCancelled:
      EndMessageLoop();
      break;
  }
}

void QuorvinUI::ConfirmCancel() {
  if (confirming || !install || install->StopAsked()) return;
  confirming = true;
  // No commit behind the question: the copy may finish, but the install
  // waits for the answer before it is done.
  install->HoldCommit(true);
  const bool stop = AskYesNo(GetHandle(), UiText(IDS_ASK_CANCEL).c_str());
  confirming = false;
  if (!install || state != State::kInstalling) return;
  if (!stop) {
    install->HoldCommit(false);
    return;
  }
  install->Stop();
  install->HoldCommit(false);
  cancelButton->Disable();
  progressCaption->SetText(UiText(IDS_CANCELLING).c_str());
}

bool QuorvinUI::AllowDowngrade() {
  // Asked only where the install replaces the earlier one.
  if (setup.allowDowngrade || !setup.IsDowngrade() || !setup.GoesIntoEarlier(installLocation)) return true;
  const std::string question =
      UiText(IDS_DOWNGRADE_INSTALLED, {setup.product.name, setup.earlier.version}) + "\n\n" +
      (setup.product.version.empty() ? UiText(IDS_DOWNGRADE_NO_VERSION)
                                     : UiText(IDS_DOWNGRADE_OLDER, {setup.product.version}));
  // Asked once: "Yes" holds for this window's installs.
  setup.allowDowngrade = AskYesNo(GetHandle(), question.c_str());
  return setup.allowDowngrade;
}

bool QuorvinUI::RunInstall() {
  installFinished = 0;
  state = State::kInstalling;
  cursor = {1, kFirstBusyFrame};
  SetCursor(LoadCursorA(ModuleInstance(), MAKEINTRESOURCEA(kFirstBusyFrame)));
  Relabel(installButton.get(), IDS_QUIT);
  installButton->Disable();
  cancelButton->Enable();
  Relabel(cancelButton.get(), IDS_CANCEL);
  // Before the steps hide: a hidden control keeps no focus worth having.
  Focus(cancelButton.get());
  ShowSteps(false);
  progressCaption->SetText(UiText(IDS_INSTALLING).c_str());
  progressCaption->Show();

  progress = std::make_unique<ProgressDisplay>(progressCaption.get(), &cursor);
  install = std::make_unique<InstallThread>(GetHandle(), setup.JobInto(installLocation, &moreLocations), setup.logPath);
  if (!install->Started()) {
    install.reset();
    state = State::kFailed;
    lastInstall = LastInstall::kFailed;
    const uint32_t error = GetLastError();
    ShowMessage(GetHandle(),
                FailureMessage(MakeFailure("", error), {setup.payload, false, UiSystemErrorText(error)}).c_str());
    progressCaption->SetText(UiText(IDS_FAILED).c_str());
    installFinished = 1;
    installButton->Enable();
    resultShownAt = GetTickCount();
  }
  return true;
}

void QuorvinUI::ShowProgress() {
  if (!install || !progress || install->StopAsked()) return;
  progress->Show(install->FilesDone(), install->FilesTotal(), install->BytesDone(), install->BytesTotal());
}

bool QuorvinUI::OfferRemedy(const InstallOutcome& outcome) {
  // The cause first, then what to do; the advice about rights only where
  // it fits. Where the message can mend it, it offers to: the install runs
  // again with the same choices, the terms still accepted.
  const InstallFailure& failure = outcome.failure;
  FailureContext context = {setup.payload, outcome.copyBegan, UiSystemErrorText(failure.error)};
  context.offered = RemedyOf(failure, setup.payload);
  const std::string text = FailureMessage(failure, context);
  switch (context.offered) {
    case FailureRemedy::kRetry:
      if (!AskRetry(GetHandle(), text.c_str())) return false;
      break;
    case FailureRemedy::kOtherLocation: {
      if (!AskYesNo(GetHandle(), text.c_str())) return false;
      char prompt[kPathBufferSize];
      BoundedCopy(folderPrompt.ToCString(), prompt);
      qvFileSpec spec(installLocation);
      if (!spec.BrowseFolder(prompt, true, GetHandle())) return false;
      SetLocation(spec.GetFullPath());
      break;
    }
    case FailureRemedy::kNone:
      ShowMessage(GetHandle(), text.c_str());
      return false;
  }
  return AllowDowngrade() && RunInstall();
}

void QuorvinUI::FinishInstall() {
  if (!install || !install->Done()) return;
  const InstallOutcome outcome = install->Outcome();
  const bool stopped = install->StopAsked() && !outcome.installed;
  install.reset();
  progress.reset();
  installFinished = 1;
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));

  // The result's text comes last: whoever watches it sees the buttons
  // already in their new state.
  std::string result = UiText(IDS_FAILED);
  if (outcome.installed) {
    state = State::kComplete;
    lastInstall = outcome.RestartNeeded() ? LastInstall::kInstalledRestart : LastInstall::kInstalled;
    // And where, on a line of its own.
    result = UiText(IDS_COMPLETE, {outcome.destination});
    for (size_t i = 1; i < outcome.destinations.size(); ++i)
      result += (i + 1 == outcome.destinations.size() ? "\nand " : ",\n") + outcome.destinations[i];
    if (outcome.upgraded) result += "\n\n" + setup.ReplacedLine(outcome.earlierVersion);
    if (outcome.RestartNeeded()) result += "\n\n" + RestartLine(ProgramToRestart(setup.target.kind, outcome));
    // The next install of this window ("Do Another") goes over this one.
    setup.Installed(installLocation, outcome.destination);
    if (!earlierCaption) {
      MakeEarlierCaption();
      earlierCaption->Hide();  // with the steps, until "Do Another"
    }
    earlierCaption->SetText(EarlierInstallLine().c_str());
    cancelButton->Enable();
    Relabel(cancelButton.get(), IDS_DO_ANOTHER);
  } else if (stopped) {
    state = State::kCancelled;
    lastInstall = LastInstall::kCancelled;
    result = UiText(IDS_CANCELLED);
    cancelButton->Disable();
  } else {
    state = State::kFailed;
    lastInstall = outcome.distributionChanged ? LastInstall::kSignedFileChanged : LastInstall::kFailed;
    cancelButton->Disable();
  }
  installButton->Enable();
  Focus(installButton.get());
  if (state == State::kFailed && OfferRemedy(outcome)) return;
  progressCaption->SetText(result.c_str());
  RedrawTree(true);
  resultShownAt = GetTickCount();
}
