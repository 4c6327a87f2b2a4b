// What this run of the installer installs, worked out once: the
// install-files folder, what the signature covers of it, the product, the
// files shown (read once, checked, and shown from memory), the payload and
// its kind, the location and the log. The unattended install works it out at its entry
// and the window in its constructor; from then on both only carry it out
// (RunInstallJob), and neither reads "product.txt" or the install-files
// folder again. What an install comes to know of its machine (an earlier
// install of the product, the hosts found) becomes a field here, not a
// third way of working it out.
#pragma once

#include <string>
#include <vector>

#include "app/install/DistributionFiles.h"
#include "app/install/InstallFailure.h"
#include "app/install/InstallJob.h"
#include "app/install/InstallRecord.h"
#include "app/install/InstallTarget.h"
#include "app/install/ProductFile.h"
#include "app/install/SetupOptions.h"
#include "common/Languages.h"

enum class SetupMode { kWindow, kUnattended };

struct InstallSetup {
  SetupMode mode = SetupMode::kWindow;
  std::string installFiles;  // the install-files folder; empty when it cannot be formed
  std::string productFile;   // its "product.txt"
  // What setup.exe's signature covers of the folder. A changed
  // distribution is read no further: no product, no picture, no texts.
  DistributionCoverage coverage;
  Product product;           // as read
  // "bkgd.jpg", "readme.txt" and "eula.txt" (or the language's own,
  // "readme.de.txt"), as read (and checked) once: what the window decodes
  // and shows.
  DistributionFile picture, releaseNotes, licence;
  // Why there is no product to install (the folder, the file or the name);
  // an empty reason and path when there is one.
  InstallFailure unknownProduct;
  // The language the window and the vendor's texts are in: /LANG='s, or the
  // user's UI language's (Languages.h); and how it was chosen, for the log.
  const Language* language = &EnglishLanguage();
  std::string languageNote;
  InstallTarget target;      // the payload's kind, folder name, prompt, default location and its note
  std::string payload;       // the payload folder's full path
  std::string location;      // /D=, or else the kind's default; empty when neither gives one
  bool locationGiven = false;  // the location is /D='s
  // Further locations of the same install: with /HOSTS=all every other
  // host version's folder, or, for an upgrade, the other folders the
  // product's records tell of (an install into several hosts).
  std::vector<std::string> moreLocations;
  std::string logPath;       // /LOG=; empty for none
  bool allowDowngrade = false;  // /ALLOWDOWNGRADE, or the window's user said yes to a downgrade
  // The product's earlier install, when its record can be read: an
  // upgrade offers (the window) or takes (/S without /D=) its location.
  bool hasEarlier = false;
  InstallRecord earlier;

  bool KnownProduct() const { return unknownProduct.reason.empty(); }
  bool DistributionChanged() const { return coverage.Changed(); }
  // The product's version is lower than the earlier install's.
  bool IsDowngrade() const;
  // Whether an install into location goes into the earlier install's
  // folder: only then does it replace it (an install into another folder
  // leaves it as it is).
  bool GoesIntoEarlier(const char* location) const;
  // What the window says of the earlier install under its welcome, for an
  // install into location ("Kestrova Lumen will be upgraded from 1.0.0 to
  // 2.1.0 in C:/..."); empty without one. shown: the folder as the window
  // shows it (the earlier install's folder when empty).
  std::string EarlierInstallLine(const char* location, const std::string& shown = std::string()) const;
  // The line under a successful install's result that went over an
  // earlier one of earlierVersion ("Upgraded from 1.0.0.").
  std::string ReplacedLine(const std::string& earlierVersion) const;
  // After a successful install into destination from location: it is now
  // the earlier install that the window's next install finds.
  void Installed(const std::string& location, const std::string& destination);
  // name inside the install-files folder; empty when it would not fit in
  // a path.
  std::string FileOf(const char* name) const;
  // The install of this setup's product and payload into location (and,
  // all or nothing, into more, when given; not owned).
  InstallJob JobInto(const char* location, const std::vector<std::string>* more = nullptr) const;
  // The other folders the product's records tell of, beside the earlier
  // install's: their locations, of this kind, while they are there.
  std::vector<std::string> EarlierOtherLocations() const;
};

// The setup of this run: the program's own install-files folder and the
// command line.
InstallSetup PrepareInstall(const SetupOptions& options, SetupMode mode);

// The same for any install-files folder (empty: none could be formed, for
// the reason why), covered by slot (the program's own, or, for the
// distribution checker, the one in its setup.exe); slotProblem says why
// the slot could not be read.
InstallSetup PrepareInstallFrom(const std::string& installFiles, const std::string& why, const SetupOptions& options,
                                SetupMode mode, const ManifestSlot& slot = ManifestSlot(),
                                const std::string& slotProblem = std::string());



// "unknown product: ..." for the log, with the path and code concerned.
std::string UnknownProductLine(const InstallSetup& setup);
