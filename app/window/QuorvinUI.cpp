#include "app/window/QuorvinUI.h"

#include <cstring>
#include <new>

#include "app/install/InstallJob.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallTarget.h"
#include "app/install/PathNames.h"
#include "app/install/ProductFile.h"
#include "app/install/SetupOptions.h"
#include "app/window/AbbreviatePath.h"
#include "app/window/BusyCursor.h"
#include "app/window/PellioTextFileViewer.h"
#include "app/window/ProgressDisplay.h"
#include "common/ModuleInstance.h"
#include "imagelib/ImageOps.h"
#include "imagelib/OpenImage.h"
#include "toolkit/controls/qvButton.h"
#include "toolkit/controls/qvCaption.h"
#include "toolkit/controls/qvCheckbox.h"
#include "toolkit/draw/qvDevice.h"
#include "toolkit/files/qvFileSpec.h"
#include "toolkit/files/qvPicture.h"
#include "toolkit/window/MessageDispatch.h"
#include "toolkit/window/ShowMessage.h"

const char kNotSet[] = "<not set>";

namespace {

constexpr int kProgramIcon = 107;
constexpr uint16_t kWindowGreyLevel = 0x7FFF;

const char kUnknownProduct[] = "Unknown product. We cannot install.";
const char kAcceptTerms[] =
    "You must accept the terms of the Kestrova Software License Agreement before installing.";
const char kCopyFailed[] =
    "An error occurred while copying files. Make sure you have Administrator permissions when installing this "
    "software.";

// The background: "bkgd.jpg" turned top row first, with the panel behind
// the steps lightened. Null when the file gives no usable picture: the
// window then shows its grey.
qvPicture* MakeBackground(const qvRect& bounds) {
  char path[kPathBufferSize];
  InstallFilesPath(path, "bkgd.jpg");
  RasterImage image;
  if (!path[0] || !OpenImage(&image, path) || GetImageWidth(&image) <= 0 || GetImageHeight(&image) <= 0)
    return nullptr;
  FlipImageVertically(&image);
  const ImageRect panel = {bounds.GetLeft() + 25, bounds.GetTop() + 60, bounds.GetRight() - 25,
                           bounds.GetBottom() - 60};
  LightenRectangle(panel, &image);
  try {
    return ImageToPicture(&image, nullptr);
  } catch (int) {  // the platform refused the bitmap
    return nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// Input that queued up while the copy held the thread would reach controls
// that now mean something else ("Install" reads "Quit"): it goes.
void DiscardQueuedInput() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
}

}  // namespace

QuorvinUI::QuorvinUI(const qvRect& bounds, const std::string& logPath)
    : qvWindow(bounds, nullptr, "", false, true, true), installLocation(), targetKind(TargetNone), installFinished(0),
      cancelButton(nullptr), installButton(nullptr), releaseNotesButton(nullptr), termsCheckbox(nullptr),
      licenseButton(nullptr), locationCaption(nullptr), changeLocationButton(nullptr), progressCaption(nullptr),
      logPath(logPath) {
  char path[kPathBufferSize];
  InstallFilesPath(path, "product.txt");
  Product product;
  uint32_t error = ERROR_PATH_NOT_FOUND;
  if (!path[0] || !ReadProductFile(path, &product, &error)) RefuseProduct(path, SystemErrorText(error));
  InstallTarget target;
  ResolveInstallTarget(&target);
  const std::string refusal = ProductRefusal(product, target.kind);
  if (!refusal.empty()) RefuseProduct(path, refusal);
  productName.Set(product.name.c_str());
  productFolder.Set(product.name.c_str());

  SetTitle((TextString("Install ") + productName).ToCString());
  Create();
  if (GetHandle()) {
    const HINSTANCE module = ModuleInstance();
    SendMessageA(GetHandle(), WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(module, MAKEINTRESOURCEA(kProgramIcon))));
    SendMessageA(GetHandle(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImageA(module, MAKEINTRESOURCEA(kProgramIcon), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                     0)));
  }

  targetKind = target.kind;
  std::memcpy(installLocation, target.location, sizeof installLocation);
  payloadFolder.Set(target.payloadFolder);
  folderPrompt.Set(target.folderPrompt);

