#include "app/install/InstallTarget.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/app/Scratch.h"

namespace {

TEST(InstallFilesPath, TheProgramsOwnModuleNamesTheFolder) {
  char module[260];
  GetModuleFileNameA(nullptr, module, sizeof module);
  std::string folder(module);
  folder.resize(folder.rfind('\\'));
  char out[260];
  EXPECT_EQ(std::string(InstallFilesPath(out, "product.txt")), folder + "\\install files\\product.txt");
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
  void WriteWide(const std::string& key, DWORD type, const std::wstring& text) {
    Write(key, nullptr, REG_SZ, "");
    HKEY handle;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_WRITE, &handle), ERROR_SUCCESS);
    RegSetValueExW(handle, L"PluginPath", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
  }
  std::string Lookup(const std::vector<std::string>& keys, std::string* why = nullptr) {
    std::vector<const char*> names;
    for (const auto& key : keys) names.push_back(key.c_str());
    char out[260] = "untouched";
    return PluginFolderFromRegistry(names.data(), static_cast<int>(names.size()), "PluginPath", out, why);
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

// Only text naming a full path is a folder; every other value counts as
// absent, and the note says why, so that "<not set>" or "no install
// location" is never a mystery.
TEST_F(RegistryTest, OnlyTextNamingAFullPathIsAFolder) {
  SetEnvironmentVariableA("QV_TEST_PLUGINS", "C:\\Expanded");
  const std::string longest = "C:\\" + std::string(256, 'p');  // 259 characters
  const struct {
    const char* what;
    DWORD type;
    std::string data;
    std::string folder;
    const char* note;  // a part of the note; "" when there is none
  } cases[] = {
      {"text", REG_SZ, std::string("C:\\Plug-ins\0", 12), "C:\\Plug-ins", ""},
      {"text without its zero", REG_SZ, "C:\\Plug-ins", "C:\\Plug-ins", ""},
      {"expandable text", REG_EXPAND_SZ, std::string("%QV_TEST_PLUGINS%\\Plug-ins\\\0", 29),
       "C:\\Expanded\\Plug-ins", ""},
      {"the longest path", REG_SZ, longest, longest, ""},
      // 0x005c3a43 is "C:\" in little-endian bytes: no text for all that.
      {"a number that reads like C:\\", REG_DWORD, std::string("C:\\\0", 4), "", "is REG_DWORD, not text"},
      {"binary", REG_BINARY, "C:\\Plug-ins", "", "is REG_BINARY, not text"},
      {"a list", REG_MULTI_SZ, std::string("C:\\A\0C:\\B\0\0", 10), "", "is REG_MULTI_SZ, not text"},
      {"300 characters", REG_SZ, "C:\\" + std::string(297, 'p'), "", "is 300 characters long"},
      {"far too long", REG_SZ, std::string(5000, 'p'), "", "far longer than a path"},
      {"a relative path", REG_SZ, "Plug-ins", "", "not a full path"},
      {"a device in the path", REG_SZ, "C:\\Adobe\\AUX\\Plug-ins", "", "\"AUX\" is a reserved device name"},
      {"empty", REG_SZ, std::string(1, '\0'), "", "is empty"},
      {"expanding past a path", REG_EXPAND_SZ, "C:\\%QV_TEST_LONG%", "", "characters long"},
  };
  SetEnvironmentVariableA("QV_TEST_LONG", std::string(400, 'x').c_str());
  const std::vector<std::string> keys = {Key("6.0")};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Write(Key("6.0"), "PluginPath", c.type, c.data);
    std::string why;
    EXPECT_EQ(Lookup(keys, &why), c.folder);
    if (c.note[0]) {
      EXPECT_NE(why.find(c.note), std::string::npos) << why;
      EXPECT_NE(why.find("PluginPath under HKEY_LOCAL_MACHINE\\" + Key("6.0")), std::string::npos) << why;
    } else {
      EXPECT_EQ(why, "");
    }
  }
  std::string why;
  EXPECT_EQ(Lookup({Key("5.0")}, &why), "");
  EXPECT_NE(why.find("no key"), std::string::npos) << why;
}

// The value is read wide and converted exactly. The ANSI read would hand
// back look-alikes: "C:\ｄist" as "C:\dist", another folder.
TEST_F(RegistryTest, AValueTheAnsiCodePageCannotHoldIsAbsent) {
  SetEnvironmentVariableW(L"QV_TEST_WIDE", L"C:\\\uFF44ist");
  const struct {
    const char* what;
    DWORD type;
    std::wstring text;
    std::string folder;
    const char* note;  // a part of the note; "" when there is none
  } cases[] = {
      {"a code page character", REG_SZ, L"C:\\Caf\u00E9\\Plug-ins", "C:\\Caf\xE9\\Plug-ins", ""},
      {"a full-width letter", REG_SZ, L"C:\\\uFF44ist\\Plug-ins", "",
       "holds characters that the ANSI code page (1252) cannot hold exactly: \"C:\\?ist\\Plug-ins\""},
      {"a letter outside the code page", REG_SZ, L"C:\\Plug\u0142ins", "", "cannot hold exactly: \"C:\\Plug?ins\""},
      {"full-width dots", REG_SZ, L"C:\\a\\\uFF0E\uFF0E\\windows", "", "cannot hold exactly: \"C:\\a\\??\\windows\""},
      {"a variable that expands to one", REG_EXPAND_SZ, L"%QV_TEST_WIDE%\\Plug-ins", "", "cannot hold exactly"},
  };
  const std::vector<std::string> keys = {Key("6.0")};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteWide(Key("6.0"), c.type, c.text);
    std::string why;
    EXPECT_EQ(Lookup(keys, &why), c.folder);
    if (c.note[0]) {
      EXPECT_NE(why.find(c.note), std::string::npos) << why;
      EXPECT_NE(why.find(": taken as absent"), std::string::npos) << why;
    } else {
      EXPECT_EQ(why, "");
    }
  }
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
  InstallTarget Resolve() {
    InstallTarget target;
    ResolveInstallTargetIn((root + "\\install files").c_str(), &target);
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
