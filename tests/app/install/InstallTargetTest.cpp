#include "app/install/InstallTarget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

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

// Whether this 32-bit program sees two registry views (64-bit Windows).
bool TwoViews() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// Registry tests write their own keys under HKEY_LOCAL_MACHINE, in the
// view they name, and remove them afterwards.
class RegistryTest : public ScratchTest {
protected:
  enum View : REGSAM { k32 = KEY_WOW64_32KEY, k64 = KEY_WOW64_64KEY };

  void TearDown() override {
    for (const auto& key : written) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key.first.c_str(), key.second, 0);
    for (const auto& key : written) {
      const size_t slash = key.first.find_last_of('\\');
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key.first.substr(0, slash).c_str(), key.second, 0);
    }
    ScratchTest::TearDown();
  }
  void Write(const std::string& key, const char* valueName, DWORD type, const std::string& data, View view = k32) {
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &handle,
                              nullptr),
              ERROR_SUCCESS);
    if (valueName)
      RegSetValueExA(handle, valueName, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size()));
    RegCloseKey(handle);
    written.insert(written.begin(), {key, view});
  }
  void WriteWide(const std::string& key, DWORD type, const std::wstring& text) {
    Write(key, nullptr, REG_SZ, "");
    HKEY handle;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_WRITE | KEY_WOW64_32KEY, &handle), ERROR_SUCCESS);
    RegSetValueExW(handle, L"PluginPath", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
  }
  // The test host's folder from the newest of its versions.
  std::string Lookup(std::string* why = nullptr, HostReport* host = nullptr) {
    char out[260] = "untouched";
    return PluginFolderOfHost(HostKey().c_str(), "Test Host", "PluginPath", out, why, host);
  }
  std::string HostKey() const { return "SOFTWARE\\QuorvinTest" + std::to_string(GetCurrentProcessId()); }
  std::string Key(const std::string& version) const { return HostKey() + "\\" + version; }
  std::vector<std::pair<std::string, REGSAM>> written;
};

// The newest version by number is the only one read: a newer one without
// its value gives no folder rather than an older one's.
TEST_F(RegistryTest, TheNewestVersionIsTheOnlyOneRead) {
  std::string why;
  HostReport host;
  EXPECT_EQ(Lookup(&why, &host), "");
  EXPECT_NE(why.find("no version key under HKEY_LOCAL_MACHINE\\" + HostKey()), std::string::npos) << why;
  EXPECT_EQ(host.seen, "Test Host: none");
  Write(Key("9.0"), "PluginPath", REG_SZ, std::string("C:\\Old\\Plug-ins\0", 16));
  EXPECT_EQ(Lookup(), "C:\\Old\\Plug-ins");
  Write(Key("10.0"), nullptr, REG_SZ, "");
  EXPECT_EQ(Lookup(&why, &host), "") << "\"10.0\" is newer than \"9.0\", and has no value";
  EXPECT_NE(why.find("PluginPath under HKEY_LOCAL_MACHINE\\" + Key("10.0") + " (32-bit view) is missing"),
            std::string::npos)
      << why;
  EXPECT_EQ(host.chosen, "Test Host 10.0 (32-bit)");
  Write(Key("10.0"), "PluginPath", REG_EXPAND_SZ, std::string("C:\\New\\Plug-ins\\\0", 17));
  EXPECT_EQ(Lookup(), "C:\\New\\Plug-ins");
  Write(Key("130.0"), "PluginPath", REG_SZ, "C:\\Newest");
  Write(Key("60.0"), "PluginPath", REG_SZ, "C:\\Older");
  EXPECT_EQ(Lookup(nullptr, &host), "C:\\Newest") << "130 is after 60 as a number, not as text";
  EXPECT_EQ(host.seen, "Test Host: 130.0 (32-bit), 60.0 (32-bit), 10.0 (32-bit), 9.0 (32-bit)");
}