  SetBackgroundPicture(MakeBackground(bounds));
  SetBackgroundColor(qvColor(kWindowGreyLevel, kWindowGreyLevel, kWindowGreyLevel));

  const int r = bounds.GetRight(), b = bounds.GetBottom();
  const qvRect install(r - 110, b - 40, r - 25, b - 20);
  installButton = new qvButton(this, install, "Install", kCommandInstall, true);
  cancelButton = new qvButton(this, qvRect(install.left - 100, install.top, install.right - 100, install.bottom),
                              "Cancel", kCommandCancel, true);
  auto step = [this](int left, int top, int right, int bottom, const char* text) {
    stepCaptions.Append(new qvCaption(this, qvRect(left, top, right, bottom), text, kCaptionLeft));
  };
  step(45, 75, 645, 95, "WELCOME!");
  step(45, 95, 645, 113, (TextString("Follow these 4 steps to install ") + productName + ".").ToCString());
  step(45, 113, 645, 133, "You must be logged in as an Administrator to install this software.");
  step(45, 150, 270, 170, "STEP 1 - Read the Release Notes.");
  releaseNotesButton = new qvButton(this, qvRect(270, 148, 395, 168), "Show Release Notes...", kCommandReleaseNotes,
                                    false);
  step(45, 185, 645, 205, "STEP 2 - Accept the terms of the Kestrova Software License Agreement.");
  termsCheckbox = new qvCheckbox(this, qvRect(100, 206, 250, 226));
  licenseButton = new qvButton(this, qvRect(270, 208, 395, 228), "Read the License...", kCommandLicense, false);

  const std::string display = LocationDisplay();
  step(45, 250, 645, 270, "STEP 3 - Use the default location or choose a different location.");
  step(103, 270, 258, 290, "The install location is:");
  locationCaption = new qvCaption(this, qvRect(258, 270, 658, 290), display.c_str(), kCaptionLeft);
  changeLocationButton = new qvButton(this, qvRect(270, 293, 395, 313), "Change Location...",
                                      kCommandChangeLocation, false);
  step(45, 320, 645, 340, "STEP 4 - Click the Install button.");

  const int l = bounds.GetLeft(), h = bounds.GetHeight();
  progressCaption = new qvCaption(this, qvRect(l + 10, h / 2 - 30, l + 10 + r - 50, h / 2 - 30 + h / 2 + 10),
                                  "Installing. Please wait...", kCaptionCenter);
  progressCaption->Hide();
}

QuorvinUI::~QuorvinUI() {
  delete installButton;
  delete cancelButton;
  delete releaseNotesButton;
  delete termsCheckbox;
  delete licenseButton;
  delete changeLocationButton;
  delete locationCaption;
  delete progressCaption;
  for (qvCaption* caption : stepCaptions) delete caption;
  stepCaptions.Clear();
}

bool QuorvinUI::OnPaint(qvEvent&) {
  qvPaintDevice device(this);
  FillBackground(device);
  return true;
}

void QuorvinUI::RefuseProduct(const char* productFile, const std::string& why) {
  InstallLog log(logPath.c_str());
  log.BeginBlock();
  log.Line(LogField("mode", "window"));
  log.Line(LogErrorLine(productFile, 0, "unknown product: " + why));
  log.Line(LogField("exit status", std::to_string(kExitWindowUnknownProduct)));
  log.EndBlock();
  ShowMessage(kUnknownProduct);
  ExitProcess(static_cast<UINT>(kExitWindowUnknownProduct));
}

void QuorvinUI::SetLocation(const char* location) {
  if (std::strlen(location) > kMaxPathLength) return;
  std::strcpy(installLocation, location);
  ShowLocation();
}

int QuorvinUI::ExitStatus() const {
  switch (lastInstall) {
    case LastInstall::kInstalled: return kExitInstalled;
    case LastInstall::kFailed: return kExitCopyFailed;
    case LastInstall::kNone: break;
  }
  return kExitLeftWithoutInstalling;
}

std::string QuorvinUI::LocationDisplay() {
  const std::string display = AbbreviatePath(installLocation);
  if (!display.empty()) return display;
  installLocation[0] = '\0';
  return kNotSet;
}

void QuorvinUI::ShowLocation() { locationCaption->SetText(LocationDisplay().c_str()); }

