#include "app/install/InstallSetup.h"

#include <cstdio>

#include "app/install/FileTree.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallNames.h"
#include "app/install/PathNames.h"
#include "app/install/ProductRegistration.h"
#include "app/install/UiText.h"
#include "app/install/UninstallJob.h"
#include "resources/StringIds.h"

namespace {

// Larger texts are refused rather than held three times over (bytes,
// lines and rows): release notes and licence terms are small.
constexpr size_t kLargestText = 16u << 20;
// The picture: as much as the image library reads of a JPEG.
constexpr size_t kLargestPicture = size_t{256} << 20;

// A vendor's text in the language: its own ("eula.pt-BR.txt"), else its
// primary language's ("eula.pt.txt"), else the plain one; a file that is
// there but cannot be read is the one shown (its notice), not passed over.
DistributionFile ReadLocalizedText(const std::string& folder, const char* base, const Language& language,
                                   DistributionCoverage* coverage) {
  DistributionFile file;
  for (const std::string& name : LocalizedTextNames(base, language)) {
    file = ReadDistributionFile(folder, name.c_str(), kLargestText, coverage);
    if (file.read || file.error != ERROR_FILE_NOT_FOUND) break;
  }
  return file;
}

// The install-files folder's files, each read once and checked against
// the signed list, then the product named by "product.txt", or why there
// is none to install as kind. A changed distribution is read no further.
void ReadDistribution(InstallSetup* setup) {
  char path[kPathBufferSize];
  if (!JoinPathWithin(setup->installFiles.c_str(), "product.txt", path)) {
    setup->unknownProduct = MakeFailure("", 0, "the path of \"product.txt\" would pass " +
                                                   std::to_string(kMaxPathLength) + " characters");
    return;
  }
  setup->productFile = path;
  DistributionCoverage& coverage = setup->coverage;
  const std::string& folder = setup->installFiles;
  const DistributionFile product = ReadDistributionFile(folder, "product.txt", kProductReadLimit, &coverage);
  setup->picture = ReadDistributionFile(folder, "bkgd.jpg", kLargestPicture, &coverage);
  setup->releaseNotes = ReadLocalizedText(folder, "readme", *setup->language, &coverage);
  setup->licence = ReadLocalizedText(folder, "eula", *setup->language, &coverage);
  setup->languageNote += "; texts: " + setup->releaseNotes.name + ", " + setup->licence.name;
  NoteIgnoredEntries(folder, setup->target.payloadFolder, &coverage);
  if (coverage.Changed()) {
    for (DistributionFile* file : {&setup->picture, &setup->releaseNotes, &setup->licence}) *file = DistributionFile();
    return;
  }
  if (!product.read) {
    setup->unknownProduct = MakeFailure(path, product.error, SystemErrorText(product.error));
    return;
  }
  setup->product = ProductFromBytes(product.bytes);
  const std::string refusal = ProductRefusal(setup->product, setup->target.kind);
  if (!refusal.empty()) setup->unknownProduct = MakeFailure(path, 0, refusal);
}

}  // namespace

std::string InstallSetup::FileOf(const char* name) const {
  char path[kPathBufferSize];
  return JoinPathWithin(installFiles.c_str(), name, path) ? path : "";
}

InstallJob InstallSetup::JobInto(const char* where, const std::vector<std::string>* more) const {
  InstallJob job = {product.name.c_str(), target.kind, target.payloadFolder, payload.c_str(), where};
  job.moreLocations = more;
  job.host = target.host.chosen.c_str();
  job.hostsSeen = target.host.seen.c_str();
  job.hostKey = target.host.key.c_str();
  job.language = languageNote.c_str();
  job.registers = true;
  job.version = product.version.c_str();
  job.allowDowngrade = allowDowngrade;
  job.coverage = &coverage;
  return job;
}

bool InstallSetup::IsDowngrade() const {
  return hasEarlier && IsVersionDowngrade(product.version, earlier.version);
}

bool InstallSetup::GoesIntoEarlier(const char* where) const {
  char folder[kPathBufferSize];
  std::string full;
  InstallFailure ignored;
  return hasEarlier && where && where[0] && FullPath(where, &full, &ignored) &&
         InstallDestination(full.c_str(), product.name.c_str(), target.kind, folder) &&
         RecordedPathKey(folder) == RecordedPathKey(earlier.destination);
}

std::string InstallSetup::EarlierInstallLine(const char* where, const std::string& shown) const {
  if (!hasEarlier) return std::string();
  // One line of the window: what happens first, the folder last, where an
  // ellipsis may cut a long one.
  const std::string& folder = shown.empty() ? earlier.destination : shown;
  const std::string& name = product.name;
  const std::string installed = name + (earlier.version.empty() ? "" : " " + earlier.version);
  if (!GoesIntoEarlier(where)) return UiText(IDS_EARLIER_STAYS, {installed, folder});
  const std::string& version = product.version;
  if (version.empty()) return UiText(IDS_EARLIER_NO_VERSION, {installed, folder});
  if (earlier.version.empty()) return UiText(IDS_EARLIER_REPLACED_BY, {name, version, folder});
  const int order = CompareVersions(version, earlier.version);
  if (order > 0) return UiText(IDS_EARLIER_UPGRADED, {name, earlier.version, version, folder});
  if (order == 0) return UiText(IDS_EARLIER_AGAIN, {installed, folder});
  return UiText(IDS_EARLIER_OLDER, {installed, version, folder});
}

