// QuorvinUI: the installer's one window. It reads which product it installs
// ("product.txt"), works out the payload and the default location, shows
// the four steps of an install on a lightened panel over the background
// picture ("bkgd.jpg", fitted to the window), lets the user read the release
// notes and the terms in the viewer, accept the terms and change the
// location, then runs the install on a thread of its own and reports the
// result in place. It owns its controls.
//
// States: Ready (the steps) -> Installing -> Complete, Failed or Cancelled.
// While Installing the window keeps taking messages; Cancel (or Escape, or
// closing the window) asks to stop, and a stopped install is undone.
// "Do Another" goes from Complete back to Ready with the check box and the
// location kept. installFinished is set in the three end states.
//
// The keyboard: Tab and Shift+Tab move the focus through the controls in
// reading order; Space and Enter press the focused button or flip the check
// box; Enter elsewhere presses the default button (Install, later Quit);
// Escape, Alt+F4 and the system's Close act as Cancel before an install, as
// Quit after one and as Cancel, with its question, during one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/install/InstallSetup.h"
#include "app/install/TargetKind.h"
#include "app/window/BusyCursor.h"
#include "common/TextString.h"
#include "toolkit/window/qvTabbedWindow.h"

class InstallThread;
class PayloadMeasure;
class ProgressDisplay;
class qvButton;
class qvCaption;
class qvCheckbox;

// Command codes of the window's controls.
enum QuorvinCommand : int {
  kCommandInstall = 1,        // "Install", later "Quit"
  kCommandCancel = 2,         // "Cancel", later "Do Another"
  kCommandReleaseNotes = 3,
  kCommandTerms = 4,          // the check box: a click only flips it
  kCommandLicense = 5,
  kCommandChangeLocation = 6,
};

extern const char kNotSet[];  // "<not set>"

class QuorvinUI : public qvTabbedWindow {
public:
  // Builds the whole window on bounds (its client area) for the install
  // the command line's options and the program's distribution make
  // (PrepareInstall), with /D= as its location. Without a readable
  // "product.txt", or with a product name that cannot be installed, it
  // tells the user and ends the process with status -1; the log of /LOG=,
  // when given, says why. A signed distribution changed since it was
  // signed is refused the same way, before any of its files is shown or
  // decoded, with status 7.
  // bounds is the layout at 96 DPI (620 x 420); the window is made at the
  // main screen's DPI (less, when it would not fit the screen's work area),
  // and laid out again when it moves to a screen of another (WM_DPICHANGED).
  explicit QuorvinUI(const qvRect& bounds, const SetupOptions& options = SetupOptions());
  // The same over a setup worked out already (PrepareInstallFrom).
  QuorvinUI(const qvRect& bounds, InstallSetup prepared);
  // Stops a running install, which is undone, before the controls go.
  ~QuorvinUI() override;

  bool OnCommand(qvEvent& event) override;
  bool OnPaint(qvEvent& event) override;
  // Escape and Enter, from wherever the focus is.
  bool OnKeyDown(qvEvent& event) override;
  // Closing by the system; the install thread's reports; the busy cursor.
  bool OnOtherMessage(qvEvent& event) override;
  // The window going away ends the program: it never runs on without it.
  bool OnDestroy(qvEvent& event) override;
  // Shows the window and gives the first control the focus.
  void Show() override;
  // Starts the install: the state switch, then the copy on its thread.
  // Asks before a lower version goes over a higher one; true to go on.
  bool AllowDowngrade();
  virtual bool RunInstall();

  // Replaces the location, as the folder chooser does. A location longer
  // than 259 characters is not taken.
  // Sets the one install location (the further ones go).
  void SetLocation(const char* location);
  // Sets the install's locations: the first, and the further ones the
  // same install goes into (a host's other versions).
  void SetLocations(const std::vector<std::string>& locations);
  // The process's exit status for what happened in the window: 0 when the
  // last install succeeded, 1 when it failed (7 when it failed on a signed
  // file not as signed), 4 when none ran or it was cancelled.
  int ExitStatus() const;

  const char* Location() const { return installLocation; }
  const std::vector<std::string>& MoreLocations() const { return moreLocations; }
  TargetKind Kind() const { return static_cast<TargetKind>(targetKind); }
  bool InstallFinished() const { return installFinished != 0; }

private:
  enum class State { kReady, kInstalling, kComplete, kFailed, kCancelled };