// On 64-bit Windows a host keeps its keys in the view of its build: the
// versions of both views are one list, and of one version in both, the
// 64-bit one is taken.
TEST_F(RegistryTest, BothViewsAreOneListNewestFirst) {
  if (!TwoViews()) GTEST_SKIP() << "one registry view on 32-bit Windows";
  Write(Key("9.0"), "PluginPath", REG_SZ, "C:\\Host 9 (32-bit)", k32);
  Write(Key("24.0"), "PluginPath", REG_SZ, "C:\\Host 24", k64);
  HostReport host;
  EXPECT_EQ(Lookup(nullptr, &host), "C:\\Host 24");
  EXPECT_EQ(host.chosen, "Test Host 24.0 (64-bit)");
  EXPECT_EQ(host.seen, "Test Host: 24.0 (64-bit), 9.0 (32-bit)");
  Write(Key("24.0"), "PluginPath", REG_SZ, "C:\\Host 24 (32-bit)", k32);
  EXPECT_EQ(Lookup(nullptr, &host), "C:\\Host 24") << "the same version in both views: the 64-bit one";
  Write(Key("25.0"), nullptr, REG_SZ, "", k64);
  std::string why;
  EXPECT_EQ(Lookup(&why, &host), "");
  EXPECT_NE(why.find(Key("25.0") + " (64-bit view) is missing"), std::string::npos) << why;
}

// Names that are no version numbers are passed over, whatever they hold,
// and the keys are looked at up to a bound.
TEST_F(RegistryTest, KeysThatAreNoVersionsArePassedOver) {
  Write(Key("7.0"), "PluginPath", REG_SZ, "C:\\Seven");
  for (const char* name : {"9999999999.0", "1e9", "-1.0", "..", "8.0.", "CS5", "8 .0", "+8.0", "8.0.0.0"})
    Write(Key(name), "PluginPath", REG_SZ, "C:\\Not a version");
  HostReport host;
  EXPECT_EQ(Lookup(nullptr, &host), "C:\\Seven");
  EXPECT_EQ(host.seen, "Test Host: 7.0 (32-bit)");
  EXPECT_EQ(host.seen.find("cut"), std::string::npos);
  for (int i = 1; i <= 1000; ++i) Write(Key(std::to_string(i) + ".0"), nullptr, REG_SZ, "");
  std::string why;
  EXPECT_EQ(Lookup(&why, &host), "");
  EXPECT_LE(std::count(host.seen.begin(), host.seen.end(), ','), int(kMostVersionKeys) - 1);
  EXPECT_NE(host.seen.find("(the list was cut: only the first 512 keys of a view are read)"), std::string::npos)
      << host.seen.substr(host.seen.size() - 80);
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
      {"a share", REG_SZ, "\\\\server\\share\\Plug-ins", "\\\\server\\share\\Plug-ins", ""},
      {"a device in the path", REG_SZ, "C:\\Adobe\\AUX\\Plug-ins", "", "\"AUX\" is a reserved device name"},
      {"empty", REG_SZ, std::string(1, '\0'), "", "is empty"},
      {"expanding past a path", REG_EXPAND_SZ, "C:\\%QV_TEST_LONG%", "", "characters long"},
  };
  SetEnvironmentVariableA("QV_TEST_LONG", std::string(400, 'x').c_str());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Write(Key("6.0"), "PluginPath", c.type, c.data);
    std::string why;
    EXPECT_EQ(Lookup(&why), c.folder);
    if (c.note[0]) {
      EXPECT_NE(why.find(c.note), std::string::npos) << why;
      EXPECT_NE(why.find("PluginPath under HKEY_LOCAL_MACHINE\\" + Key("6.0")), std::string::npos) << why;
    } else {
      EXPECT_EQ(why, "");
    }
  }
}

