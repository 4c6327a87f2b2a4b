// What a run installs, worked out once from an install-files folder and
// the command line: the product or why it is unknown, the payload, the
// location and where each came from.
#include "app/install/InstallSetup.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/app/Scratch.h"

namespace {

class InstallSetupTest : public ScratchTest {
protected:
  InstallSetup Prepare(const std::string& location = "", const std::string& why = "") {
    SetupOptions options;
    options.location = location;
    options.logPath = "C:\\setup.log";
    return PrepareInstallFrom(why.empty() ? Path("dist/install files") : "", why, options, SetupMode::kUnattended);
  }
};

TEST_F(InstallSetupTest, AProductAndItsPayloadAndLocation) {
  Put("dist/install files/product.txt", "\xEF\xBB\xBFQuorvin Tools\r\n");
  MakeFolder("dist/install files/App Files");
  MakeFolder("dist/install files/FX Files");
  const InstallSetup defaulted = Prepare();
  ASSERT_TRUE(defaulted.KnownProduct()) << defaulted.unknownProduct.reason;
  EXPECT_EQ(defaulted.product.name, "Quorvin Tools");
  EXPECT_EQ(defaulted.target.kind, TargetFxPlug) << "the last payload folder found wins";
  EXPECT_EQ(defaulted.payload, Path("dist/install files/FX Files"));
  EXPECT_EQ(defaulted.location, "C:\\Program Files");
  EXPECT_FALSE(defaulted.locationGiven);
  EXPECT_EQ(defaulted.logPath, "C:\\setup.log");
  EXPECT_EQ(defaulted.FileOf("eula.txt"), Path("dist/install files/eula.txt"));
  EXPECT_EQ(defaulted.FileOf(std::string(260, 'n').c_str()), "") << "a path past 259 characters is none";

  const InstallSetup given = Prepare("D:\\Plug-ins");
  EXPECT_TRUE(given.locationGiven);
  const InstallJob job = given.JobInto(given.location.c_str());
  EXPECT_STREQ(job.productName, "Quorvin Tools");
  EXPECT_EQ(job.kind, TargetFxPlug);
  EXPECT_STREQ(job.source, given.payload.c_str());
  EXPECT_STREQ(job.location, "D:\\Plug-ins");
}

// Each way of having no product to install says which and why, as the log
// line tells it.
TEST_F(InstallSetupTest, AnUnknownProductSaysWhy) {
  const InstallSetup noFolder = Prepare("", "the program's path is too long");
  EXPECT_FALSE(noFolder.KnownProduct());
  EXPECT_EQ(UnknownProductLine(noFolder), "error: unknown product: the program's path is too long");

  MakeFolder("dist/install files/App Files");
  const InstallSetup noFile = Prepare();
  EXPECT_FALSE(noFile.KnownProduct());
  EXPECT_EQ(noFile.unknownProduct.path, Path("dist/install files/product.txt"));
  EXPECT_EQ(noFile.unknownProduct.error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(UnknownProductLine(noFile).rfind("error: " + Path("dist/install files/product.txt") + ": unknown product: ", 0),
            0u);

  Put("dist/install files/product.txt", "..\\..\\Windows\r\n");
  const InstallSetup refused = Prepare();
  EXPECT_FALSE(refused.KnownProduct());
  EXPECT_EQ(refused.unknownProduct.error, 0u);
  EXPECT_NE(refused.unknownProduct.reason.find("holds a character Windows does not allow"), std::string::npos)
      << refused.unknownProduct.reason;
}

}  // namespace

namespace {

// What the window says of an earlier install, before and after: by the
// versions, and by whether the chosen location holds it.
TEST(EarlierInstallTest, TheWindowSaysWhatTheInstallDoesToIt) {
  InstallSetup setup;
  setup.product.name = "Lumen";
  setup.target.kind = TargetApplication;
  setup.hasEarlier = true;
  setup.earlier.version = "1.0.0";
  setup.earlier.destination = "C:\\Program Files\\Lumen";
  const std::string in = " in C:\\Program Files\\Lumen.";
  const struct {
    const char* version;
    const char* location;
    std::string line, after;
  } cases[] = {
      {"2.1.0", "C:\\Program Files", "Lumen will be upgraded from 1.0.0 to 2.1.0" + in, "Upgraded from 1.0.0."},
      {"2.1.0", "c:\\program files", "Lumen will be upgraded from 1.0.0 to 2.1.0" + in, "Upgraded from 1.0.0."},
      {"1.0", "C:\\Program Files", "Lumen 1.0.0 will be installed again" + in, "Installed again over 1.0.0."},
      {"0.9", "C:\\Program Files", "Lumen 1.0.0 will be replaced by the older version 0.9" + in,
       "Replaced version 1.0.0."},
      {"", "C:\\Program Files", "Lumen 1.0.0 will be replaced by this release, which has no version," + in,
       "Replaced version 1.0.0."},
      {"0.9", "D:\\Other", "Lumen 1.0.0 is installed in C:\\Program Files\\Lumen, and stays there.", ""},
      {"0.9", "C:\\Program Files\\Lumen", "Lumen 1.0.0 is installed in C:\\Program Files\\Lumen, and stays there.", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.version) + " into " + c.location);
    setup.product.version = c.version;
    EXPECT_EQ(setup.EarlierInstallLine(c.location), c.line);
    EXPECT_EQ(setup.GoesIntoEarlier(c.location), !c.after.empty());
    if (!c.after.empty()) EXPECT_EQ(setup.ReplacedLine("1.0.0"), c.after);
  }
  setup.hasEarlier = false;
  EXPECT_EQ(setup.EarlierInstallLine("C:\\Program Files"), "");
  setup.product.version = "2.1.0";
  setup.Installed("D:\\Other", "D:\\Other\\Lumen");
  EXPECT_EQ(setup.EarlierInstallLine("D:\\Other", "D:/Other/Lumen"), "Lumen 2.1.0 will be installed again in D:/Other/Lumen.");
}

}  // namespace
