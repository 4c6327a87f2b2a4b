// The new record and uninstaller are on the disk before the install that
// writes them commits, and a first install that fails leaves nothing of
// them behind.
#include "app/install/ProductRegistration.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/install/InstallRecord.h"
#include "tests/app/install/RecordingFlush.h"

namespace {

TEST(ProductRegistration, TheRecordAndTheUninstallerAreOnTheDiskBeforeTheCommit) {
  const struct {
    const char* refused;
    const char* reason;  // empty: prepared
  } cases[] = {
      {"", ""},
      {"install record", ""},
      {"uninstall.exe", "the uninstaller could not be written to the disk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.refused);
    InstallRecord record;
    record.product = "Registration Flush Test";
    record.kind = TargetApplication;
    record.location = "C:\\Program Files";
    record.destination = "C:\\Program Files\\Registration Flush Test";
    std::string folder;
    {
      Registration registration(record.product);
      folder = registration.Place().folder;
      // The folder of every product's uninstaller is there already, as other
      // tests use it at the same time: only this product's own goes.
      const std::string shared = folder.substr(0, folder.find_last_of('\\'));
      SHCreateDirectoryExA(nullptr, shared.c_str(), nullptr);
      RecordingFlush disk;
      disk.refused = c.refused;
      registration.SetDiskFlush(disk);
      InstallFailure failure;
      const bool prepared = registration.Prepare(record, &failure);
      EXPECT_EQ(prepared, std::string(c.refused).empty()) << failure.reason;
      if (prepared) {
        EXPECT_EQ(disk.flushed, (std::vector<std::string>{"install record", "uninstall.exe"}));
      } else {
        EXPECT_EQ(failure.error, static_cast<uint32_t>(ERROR_IO_DEVICE));
        if (*c.reason) EXPECT_EQ(failure.reason, c.reason);
      }
      // Not published: it goes with the object.
    }
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "a first install's folder stays";
  }
}

}  // namespace