// The value is read wide and converted exactly. The ANSI read would hand
// back look-alikes: "C:\ｄist" as "C:\dist", another folder.
// A value is taken as it is, whatever its script: never through a code
// page, whose look-alikes ("．．" as "..") would name another folder. Only
// half a surrogate pair, which names no folder, makes it absent.
TEST_F(RegistryTest, AValueOfAnyScriptIsTakenAsItIs) {
  SetEnvironmentVariableW(L"QV_TEST_WIDE", L"C:\\\uFF44ist");
  const struct {
    const char* what;
    DWORD type;
    std::wstring text;
    std::string folder;
    const char* note;  // a part of the note; "" when there is none
  } cases[] = {
      {"a code page character", REG_SZ, L"C:\\Caf\u00E9\\Plug-ins", "C:\\Caf\xC3\xA9\\Plug-ins", ""},
      {"a full-width letter", REG_SZ, L"C:\\\uFF44ist\\Plug-ins", "C:\\\xEF\xBD\x84ist\\Plug-ins", ""},
      {"a letter outside the code page", REG_SZ, L"C:\\Plug\u0142ins", "C:\\Plug\xC5\x82ins", ""},
      {"full-width dots, a name of their own", REG_SZ, L"C:\\a\\\uFF0E\uFF0E\\windows",
       "C:\\a\\\xEF\xBC\x8E\xEF\xBC\x8E\\windows", ""},
      {"a variable that expands to one", REG_EXPAND_SZ, L"%QV_TEST_WIDE%\\Plug-ins", "C:\\\xEF\xBD\x84ist\\Plug-ins",
       ""},
      {"half a surrogate pair", REG_SZ, L"C:\\Plug" + std::wstring(1, wchar_t(0xDC00)), "",
       "is not well-formed UTF-16 (a surrogate without its other half): \"C:\\Plug?\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteWide(Key("6.0"), c.type, c.text);
    std::string why;
    EXPECT_EQ(Lookup(&why), c.folder);
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
  if (!TwoViews()) return;
  // Every After Effects since CS5 is 64-bit, with its keys in that view.
  Write("SOFTWARE\\Adobe\\After Effects\\24.0", "PluginInstallPath", REG_SZ, "C:\\AE 2024\\Plug-ins", k64);
  HostReport host;
  EXPECT_STREQ(AfterEffectsPluginFolder(out, nullptr, &host), "C:\\AE 2024\\Plug-ins");
  EXPECT_EQ(host.chosen, "After Effects 24.0 (64-bit)");
}

TEST_F(RegistryTest, PhotoshopFolderFromItsOwnValueName) {
  Write("SOFTWARE\\Adobe\\Photoshop\\6.0", "PluginInstallPath", REG_SZ, std::string("C:\\Wrong\0", 9));
  char out[260];
  EXPECT_STREQ(PhotoshopPluginFolder(out), "");
  Write("SOFTWARE\\Adobe\\Photoshop\\6.0", "PluginPath", REG_SZ, std::string("C:\\PS6\0", 7));
  EXPECT_STREQ(PhotoshopPluginFolder(out), "C:\\PS6");
  if (!TwoViews()) return;
  Write("SOFTWARE\\Adobe\\Photoshop\\11.0", "PluginPath", REG_SZ, "C:\\PS CS4 (32-bit)", k32);
  Write("SOFTWARE\\Adobe\\Photoshop\\130.0", "PluginPath", REG_SZ, "C:\\PS 2022", k64);
  HostReport host;
  EXPECT_STREQ(PhotoshopPluginFolder(out, nullptr, &host), "C:\\PS 2022");
  EXPECT_EQ(host.seen, "Photoshop: 130.0 (64-bit), 11.0 (32-bit), 6.0 (32-bit)");
}

// The MediaCore folder: After Effects' and Premiere Pro's versions taken
// together, the newest of either read, and no fallback past it. Each row
// adds its keys to those of the rows before.
TEST_F(RegistryTest, MediaCoreFolderComesFromTheNewestOfEitherHost) {
  const char* ae = "SOFTWARE\\Adobe\\After Effects\\";
  const char* pr = "SOFTWARE\\Adobe\\Premiere Pro\\";
  const struct {
    const char* what;
    const char* host;  // null: no key is added
    const char* version;
    const char* value;  // null: the key has no CommonPluginInstallPath
    const char* folder;
    const char* chosen;
    const char* note;
  } cases[] = {
      {"no host at all", nullptr, nullptr, nullptr, "", "",
       "no version key under HKEY_LOCAL_MACHINE\\SOFTWARE\\Adobe\\After Effects or "
       "HKEY_LOCAL_MACHINE\\SOFTWARE\\Adobe\\Premiere Pro in either view"},
      {"After Effects alone", ae, "23.0", "C:\\Common\\Plug-ins\\7.0\\MediaCore\\",
       "C:\\Common\\Plug-ins\\7.0\\MediaCore", "After Effects 23.0 (32-bit)", ""},
      {"a newer Premiere Pro", pr, "24.0", "D:\\MediaCore", "D:\\MediaCore", "Premiere Pro 24.0 (32-bit)", ""},
      {"an older Premiere Pro changes nothing", pr, "9.0", "E:\\Old", "D:\\MediaCore", "Premiere Pro 24.0 (32-bit)",
       ""},
      {"the newest without the value gives none", ae, "25.0", nullptr, "", "After Effects 25.0 (32-bit)",
       "CommonPluginInstallPath under HKEY_LOCAL_MACHINE\\SOFTWARE\\Adobe\\After Effects\\25.0 (32-bit view) is "
       "missing: taken as absent"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.host) Write(std::string(c.host) + c.version, c.value ? "CommonPluginInstallPath" : nullptr, REG_SZ,
                      c.value ? std::string(c.value) + '\0' : "");
    char out[260];
    std::string why;
    HostReport host;
    EXPECT_STREQ(MediaCorePluginFolder(out, &why, &host), c.folder);
    EXPECT_EQ(host.chosen, c.chosen);
    EXPECT_EQ(why, c.note);
    // The log names the key the folder came from.
    if (c.folder[0]) EXPECT_EQ(host.key, "HKEY_LOCAL_MACHINE\\" + std::string(c.folder[0] == 'C' ? ae : pr) +
                                             (c.folder[0] == 'C' ? "23.0" : "24.0") + " (32-bit view)");
  }
  // Every version of either host names the one MediaCore folder: it is
  // one choice, not one per version.
  Write(std::string(pr) + "22.0", "CommonPluginInstallPath", REG_SZ, std::string("d:\\mediacore\0", 14));
  const std::vector<HostFolder> choices = HostChoices(TargetMediaCore);
  ASSERT_EQ(choices.size(), 3u);
  EXPECT_EQ(choices[0].host, "Premiere Pro 24.0 (32-bit)");
  EXPECT_EQ(choices[1].folder, "C:\\Common\\Plug-ins\\7.0\\MediaCore");
  EXPECT_EQ(choices[2].folder, "E:\\Old");
}

// Each Photoshop keeps its own folder: every version with a usable one is
// a choice, newest first.
TEST_F(RegistryTest, EveryPhotoshopWithAUsableFolderIsAChoice) {
  Write("SOFTWARE\\Adobe\\Photoshop\\22.0", "PluginPath", REG_SZ, std::string("C:\\PS 2021\0", 11));
  Write("SOFTWARE\\Adobe\\Photoshop\\23.0", "PluginPath", REG_SZ, std::string("relative\0", 9));
  Write("SOFTWARE\\Adobe\\Photoshop\\24.0", "PluginPath", REG_SZ, std::string("C:\\PS 2023\0", 11));
  Write("SOFTWARE\\Adobe\\Photoshop\\25.0", nullptr, REG_SZ, "");
  Write("SOFTWARE\\Adobe\\Photoshop\\130.0", "PluginPath", REG_SZ, std::string("C:\\PS 2024\0", 11));
  const std::vector<HostFolder> choices = HostChoices(TargetPhotoshop);
  ASSERT_EQ(choices.size(), 3u);
  EXPECT_EQ(choices[0].host, "Photoshop 130.0 (32-bit)");
  EXPECT_EQ(choices[0].folder, "C:\\PS 2024");
  EXPECT_EQ(choices[1].folder, "C:\\PS 2023");
  EXPECT_EQ(choices[2].folder, "C:\\PS 2021");
  EXPECT_TRUE(HostChoices(TargetApplication).empty());
  EXPECT_TRUE(HostChoices(TargetAfterEffects).empty());
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

  // The MediaCore folder comes after the others.
  MakeFolder("install files/MediaCore Files");
  target = Resolve();
  EXPECT_EQ(target.kind, TargetMediaCore);
  EXPECT_STREQ(target.payloadFolder, "MediaCore Files");
  EXPECT_STREQ(target.location, "") << "After Effects 9.0 has no CommonPluginInstallPath";
  EXPECT_EQ(target.host.chosen, "After Effects 9.0 (32-bit)");
}

TEST_F(PayloadTest, AFileNamedLikeAPayloadFolderDoesNotCount) {
  Put("install files/AE Files", "not a folder");
  EXPECT_EQ(Resolve().kind, TargetNone);
}

}  // namespace
