#include "app/install/InstallSetup.h"

#include "app/install/FileTree.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallLogText.h"
#include "app/install/InstallNames.h"
#include "app/install/PathNames.h"
#include "app/install/ProductRegistration.h"

namespace {

// The product named by the install-files folder's "product.txt", or why
// there is none to install as kind.
void ReadProduct(InstallSetup* setup) {
  char path[kPathBufferSize];
  if (!JoinPathWithin(setup->installFiles.c_str(), "product.txt", path)) {
    setup->unknownProduct = MakeFailure("", 0, "the path of \"product.txt\" would pass " +
                                                   std::to_string(kMaxPathLength) + " characters");
    return;
  }
  setup->productFile = path;
  uint32_t error = 0;
  if (!ReadProductFile(path, &setup->product, &error)) {
    setup->unknownProduct = MakeFailure(path, error, SystemErrorText(error));
    return;
  }
  const std::string refusal = ProductRefusal(setup->product, setup->target.kind);
  if (!refusal.empty()) setup->unknownProduct = MakeFailure(path, 0, refusal);
}

}  // namespace

std::string InstallSetup::FileOf(const char* name) const {
  char path[kPathBufferSize];
  return JoinPathWithin(installFiles.c_str(), name, path) ? path : "";
}

InstallJob InstallSetup::JobInto(const char* where) const {
  InstallJob job = {product.name.c_str(), target.kind, target.payloadFolder, payload.c_str(), where};
  job.host = target.host.chosen.c_str();
  job.hostsSeen = target.host.seen.c_str();
  job.registers = true;
  job.version = product.version.c_str();
  job.allowDowngrade = allowDowngrade;
  return job;
}

bool InstallSetup::IsDowngrade() const {
  return hasEarlier && !product.version.empty() && !earlier.version.empty() &&
         CompareVersions(product.version, earlier.version) < 0;
}

InstallSetup PrepareInstallFrom(const std::string& installFiles, const std::string& why, const SetupOptions& options,
                                SetupMode mode) {
  InstallSetup setup;
  setup.mode = mode;
  setup.installFiles = installFiles;
  setup.logPath = options.logPath;
  ResolveInstallTargetIn(installFiles.c_str(), &setup.target);
  if (installFiles.empty())
    setup.unknownProduct = MakeFailure("", 0, why.empty() ? "the install-files folder cannot be formed" : why);
  else
    ReadProduct(&setup);
  setup.payload = setup.FileOf(setup.target.payloadFolder);
  setup.allowDowngrade = options.allowDowngrade;
  setup.locationGiven = !options.location.empty();
  setup.location = setup.locationGiven ? options.location : setup.target.location;
  if (setup.KnownProduct() && setup.target.kind != TargetNone) {
    std::string why;
    bool missing = false;
    const std::string record = RegistrationPlaceOf(setup.product.name).record;
    setup.hasEarlier = LoadInstallRecord(record, &setup.earlier, &why, &missing);
    // Another kind of payload under the same name, or an install whose
    // folder is gone, is no earlier install to offer.
    if (setup.hasEarlier && (setup.earlier.kind != setup.target.kind ||
                             !FolderExists(setup.earlier.destination.c_str())))
      setup.hasEarlier = false;
    if (setup.hasEarlier && !setup.locationGiven) setup.location = setup.earlier.location;
  }
  return setup;
}

InstallSetup PrepareInstall(const SetupOptions& options, SetupMode mode) {
  char folder[kPathBufferSize];
  std::string why;
  InstallFilesFolder(folder, &why);
  return PrepareInstallFrom(folder, why, options, mode);
}

std::string UnknownProductLine(const InstallSetup& setup) {
  const InstallFailure& unknown = setup.unknownProduct;
  return LogErrorLine(unknown.path.empty() ? nullptr : unknown.path.c_str(), unknown.error,
                      "unknown product: " + unknown.reason);
}