void QuorvinUI::ShowSteps(bool show) {
  qvWindow* steps[] = {releaseNotesButton, termsCheckbox, licenseButton, changeLocationButton, locationCaption};
  for (qvWindow* window : steps) show ? window->Show() : window->Hide();
  for (qvCaption* caption : stepCaptions) show ? caption->Show() : caption->Hide();
}

void QuorvinUI::OpenViewer(const char* title, const char* file) {
  qvRect placement;
  GetPlacement(placement);
  const qvRect bounds(0, 0, placement.GetWidth() - 40, placement.GetHeight() + 40);
  char path[kPathBufferSize];
  InstallFilesPath(path, file);
  auto* viewer = new PellioTextFileViewer(bounds, title, path, this);
  viewer->Show();
  RunModalLoop(viewer->GetHandle());
  delete viewer;
}

bool QuorvinUI::OnCommand(qvEvent& event) {
  switch (event.id) {
    case kCommandInstall:
      if (installFinished) {
        // The second click of a double click on "Install" may come after a
        // short copy has already ended: "Quit" does not take it.
        if (GetTickCount() - resultShownAt < GetDoubleClickTime()) return false;
        EndMessageLoop();
        return true;
      }
      if (!termsCheckbox->IsChecked()) {
        ShowMessage(kAcceptTerms);
        return false;
      }
      if (!installLocation[0]) {
        Notify(kCommandChangeLocation, 0, kEventOther);
        RedrawTree(true);
        if (!installLocation[0]) return false;
      }
      installFinished = 0;
      RunInstall();
      installFinished = 1;
      return true;

    case kCommandCancel:
      if (!installFinished) {
        EndMessageLoop();
        return true;
      }
      installButton->SetLabel("Install");
      installButton->Enable();
      cancelButton->Enable();
      ShowSteps(true);
      progressCaption->Hide();
      cancelButton->SetLabel("Cancel");
      installFinished = 0;
      return true;

    case kCommandReleaseNotes:
      OpenViewer((TextString("About ") + productName).ToCString(), "readme.txt");
      return false;

    case kCommandLicense:
      OpenViewer("Software License Agreement", "eula.txt");
      return false;

    case kCommandChangeLocation: {
      char prompt[kPathBufferSize];
      BoundedCopy(folderPrompt.ToCString(), prompt);
      qvFileSpec spec(installLocation);
      if (spec.BrowseFolder(prompt, true)) SetLocation(spec.GetFullPath());
      return false;
    }

    default:
      return false;
  }
}

bool QuorvinUI::RunInstall() {
  BusyCursor cursor = {1, kFirstBusyFrame};
  SetCursor(LoadCursorA(ModuleInstance(), MAKEINTRESOURCEA(kFirstBusyFrame)));
  installButton->SetLabel("Quit");
  installButton->Disable();
  cancelButton->Disable();
  ShowSteps(false);
  progressCaption->SetText("Installing. Please wait...");
  progressCaption->Show();
  // The copy holds the thread: the window is brought up to date now.
  RedrawTree(true);

  char source[kPathBufferSize];
  InstallFilesPath(source, payloadFolder.ToCString());
  const std::string payload = payloadFolder.ToCString();
  const std::string product = productFolder.ToCString();
  const InstallJob job = {product.c_str(), static_cast<TargetKind>(targetKind), payload.c_str(), source,
                          installLocation};
  InstallLog log(logPath.c_str());
  ProgressDisplay progress(progressCaption, &cursor);
  const InstallOutcome outcome = RunInstallJob(job, &progress, &log);
  DiscardQueuedInput();

  if (outcome.installed) {
    lastInstall = LastInstall::kInstalled;
    progressCaption->SetText("Installation Complete.");
    cancelButton->Enable();
    cancelButton->SetLabel("Do Another");
  } else {
    lastInstall = LastInstall::kFailed;
    // The message names the path and the cause on a line of its own: the
    // advice about rights is only one of the reasons an install fails.
    const InstallFailure& failure = outcome.failure;
    const std::string cause = (failure.path.empty() ? "" : failure.path + ": ") + FailureText(failure);
    ShowMessage((std::string(kCopyFailed) + "\n\n" + cause).c_str());
    progressCaption->SetText("ERROR: Installation Failed.");
    RedrawTree(true);
  }
  installButton->Enable();
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  resultShownAt = GetTickCount();
  return true;
}
