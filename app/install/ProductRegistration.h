// Where an installed product is known to Windows and to the uninstaller:
// its record (InstallRecord.h) and its uninstaller, a byte copy of the
// installer, in a folder of its own in the installer's admin folder
// (AdminFolder.h),
//
//   <Common Files>\Kestrova Uninstall\<product>\install record
//   <Common Files>\Kestrova Uninstall\<product>\install record <16 hex digits>
//   <Common Files>\Kestrova Uninstall\<product>\uninstall.exe
//
// and its entry in Apps & features, under HKLM\...\Uninstall\Kestrova.<product>
// in the 32-bit view of the registry (the installer is a 32-bit program,
// and Apps & features lists both views). Neither lies in the install
// folder, which may be a host's plug-in folder that other products share:
// only administrators may write where they lie. A product whose name
// cannot be a folder's name, or would make a path too long, gets one made
// from a hash of its name instead, so that two products never share one.
//
// "install record" is the record of the product's last install. A
// product installed into one folder and then into another keeps both: the
// earlier folder's record stays beside it, named for that folder's
// identity, and the uninstaller removes what each record tells of. (Only
// the user can tell whether the earlier folder is still wanted, say a
// host's other version; removing it silently would take away what they
// use, and forgetting it would leave it where no uninstaller finds it.) An
// install into a folder that has such a record takes it up again.
//
// An install registers in steps of its own journal (journal rule 9): the
// plan names every file it puts in force or removes and the entry; Prepare
// writes the new files beside those in force before the commit; each step
// then moves the one in force aside under ".old-<pid>" and the new one in,
// so that an undo (of a failure, or by a later run after a kill) puts the
// earlier ones back, and the commit's finish deletes them.
#pragma once

#include <string>
#include <vector>

#include "app/install/FileFlusher.h"
#include "app/install/InstallJournal.h"
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

// Where product's record, uninstaller and entry are: in the admin folder,
// or in the legacy one where the product's record already lies there.
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

// The record kept for an earlier install in destination, beside place's.
std::string OtherRecordPath(const RegistrationPlace& place, const std::string& destination);
// The other records in place's folder, by path.
std::vector<std::string> OtherRecordPaths(const RegistrationPlace& place);

// The registration of one install, in its transaction.
class Registration {
public:
  explicit Registration(const std::string& product);
  ~Registration();
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

  // The plan's entries of an install into destination (and, as one
  // install, into others), numbered from first, as what is in force now
  // asks: the record and the uninstaller put in force, the record of
  // another folder kept beside them, this folder's own kept record taken
  // up, each other folder's record beside them, then the entry.
  std::vector<JournalEntry> Plan(uint32_t first, const std::string& destination,
                                 const std::vector<std::string>& others = {});
  // Writes the new record (and the records of the others, in Plan's
  // order), a copy of this program and a kept record beside those in
  // force, each flushed to the disk before it returns (journal rule 4).
  // Nothing in force changes.
  bool Prepare(const InstallRecord& record, InstallFailure* failure, const std::vector<InstallRecord>& others = {});
  // Takes one planned step, announced already: a file put in force, or
  // the entry written. A failure is undone with the install.
  bool TakeStep(const JournalEntry& entry, InstallFailure* failure);

  const RegistrationPlace& Place() const { return place; }
  // How the files are put on the disk: a test's seam. disk must outlive
  // this object.
  void SetDiskFlush(DiskFlush& seam) { disk = &seam; }

private:
  void Discard();

  RegistrationPlace place;
  InstallRecord record;
  std::string keptPath, keptBytes;  // the record of another folder that stays, and its bytes
  std::vector<std::string> otherPaths;  // the records of the install's other folders
  bool prepared = false;
  DiskFlush* disk = &PlatformDiskFlush();  // not owned
  std::vector<std::string> madeFolders;  // by Prepare, outermost first: a discard removes them again
};

// Undoes the registration steps of an install's journal that were not
// committed: each file is put back as it was, the entry rewritten from
// the record in force again (or removed, when there was none), the new
// files deleted. An uninstall's removal that had begun is finished
// instead (journal rule 9). What cannot be done goes to leftovers.
void UndoRegistration(const Journal& journal, std::vector<InstallFailure>* leftovers);
// Finishes a committed journal's registration: the earlier files go; an
// uninstall's removal is finished.
void FinishRegistration(const Journal& journal, std::vector<InstallFailure>* leftovers);

// Removes a product's entry, records and uninstaller (the running program
// too: where Windows keeps a running program's file, it is moved to the
// temporary folder and deleted at the next start), then its folder.
// What fails is told in leftovers.
void Unregister(const RegistrationPlace& place, std::vector<InstallFailure>* leftovers);
