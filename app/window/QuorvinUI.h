// QuorvinUI: the installer's one window. It reads which product it installs
// ("product.txt"), works out the payload and the default location, shows
// the four steps of an install on a lightened panel over the background
// picture ("bkgd.jpg"), lets the user read the release notes and the terms
// in the viewer, accept the terms and change the location, then runs the
// copy and reports the result in place: "Quit" and "Do Another" after
// success, "Quit" alone after a failure. It owns its controls.
//
// States: Ready (the steps) -> Installing -> Complete or Failed; "Do
// Another" goes from Complete back to Ready with the check box and the
// location kept. installFinished is set in Complete and Failed. A failed
// install has been undone: the destination is as it was.
#pragma once

#include <cstdint>
#include <string>

#include "app/install/TargetKind.h"
#include "common/PointerList.h"
#include "common/TextString.h"
#include "toolkit/window/qvWindow.h"

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

class QuorvinUI : public qvWindow {
public:
  // Builds the whole window on bounds (its client area). Without a readable
  // "product.txt", or with a product name that cannot be installed, it
  // tells the user and ends the process with status -1; the log at
  // logPath, when given, says why.
  explicit QuorvinUI(const qvRect& bounds, const std::string& logPath = std::string());
  ~QuorvinUI() override;

  bool OnCommand(qvEvent& event) override;
  bool OnPaint(qvEvent& event) override;
  // The install: the state switch, the copy with its progress, the result.
  virtual bool RunInstall();

  // Replaces the location, as the folder chooser does. A location longer
  // than 259 characters is not taken.
  void SetLocation(const char* location);
  // The process's exit status for what happened in the window: 0 when the
  // last install succeeded, 1 when it failed, 4 when none ran.
  int ExitStatus() const;

  const char* Location() const { return installLocation; }
  TargetKind Kind() const { return static_cast<TargetKind>(targetKind); }
  bool InstallFinished() const { return installFinished != 0; }

private:
  // Logs why the product cannot be installed, tells the user and ends the
  // process with -1.
  [[noreturn]] void RefuseProduct(const char* productFile, const std::string& why);
  void ShowSteps(bool show);
  // The location's display form, or "<not set>" (which also empties a
  // location that has none).
  std::string LocationDisplay();
  void ShowLocation();
  void OpenViewer(const char* title, const char* file);

  TextString productName;
  TextString productFolder;
  TextString payloadFolder;
  TextString folderPrompt;
  char installLocation[260];
  int32_t targetKind;
  uint8_t installFinished;
  PointerList<qvCaption> stepCaptions;  // owned
  qvButton* cancelButton;               // owned
  qvButton* installButton;              // owned
  qvButton* releaseNotesButton;         // owned
  qvCheckbox* termsCheckbox;            // owned
  qvButton* licenseButton;              // owned
  qvCaption* locationCaption;           // owned
  qvButton* changeLocationButton;       // owned
  qvCaption* progressCaption;           // owned
  std::string logPath;                  // where installs are logged (setup.exe /LOG=FILE); empty for none
  uint32_t resultShownAt = 0;           // tick count when the result of the last install showed
  enum class LastInstall { kNone, kInstalled, kFailed } lastInstall = LastInstall::kNone;
};