std::string InstallSetup::ReplacedLine(const std::string& earlierVersion) const {
  if (earlierVersion.empty() || (!product.version.empty() && CompareVersions(product.version, earlierVersion) > 0))
    return earlierVersion.empty() ? UiText(IDS_REPLACED_EARLIER) : UiText(IDS_REPLACED_UPGRADED, {earlierVersion});
  if (!product.version.empty() && CompareVersions(product.version, earlierVersion) == 0)
    return UiText(IDS_REPLACED_AGAIN, {earlierVersion});
  return UiText(IDS_REPLACED_VERSION, {earlierVersion});
}

void InstallSetup::Installed(const std::string& where, const std::string& destination) {
  hasEarlier = true;
  earlier.product = product.name;
  earlier.version = product.version;
  earlier.kind = target.kind;
  earlier.location = where;
  earlier.destination = destination;
}

InstallSetup PrepareInstallFrom(const std::string& installFiles, const std::string& why, const SetupOptions& options,
                                SetupMode mode, const ManifestSlot& slot, const std::string& slotProblem) {
  InstallSetup setup;
  setup.mode = mode;
  setup.installFiles = installFiles;
  setup.logPath = options.logPath;
  // The language first: it decides which texts are read.
  const LANGID userLanguage = GetUserDefaultUILanguage();
  const Language* given = options.language.empty() ? nullptr : LanguageForTag(options.language);
  setup.language = given ? given : &LanguageForId(userLanguage);
  char id[16];
  std::snprintf(id, sizeof id, "0x%04X", static_cast<unsigned>(userLanguage));
  setup.languageNote = std::string(setup.language->name) + " (" + setup.language->tag + "), " +
                       (given ? std::string("as /LANG= asks") : "the user's UI language " + std::string(id));
  ResolveInstallTargetIn(installFiles.c_str(), &setup.target);
  if (installFiles.empty()) {
    setup.unknownProduct = MakeFailure("", 0, why.empty() ? "the install-files folder cannot be formed" : why);
  } else {
    setup.coverage = CoverDistribution(installFiles, slot, slotProblem);
    ReadDistribution(&setup);
  }
  setup.payload = setup.FileOf(setup.target.payloadFolder);
  setup.allowDowngrade = options.allowDowngrade;
  setup.locationGiven = !options.location.empty();
  setup.location = setup.locationGiven ? options.location : setup.target.location;
  if (setup.KnownProduct() && !setup.DistributionChanged() && setup.target.kind != TargetNone) {
    std::string why;
    bool missing = false;
    const std::string record = RegistrationPlaceOf(setup.product.name).record;
    setup.hasEarlier = LoadInstallRecord(record, &setup.earlier, &why, &missing);
    // Another kind of payload under the same name, or an install whose
    // folder is gone, is no earlier install to offer.
    if (setup.hasEarlier && (setup.earlier.kind != setup.target.kind ||
                             !FolderExists(setup.earlier.destination.c_str())))
      setup.hasEarlier = false;
    if (setup.hasEarlier && !setup.locationGiven && !options.allHosts) {
      setup.location = setup.earlier.location;
      setup.moreLocations = setup.EarlierOtherLocations();
    }
  }
  // Every host version's folder, the newest first.
  if (options.allHosts && !setup.locationGiven && setup.target.kind != TargetNone) {
    const std::vector<HostFolder> hosts = HostChoices(setup.target.kind);
    setup.location = hosts.empty() ? std::string() : hosts.front().folder;
    for (size_t i = 1; i < hosts.size(); ++i) setup.moreLocations.push_back(hosts[i].folder);
  }
  return setup;
}

std::vector<std::string> InstallSetup::EarlierOtherLocations() const {
  std::vector<std::string> locations;
  if (!hasEarlier) return locations;
  const RegistrationPlace place = RegistrationPlaceOf(product.name);
  for (const std::string& path : OtherRecordPaths(place)) {
    InstallRecord other;
    std::string why;
    bool missing = false;
    if (LoadInstallRecord(path, &other, &why, &missing) && other.kind == target.kind &&
        RecordedPathKey(other.destination) != RecordedPathKey(earlier.destination) &&
        FolderExists(other.destination.c_str()))
      locations.push_back(other.location);
  }
  return locations;
}

InstallSetup PrepareInstall(const SetupOptions& options, SetupMode mode) {
  char folder[kPathBufferSize];
  std::string why, slotProblem;
  InstallFilesFolder(folder, &why);
  ManifestSlot slot;
  OwnManifestSlot(&slot, &slotProblem);
  return PrepareInstallFrom(folder, why, options, mode, slot, slotProblem);
}


std::string UnknownProductLine(const InstallSetup& setup) {
  const InstallFailure& unknown = setup.unknownProduct;
  return LogErrorLine(unknown.path.empty() ? nullptr : unknown.path.c_str(), unknown.error,
                      "unknown product: " + unknown.reason);
}
