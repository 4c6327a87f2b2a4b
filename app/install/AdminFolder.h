// The installer's own folder, where only administrators write: the
// machine's common files folder as the system names it (the known folder,
// which an administrator may have moved to another drive), then
//
//   <Common Files>\Kestrova Uninstall\<product>\...   each product's record and uninstaller (ProductRegistration.h)
//   <Common Files>\Kestrova Uninstall\journals\...    the journals of installs and uninstalls at work (journal rule 8)
//
// Nothing else the installer reads is trusted as what it wrote: an install
// folder may be one that users write to (a host's plug-in folder, a folder
// made for /D=). The folder is made with a protected access list, so that
// it stays an administrators' folder wherever Common Files lies.
#pragma once

#include <string>
#include <vector>

#include "app/install/InstallFailure.h"

// Where Common Files lay for every release before the known folder was
// asked: records found there are still used where they are.
extern const char kLegacyCommonFiles[];

// <Common Files>\Kestrova Uninstall, from the known folder (asked once a
// process); the legacy fixed path when the system cannot name it.
std::string AdminFolder();
// The same under the legacy fixed path.
std::string LegacyAdminFolder();
// The folder of the journals.
std::string JournalFolder();

// Makes folder (inside the admin folder) and the folders above it that
// are missing, the admin folder itself with its access list; made receives
// those it made, outermost first. One that is a link, a junction or a file
// fails it: nothing is written through one.
bool MakeAdminFolders(const std::string& folder, std::vector<std::string>* made, InstallFailure* failure,
                      int retries = 4);
