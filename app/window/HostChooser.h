// HostChooser: the modal chooser of the host versions a plug-in goes into,
// for a kind whose registry holds more than one with a folder of its own
// (every Photoshop keeps its own plug-in folder). Each host found is a
// check box (its name and version) with its folder beside it, the newest
// first; "Other Folder..." leaves it for the folder chooser, "OK" takes
// the ticked ones (at least one), "Cancel" or Escape changes nothing.
// Tab and Shift+Tab go through the check boxes and buttons in reading
// order, Space flips a box, Enter is OK. It owns its controls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/install/InstallTarget.h"
#include "toolkit/window/qvTabbedWindow.h"

class qvButton;
class qvCaption;
class qvCheckbox;

// Which hosts start ticked: those whose folders are location or one of
// more (the current choice), or else the newest alone.
std::vector<bool> InitialTicks(const std::vector<HostFolder>& hosts, const std::string& location,
                               const std::vector<std::string>& more);

class HostChooser : public qvTabbedWindow {
public:
  enum class Choice { kCancelled, kHosts, kOtherFolder };

  // hosts: newest first; users: who loads the plug-ins ("Photoshop");
  // ticked: as InitialTicks gives. The chooser belongs to owner (not
  // owned) and opens centred over it, at its DPI.
  HostChooser(std::vector<HostFolder> hosts, const char* users, const std::vector<bool>& ticked, qvWindow* owner);
  ~HostChooser() override;

  void GetTypeName(char* buffer) override;
  // Shows the chooser and runs its modal loop until it is left.
  Choice Run();
  // The ticked hosts' folders, newest first.
  std::vector<std::string> TickedFolders() const;

  bool OnCommand(qvEvent& event) override;
  bool OnPaint(qvEvent& event) override;
  bool OnKeyDown(qvEvent& event) override;
  // Closing by the system is Cancel.
  bool OnOtherMessage(qvEvent& event) override;

private:
  void End(Choice choice);
  // OK only while a box is ticked.
  void UpdateOk();

  std::vector<HostFolder> hosts;
  Choice choice = Choice::kCancelled;
  // Made in reading order; released in reverse before the window goes.
  std::unique_ptr<qvCaption> heading;
  std::vector<std::unique_ptr<qvCheckbox>> boxes;
  std::vector<std::unique_ptr<qvCaption>> folders;
  std::unique_ptr<qvButton> otherButton, okButton, cancelButton;
};
