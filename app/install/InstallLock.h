// One install into a folder at a time. Two installs into one folder would
// each plan against what the other is changing, and both could report
// success over a folder that holds only the last one's files. An install
// therefore holds its destination's lock from its first check to its
// commit: a named mutex, named for the folder's identity, which the
// platform releases when the process dies, so a killed install never
// keeps the folder locked.
//
// The identity is the path the platform resolves the folder to (through
// short names, junctions, substituted and mapped drives) for the part that
// exists, and the rest as written, without regard to case: two spellings of
// one folder take one lock.
#pragma once

#include <windows.h>

#include <string>

#include "app/install/InstallFailure.h"

// The texts of a lock refused: a folder's, a product's.
extern const char kAnotherInstallation[];
extern const char kAnotherRunOfProduct[];

// The name of folder's lock in the platform's global namespace
// ("Global\\qvsetup-<hash of its identity>"). A mutex of that name that
// this process may not open (another's, kept from it) counts as held.
std::wstring InstallLockName(const std::string& folder);
// The name of a product's lock, by its name without regard to case.
std::wstring ProductLockName(const std::string& product);

class InstallLock {
public:
  InstallLock() = default;
  // Releases the lock; it must go on the thread that took it.
  ~InstallLock();
  InstallLock(const InstallLock&) = delete;
  InstallLock& operator=(const InstallLock&) = delete;

  // Takes the lock of folder (a full path). False, with failure, when
  // another install holds it (kAnotherInstallation) or it cannot be made.
  bool Take(const std::string& folder, InstallFailure* failure);
  // Takes the lock of a product, by its name: every install, upgrade and
  // removal of one product holds it from its reading of the product's
  // record until its record is written or removed, so that none acts on
  // a record another is changing. False, with failure, when another run
  // holds it (kAnotherRunOfProduct, the path the product's name).
  bool TakeProduct(const std::string& product, InstallFailure* failure);

private:
  bool TakeNamed(const std::wstring& name, const std::string& what, const char* held, InstallFailure* failure);

  HANDLE mutex = nullptr;  // owned; held while not null
};

// Whether path (a full path) is folder or lies inside it, by their
// identities.
bool IsInsideFolder(const std::string& path, const std::string& folder);
