// Where an installed product is known to Windows and to the uninstaller:
// its record (InstallRecord.h) and its uninstaller, a byte copy of the
// installer, in a folder of its own under the machine's common files,
//
//   C:\Program Files\Common Files\Kestrova Uninstall\<product>\install record
//   C:\Program Files\Common Files\Kestrova Uninstall\<product>\uninstall.exe
//
// and its entry in Apps & features, under HKLM\...\Uninstall\Kestrova.<product>
// in the 32-bit view of the registry (the installer is a 32-bit program,
// and Apps & features lists both views). Neither lies in the install
// folder, which may be a host's plug-in folder that other products share:
// only administrators may write where they lie. A product whose name
// cannot be a folder's name, or would make a path too long, gets one made
// from a hash of its name instead, so that two products never share one.
//
// An install registers in two steps around its commit: Prepare writes
// the new record and uninstaller beside the ones in force, before the
// commit, so that a failure there undoes the install; Publish puts them in
// force and writes the entry, after it.
#pragma once

#include <string>

#include "app/install/FileFlusher.h"
#include "app/install/InstallFailure.h"
#include "app/install/InstallRecord.h"

// The name the entry gives as its publisher.
extern const char kPublisher[];

struct RegistrationPlace {
  std::string folder;       // the product's folder of the record and uninstaller
  std::string record;       // its record
  std::string uninstaller;  // its uninstaller
  std::wstring key;         // the entry's key, under HKEY_LOCAL_MACHINE
};

// Where product's record, uninstaller and entry are.
RegistrationPlace RegistrationPlaceOf(const std::string& product);
// The same for the uninstaller running from folder (its own folder).
RegistrationPlace RegistrationPlaceIn(const std::string& folder, const std::string& product);

// Reads the record at path. False with *why when there is none
// (*missing true) or it cannot be read or is not a record (*missing false).
bool LoadInstallRecord(const std::string& path, InstallRecord* record, std::string* why, bool* missing);

// The entry's values, as Apps & features and IT tools read them.
struct UninstallEntry {
  std::string displayName, displayVersion, publisher, installLocation;
  std::string uninstallString, quietUninstallString, displayIcon;
  uint32_t estimatedSizeKiB = 0;
  std::string installDate;  // YYYYMMDD
  uint32_t noModify = 0, noRepair = 0;
};

// The entry of a record whose uninstaller is at uninstaller.
UninstallEntry EntryOf(const InstallRecord& record, const std::string& uninstaller);

// A registration in progress: Prepare, then Publish or let it go (the
// staged files are removed).
class Registration {
public:
  explicit Registration(const std::string& product);
  ~Registration();
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

  // Writes the new record and a copy of this program beside those in
  // force, each flushed to the disk before it returns (journal rule 4).
  // Nothing in force changes.
  bool Prepare(const InstallRecord& record, InstallFailure* failure);
  // Puts them in force and writes the entry. What fails is told in
  // leftovers: the install stands, and the log says what is missing.
  void Publish(std::vector<InstallFailure>* leftovers);

  const RegistrationPlace& Place() const { return place; }
  // How the files are put on the disk: a test's seam. disk must outlive
  // this object.
  void SetDiskFlush(DiskFlush& seam) { disk = &seam; }

private:
  void Discard();

  RegistrationPlace place;
  InstallRecord record;
  bool prepared = false;
  DiskFlush* disk = &PlatformDiskFlush();  // not owned
  std::vector<std::string> madeFolders;  // by Prepare, outermost first: a discard removes them again
};

// Removes a product's entry, record and uninstaller (the running program
// too: where Windows keeps a running program's file, it is moved to the
// temporary folder and deleted at the next start), then its folder.
// What fails is told in leftovers.
void Unregister(const RegistrationPlace& place, std::vector<InstallFailure>* leftovers);
