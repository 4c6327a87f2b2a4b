#include "app/install/InstallTarget.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/app/Scratch.h"

namespace {

TEST(InstallFilesPath, TheProgramsOwnModuleNamesTheFolder) {
  ForgetInstallFilesFolder();
  char module[260];
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string folder(module);
  folder.resize(folder.rfind('\\'));
  char out[260];
  EXPECT_EQ(std::string(InstallFilesPath(out, "product.txt")), folder + "\\install files\\product.txt");
  ForgetInstallFilesFolder();
}

// Registry tests write their own keys under HKEY_LOCAL_MACHINE and remove
// them afterwards.
class RegistryTest : public ScratchTest {
protected:
  void TearDown() override {
    for (const std::string& key : written) RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    ScratchTest::TearDown();
  }
  void Write(const std::string& key, const char* valueName, DWORD type, const std::string& data) {
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    if (valueName)
      RegSetValueExA(handle, valueName, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size()));
    RegCloseKey(handle);
    written.insert(written.begin(), key);
  }
  std::string Lookup(const std::vector<std::string>& keys) {
    std::vector<const char*> names;
    for (const auto& key : keys) names.push_back(key.c_str());
    char out[260] = "untouched";
    return PluginFolderFromRegistry(names.data(), static_cast<int>(names.size()), "PluginPath", out);
  }
  std::string Key(const std::string& version) {
    return "SOFTWARE\\QuorvinTest" + std::to_string(GetCurrentProcessId()) + "\\" + version;
  }
  std::vector<std::string> written;
};

TEST_F(RegistryTest, TheFirstKeyThatOpensIsTheOnlyOneRead) {
  const std::vector<std::string> keys = {Key("11.0"), Key("10.0"), Key("9.0")};
  EXPECT_EQ(Lookup(keys), "") << "no key";
  Write(Key("9.0"), "PluginPath", REG_SZ, std::string("C:\\Old\\Plug-ins\0", 16));
  EXPECT_EQ(Lookup(keys), "C:\\Old\\Plug-ins");
  Write(Key("10.0"), nullptr, REG_SZ, "");
  EXPECT_EQ(Lookup(keys), "") << "a newer key without the value must not fall back";
  Write(Key("10.0"), "PluginPath", REG_EXPAND_SZ, std::string("C:\\New\\Plug-ins\\\0", 17));
  EXPECT_EQ(Lookup(keys), "C:\\New\\Plug-ins");
}

TEST_F(RegistryTest, ValuesOfAnyTypeAndSizeAreReadSafely) {
  const std::vector<std::string> keys = {Key("6.0")};
  Write(Key("6.0"), "PluginPath", REG_BINARY, std::string(255, 'b'));
  EXPECT_EQ(Lookup(keys), std::string(255, 'b'));
  Write(Key("6.0"), "PluginPath", REG_SZ, std::string(256, 'c'));
  EXPECT_EQ(Lookup(keys), "") << "a value longer than the buffer gives no folder";
}

TEST_F(RegistryTest, AfterEffectsFolderComesFromTheNewestVersion) {
  Write("SOFTWARE\\Adobe\\After Effects\\8.0", "PluginInstallPath", REG_SZ, std::string("C:\\AE8\0", 7));
  char out[260];
  EXPECT_STREQ(AfterEffectsPluginFolder(out), "C:\\AE8");
  Write("SOFTWARE\\Adobe\\After Effects\\9.0", "PluginInstallPath", REG_SZ, std::string("C:\\AE9\\Plug-ins\\\0", 17));
  EXPECT_STREQ(AfterEffectsPluginFolder(out), "C:\\AE9\\Plug-ins");
}

TEST_F(RegistryTest, PhotoshopFolderFromItsOwnValueName) {
  Write("SOFTWARE\\Adobe\\Photoshop\\6.0", "PluginInstallPath", REG_SZ, std::string("C:\\Wrong\0", 9));
  char out[260];
  EXPECT_STREQ(PhotoshopPluginFolder(out), "");
  Write("SOFTWARE\\Adobe\\Photoshop\\6.0", "PluginPath", REG_SZ, std::string("C:\\PS6\0", 7));
  EXPECT_STREQ(PhotoshopPluginFolder(out), "C:\\PS6");
}

// The payload folders lie in an install-files folder made in the scratch
// folder, as if the program were there.
class PayloadTest : public RegistryTest {
protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ForgetInstallFilesFolder();
    char out[260];
    InstallFilesPathFrom((root + "\\setup.exe").c_str(), out, "x");
  }
  void TearDown() override {
    ForgetInstallFilesFolder();
    RegistryTest::TearDown();
  }
  InstallTarget Resolve() {
    InstallTarget target;
    ResolveInstallTarget(&target);
    return target;
  }
};

TEST_F(PayloadTest, NoPayloadFolderLeavesTheDefaults) {
  InstallTarget target = Resolve();
  EXPECT_EQ(target.kind, TargetNone);
  EXPECT_STREQ(target.payloadFolder, "Temp Files");
  EXPECT_STREQ(target.folderPrompt, "Please select a folder");
  EXPECT_STREQ(target.location, "");
}

TEST_F(PayloadTest, AnEmptyPayloadFolderCounts) {
  MakeFolder("install files/App Files");
  InstallTarget target = Resolve();
  EXPECT_EQ(target.kind, TargetApplication);
  EXPECT_STREQ(target.payloadFolder, "App Files");
  EXPECT_STREQ(target.folderPrompt, "Select the Program Files folder");
  EXPECT_STREQ(target.location, "C:\\Program Files");
}

TEST_F(PayloadTest, TheLaterMatchWins) {
  Write("SOFTWARE\\Adobe\\After Effects\\9.0", "PluginInstallPath", REG_SZ, std::string("C:\\AE\\Plug-ins\\\0", 16));
  MakeFolder("install files/App Files");
  MakeFolder("install files/AE Files");
  InstallTarget target = Resolve();
  EXPECT_EQ(target.kind, TargetAfterEffects);
  EXPECT_STREQ(target.payloadFolder, "AE Files");
  EXPECT_STREQ(target.folderPrompt, "Select the After Effects Plug-ins folder");
  EXPECT_STREQ(target.location, "C:\\AE\\Plug-ins");

  MakeFolder("install files/FX Files");
  target = Resolve();
  EXPECT_EQ(target.kind, TargetFxPlug);
  EXPECT_STREQ(target.folderPrompt, "Select the FxPlugs folder");
  EXPECT_STREQ(target.location, "C:\\Program Files");

  MakeFolder("install files/PS Files");
  target = Resolve();
  EXPECT_EQ(target.kind, TargetPhotoshop);
  EXPECT_STREQ(target.payloadFolder, "PS Files");
  EXPECT_STREQ(target.location, "") << "no Photoshop key: not set";
}

TEST_F(PayloadTest, AFileNamedLikeAPayloadFolderDoesNotCount) {
  Put("install files/AE Files", "not a folder");
  EXPECT_EQ(Resolve().kind, TargetNone);
}

}  // namespace