  // showWhileMaking: the window shows, painted, before its controls are
  // made (setup.exe's own window); else only at Show.
  QuorvinUI(const qvRect& bounds, InstallSetup prepared, int dpi, bool showWhileMaking);
  // Logs why the product cannot be installed, tells the user and ends the
  // process with -1.
  [[noreturn]] void RefuseProduct();
  // The same for a signed distribution that was changed since it was
  // signed; the process ends with 7.
  [[noreturn]] void RefuseDistribution();
  // The controls at their places of the 96-DPI layout of bounds, scaled.
  void MakeControls(const qvRect& bounds);
  // Every text shown whole in the window's language at its DPI: buttons
  // widen to their labels, captions grow downward and move what lies below
  // them, and the window grows by what the panel then lacks.
  void FitTexts();
  // Lays the window out again at newDpi: its size, every control, the
  // background.
  void ChangeDpi(int newDpi);
  // The background made anew for the window's DPI, and all repainted.
  void Redecorate();
  qvRect ScaledClient() const;
  qvRect ScaledPanel() const;
  void ShowSteps(bool show);
  // The location's display form, or "<not set>" (which also empties a
  // location that has none).
  std::string LocationDisplay();
  // After a failed install, the message, and what it offers: true when
  // the install runs again (Retry, or another location chosen).
  bool OfferRemedy(const InstallOutcome& outcome);
  // The line under the welcome about the installed product, if any, and
  // the caption that shows it (made once there is an earlier install).
  std::string EarlierInstallLine() const;
  void MakeEarlierCaption();
  // The room the install needs and the location's drive has, shown.
  void ShowSpace();
  void ShowLocation();
  // Whether the location is the plug-in folder of the host found, and the
  // host's caption shown while it is.
  bool LocationIsTheHosts() const;
  void ShowHost();
  void OpenViewer(const char* title, const DistributionFile& file);
  // Escape, Alt+F4 and the system's Close: what Cancel or Quit would do.
  void RequestClose();
  // Asks whether to stop the running install, and stops it on Yes.
  void ConfirmCancel();
  void ShowProgress();
  // The install thread has ended: the result, in place.
  void FinishInstall();
  void Focus(qvWindow* control);
  // The program's icon on the frame and in the task bar.
  void SetIcons();

  TextString productName;
  TextString productFolder;
  TextString payloadFolder;
  TextString folderPrompt;
  char installLocation[kPathBufferSize];
  std::vector<std::string> moreLocations;  // further folders of the same install, chosen in HostChooser
  int32_t targetKind;
  uint8_t installFinished;
  std::vector<std::unique_ptr<qvCaption>> stepCaptions;  // the eight step texts
  std::unique_ptr<qvButton> cancelButton;
  std::unique_ptr<qvButton> installButton;
  std::unique_ptr<qvButton> releaseNotesButton;
  std::unique_ptr<qvCheckbox> termsCheckbox;
  std::unique_ptr<qvButton> licenseButton;
  std::unique_ptr<qvCaption> locationCaption;
  std::unique_ptr<qvCaption> hostCaption;  // the host the default location comes from, while it is the location
  std::unique_ptr<qvCaption> earlierCaption;  // under the welcome: the installed version and what this install does to it
  std::unique_ptr<qvCaption> spaceCaption;    // the room the install needs and the location's drive has
  std::unique_ptr<PayloadMeasure> measure;    // the payload's size, measured beside the window
  std::unique_ptr<qvButton> changeLocationButton;
  std::unique_ptr<qvCaption> progressCaption;
  InstallSetup setup;            // what this run installs, worked out once
  qvRect layoutClient;           // the client area at 96 DPI
  DWORD processLayout = 0;       // the process's default layout before a right-to-left language's
  State state = State::kReady;
  enum class LastInstall { kNone, kInstalled, kInstalledRestart, kFailed, kCancelled, kSignedFileChanged } lastInstall = LastInstall::kNone;
  uint32_t resultShownAt = 0;    // tick count when the result of the last install showed
  bool confirming = false;       // the question about cancelling is open
  BusyCursor cursor = {1, kFirstBusyFrame};
  std::unique_ptr<ProgressDisplay> progress;  // while installing
  // Last: destroyed first, so that a running install is stopped and undone
  // while the controls it reports to still exist.
  std::unique_ptr<InstallThread> install;
};
