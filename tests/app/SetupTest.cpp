// The installer end to end: the real setup.exe in a distribution folder
// made by each test, driven from this process with real input.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/install/DistributionManifest.h"
#include "app/install/ManifestSlot.h"
#include "app/install/PathNames.h"
#include "tests/app/Scratch.h"
#include "tests/app/SetupDriver.h"
#include "app/install/ProductRegistration.h"
#include "tests/toolkit/controls/AccessibleReading.h"
#include "tests/toolkit/window/MessagePump.h"

namespace {

const char kAeKey[] = "SOFTWARE\\Adobe\\After Effects\\9.0";

std::string SetupExe() {
  std::string path = "Z:" QV_SETUP_EXE;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class Setup : public ScratchTest {
protected:
  void TearDown() override {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAeKey);
    ScratchTest::TearDown();
  }

  // A distribution: setup.exe, "product.txt" and a payload folder of the
  // given name with two files in two folders.
  void MakeDist(const std::string& payloadFolder, const char* product = "Foo\r\n") {
    MakeFolder("dist/install files");
    ASSERT_TRUE(CopyFileA(SetupExe().c_str(), Path("dist/setup.exe").c_str(), FALSE));
    if (product) Put("dist/install files/product.txt", product);
    Put("dist/install files/readme.txt", "Release notes.\r\n");
    Put("dist/install files/eula.txt", "Terms.\r\n");
    if (!payloadFolder.empty()) {
      Put("dist/install files/" + payloadFolder + "/Plug-in.aex", "plug-in bytes");
      Put("dist/install files/" + payloadFolder + "/Presets/One.ffx", "preset");
    }
  }
  void PutBackground(const std::string& bytes) { Put("dist/install files/bkgd.jpg", bytes); }

  // Lists the distribution's files (the paths under "install files", a
  // folder's ending in "\\") and fills its setup.exe's slot for the list,
  // as sign-dist does before it signs: setup.exe checks what the slot
  // vouches for whether or not a signature covers the slot.
  void ListAsSigned(const std::vector<std::string>& paths) {
    DistributionManifest manifest;
    for (const std::string& path : paths) {
      if (path.back() == '\\') {
        manifest.entries.push_back({path.substr(0, path.size() - 1), true, 0, {}});
        continue;
      }
      std::string unix = path;
      std::replace(unix.begin(), unix.end(), '\\', '/');
      const std::string bytes = Get("dist/install files/" + unix);
      manifest.entries.push_back({path, false, bytes.size(), Sha256::Of(bytes.data(), bytes.size())});
    }
    const std::string list = ManifestText(manifest);
    Put("dist/install files/manifest.txt", list);
    std::string program = Get("dist/setup.exe");
    size_t offset = 0;
    std::string why;
    ASSERT_TRUE(FindManifestSlot(reinterpret_cast<const uint8_t*>(program.data()), program.size(), &offset, &why))
        << why;
    ManifestSlot slot;
    slot.filled = true;
    slot.manifestSize = list.size();
    slot.manifestDigest = Sha256::Of(list.data(), list.size());
    program.replace(offset, kManifestSlotSize, ManifestSlotBytes(slot));
    Put("dist/setup.exe", program);
  }

  // Starts the installer and waits for its window; finds the progress
  // caption while it still reads its first text.
  bool Launch(const std::string& arguments = "") { return Launch(driver, arguments); }
  bool Launch(SetupDriver& one, const std::string& arguments) {
    if (!one.Start(Path("dist"), arguments)) return false;
    if (!one.WaitForWindow("Install ")) return false;
    one.BringToFront();
    progress = one.Control("Installing. Please wait...");
    return progress != nullptr;
  }
  HWND Button(const char* label) { return driver.Control(label); }
  std::string TextStartingWith(const std::string& prefix) { return driver.TextStartingWith(prefix); }
  void AcceptTerms() { driver.ClickAt(100 + 6, 206 + 10); }
  bool Install() {
    driver.Click(Button("Install"));
    return driver.WaitForText(Progress(), "Installation Complete.");
  }
  HWND Progress() const { return progress; }
  // "Quit" refuses clicks that come within a double-click time of the
  // result.
  DWORD Quit() {
    Sleep(GetDoubleClickTime() + 50);
    driver.Click(Button("Quit"));
    return driver.WaitForExit();
  }
  void SetAeFolder(const std::string& folder) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAeKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "PluginInstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
    RegCloseKey(key);
  }

  SetupDriver driver;
  HWND progress = nullptr;  // the progress caption of the last launch
};

// A program that starts the installer tells by the status whether it
// installed (0), failed (1) or was left without installing (4).
TEST_F(Setup, CancelEndsTheProgramWithFour) {
  MakeDist("App Files");
  ASSERT_TRUE(Launch());
  EXPECT_EQ(driver.Text(driver.Window()), "Install Foo");
  EXPECT_TRUE(driver.Shows("Follow these 4 steps to install Foo."));
  driver.Click(Button("Cancel"));
  EXPECT_EQ(driver.WaitForExit(), 4u);
}

// A screen reader in its own process tells every control of the window
// apart by its role, name and state, the check box's as it changes, and
// reads the licence in the viewer; the window itself keeps its title.
TEST_F(Setup, AScreenReaderTellsTheControlsApart) {
  MakeDist("App Files");
  ASSERT_TRUE(Launch());
  ComApartment com;
  EXPECT_EQ(Describe(driver.Window()).rfind("client \"Install Foo\"", 0), 0u) << Describe(driver.Window());
  POINT inBox = {106, 216};
  const HWND box = ChildWindowFromPointEx(driver.Window(), inBox, CWP_SKIPINVISIBLE);
  const std::string button = "push button \"%\" focusable", caption = "static text \"%\" read only";
  // In the panel's reading order, which is the order of the window's
  // children: a screen reader reads them so.
  struct Case {
    std::string text;     // the control's window text, or empty for the check box
    std::string pattern;  // % stands for the text
  } cases[] = {
      {"WELCOME!", caption},
      {"Follow these 4 steps to install Foo.", caption},
      {"STEP 1 - Read the Release Notes.", caption},
      {"Show Release Notes...", "push button \"%\" focused focusable Alt+R"},  // the first control takes the focus
      {"STEP 2 - Accept the terms of the Kestrova Software License Agreement.", caption},
      {"", "check button \"I accept.\" focusable Alt+A"},
      {"Read the License...", button + " Alt+L"},
      {"STEP 3 - Use the default location or choose a different location.", caption},
      {"The install location is:", caption},
      {"Change Location...", button + " Alt+H"},
      {"STEP 4 - Click the Install button.", caption},
      {"Cancel", button + " Alt+C"},
      {"Install", "push button \"%\" default focusable Alt+I"},  // Enter presses it
      {"Installing. Please wait...", caption + " invisible"},
  };
  std::vector<HWND> children;
  for (HWND child = GetWindow(driver.Window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  ptrdiff_t previous = -1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const HWND control = c.text.empty() ? box : driver.Control(c.text);
    ASSERT_NE(control, nullptr);
    std::string expected = c.pattern;
    if (expected.find('%') != std::string::npos) expected.replace(expected.find('%'), 1, c.text);
    EXPECT_EQ(Describe(control), expected);
    const ptrdiff_t order = std::find(children.begin(), children.end(), control) - children.begin();
    EXPECT_GT(order, previous) << "read out of order";
    previous = order;
  }

  AcceptTerms();
  // The click gives it the focus.
  const std::string checked = "check button \"I accept.\" focused checked focusable Alt+A";
  EXPECT_TRUE(PumpUntil([&] { return Describe(box) == checked; })) << Describe(box);

  driver.Click(Button("Read the License..."));
  const HWND viewer = driver.WaitForWindow("Software License Agreement");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(Describe(driver.Control("qvTextList", viewer)),
            "text \"Software License Agreement\" value \"Terms.\" focused read only focusable");
  driver.Click(driver.Control("Close", viewer));
  ASSERT_NE(driver.WaitForWindow("Install "), nullptr);
  driver.BringToFront();
  driver.Click(Button("Cancel"));
  EXPECT_EQ(driver.WaitForExit(), 4u);
}

// A product name that is no single folder name is an unknown product: the
// install would write outside the chosen folder, into it directly, or onto
// a device. The log says why.
TEST_F(Setup, AProductNameThatIsNoFolderNameIsAnUnknownProduct) {
  const std::string names[] = {"..\\..\\escaped\r\n", "..\\Windows\r\n", "\r\n   \r\n", "C:\\Windows\r\n",
                               "NUL\r\n", "Tools.\r\n", "\xff\xfe\x3c\xd8"};  // the last: half a UTF-16 pair
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    MakeDist("App Files", name.c_str());
    SetupDriver one;
    ASSERT_TRUE(one.Start(Path("dist"), "/LOG=" + Path("install.log")));
    const HWND box = one.WaitForDialog("Attention !");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(one.MessageText(box), "Unknown product. We cannot install.");
    one.Answer(box, IDOK);
    EXPECT_EQ(one.WaitForExit(), static_cast<DWORD>(-1));
    EXPECT_NE(Get("install.log").find("unknown product: "), std::string::npos) << Get("install.log");
    fs::remove_all(Path("dist"));
    fs::remove(Path("install.log"));
  }
}

// /? shows the usage to a person and ends with the usage status.
TEST_F(Setup, HelpShowsTheUsage) {
  MakeDist("App Files");
  ASSERT_TRUE(driver.Start(Path("dist"), "/?"));
  const HWND box = driver.WaitForDialog("Attention !");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(driver.MessageText(box).rfind("usage: setup.exe [/S] [/LOG=FILE] [/ALLOWDOWNGRADE] [/HOSTS=newest|all] [/LANG=TAG] [/D=FOLDER]", 0), 0u);
  driver.Answer(box, IDOK);
  EXPECT_EQ(driver.WaitForExit(), 2u);
}

TEST_F(Setup, WithoutAProductItSaysSoAndEndsWithMinusOne) {
  MakeDist("App Files", nullptr);
  ASSERT_TRUE(driver.Start(Path("dist")));
  const HWND box = driver.WaitForDialog("Attention !");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(driver.MessageText(box), "Unknown product. We cannot install.");
  EXPECT_EQ(driver.Windows().size(), 1u) << "nothing else is shown";
  driver.Answer(box, IDOK);
  EXPECT_EQ(driver.WaitForExit(), static_cast<DWORD>(-1));
}

// A setup.exe in "ｄist" beside a distribution in "dist": through the
// platform's ANSI look-alikes its own path would read "...\dist\setup.exe"
// and lead to the other's product. Read wide, it is its own path: the
// install files beside it (none here) are the ones it looks for.
TEST_F(Setup, AProgramInALookAlikeFolderReadsItsOwnInstallFiles) {
  MakeDist("App Files", "Twin\r\n");
  const std::wstring lookalike = std::wstring(root.begin(), root.end()) + L"\\\uFF44ist";
  const std::string exe = SetupExe();
  ASSERT_TRUE(CreateDirectoryW(lookalike.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(std::wstring(exe.begin(), exe.end()).c_str(), (lookalike + L"\\setup.exe").c_str(), FALSE));
  const std::string log = Path("install.log");
  ASSERT_TRUE(driver.Start(lookalike, L"/LOG=" + std::wstring(log.begin(), log.end())));
  const HWND box = driver.WaitForDialog("Attention !");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(driver.MessageText(box), "Unknown product. We cannot install.");
  driver.Answer(box, IDOK);
  EXPECT_EQ(driver.WaitForExit(), static_cast<DWORD>(-1));
  EXPECT_NE(Get("install.log").find("\\\xEF\xBD\x84ist\\install files\\product.txt"), std::string::npos)
      << Get("install.log");
  EXPECT_EQ(Get("install.log").find("Twin"), std::string::npos) << Get("install.log");
}

TEST_F(Setup, InstallWithoutTheTermsOnlyTellsTheUser) {
  MakeDist("AE Files");
  ASSERT_TRUE(Launch());
  driver.Click(Button("Install"));
  const HWND box = driver.WaitForDialog("Attention !");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(driver.MessageText(box),
            "You must accept the terms of the Kestrova Software License Agreement before installing.");
  driver.Answer(box, IDOK);
  EXPECT_TRUE(driver.Shows("Install"));
  EXPECT_TRUE(driver.Shows("STEP 4 - Click the Install button."));
  EXPECT_EQ(driver.WaitForDialog("Browse for Folder", 300), nullptr) << "not even the folder chooser";
  driver.Click(Button("Cancel"));
  EXPECT_EQ(driver.WaitForExit(), 4u);
}

// The After Effects folder from the registry, its trailing backslash gone;
// the payload goes into a sub-folder named after the product.
TEST_F(Setup, AnAfterEffectsPayloadGoesIntoThePlugInFolderFromTheRegistry) {
  MakeDist("AE Files");
  MakeFolder("Plug-ins");
  SetAeFolder(Path("Plug-ins") + "\\");
  ASSERT_TRUE(Launch("/LOG=" + Path("install.log")));
  std::string shown = Path("Plug-ins");
  std::replace(shown.begin(), shown.end(), '\\', '/');
  if (shown.size() > 47) shown = ".../" + shown.substr(shown.find('/', shown.size() - 44) + 1);
  EXPECT_NE(driver.Control(shown), nullptr) << "the location shows as " << shown;
  AcceptTerms();
  ASSERT_TRUE(Install());
  EXPECT_EQ(Listing("Plug-ins"), "Foo/ Foo/Plug-in.aex Foo/Presets/ Foo/Presets/One.ffx");
  EXPECT_TRUE(driver.Shows("Do Another"));
  EXPECT_EQ(Quit(), 0u);
  EXPECT_EQ(Count(Get("install.log"), "Plug-in.aex"), 1) << Get("install.log");
}

TEST_F(Setup, WithoutARegistryKeyInstallAsksForTheFolder) {
  MakeDist("AE Files");
  ASSERT_TRUE(Launch());
  EXPECT_TRUE(driver.Shows("<not set>"));
  AcceptTerms();
  driver.Click(Button("Install"));
  const HWND chooser = driver.WaitForDialog("Browse for Folder");
  ASSERT_NE(chooser, nullptr);
  char prompt[256] = {};
  GetDlgItemTextA(chooser, 0x3742, prompt, sizeof prompt);
  EXPECT_STREQ(prompt, "Select the After Effects Plug-ins folder");
  driver.Answer(chooser, IDCANCEL);
  EXPECT_TRUE(driver.Shows("Install")) << "cancelled: nothing happens";
  EXPECT_TRUE(driver.Shows("<not set>"));
  driver.Click(Button("Cancel"));
  EXPECT_EQ(driver.WaitForExit(), 4u);
}

TEST_F(Setup, PayloadKindsDecideWhereTheFilesGo) {
  struct Case {
    std::vector<std::string> payloads;
    std::string listing;
  } cases[] = {
      {{"FX Files"}, "Plug-in.aex Presets/ Presets/One.ffx"},  // into the chosen folder itself
      {{"App Files", "PS Files"}, "Foo/ Foo/PS.txt"},           // the later kind wins
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.payloads.front());
    MakeDist(c.payloads.front());
    for (size_t i = 1; i < c.payloads.size(); ++i)
      Put("dist/install files/" + c.payloads[i] + "/PS.txt", "ps");
    fs::remove_all(Path("target"));
    MakeFolder("target");
    {
      SetupDriver one;
      ASSERT_TRUE(Launch(one, "/D=" + Path("target")));
      one.ClickAt(106, 216);
      one.Click(one.Control("Install"));
      ASSERT_TRUE(one.WaitForText(Progress(), "Installation Complete."));
      Sleep(GetDoubleClickTime() + 50);
      one.Click(one.Control("Quit"));
      EXPECT_EQ(one.WaitForExit(), 0u);
    }
    EXPECT_EQ(Listing("target"), c.listing);
    fs::remove_all(Path("dist"));
  }
}

// A destination file held open without sharing cannot be replaced: the
// message names it and the cause, the install is undone (the earlier
// install is whole), Cancel is out of use and Quit ends with 1.
TEST_F(Setup, AFailedInstallIsUndoneAndTold) {
  MakeDist("FX Files");
  Put("target/Plug-in.aex", "earlier");
  Put("target/Presets/Mine.ffx", "the user's");
  const std::string before = TreeSnapshot("target");
  const HANDLE holder =
      CreateFileA(Path("target/Plug-in.aex").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(Launch("/D=" + Path("target")));
  AcceptTerms();
  driver.Click(Button("Install"));
  const HWND box = driver.WaitForDialog("Attention !", 20000);
  ASSERT_NE(box, nullptr);
  const std::string text = driver.MessageText(box);
  // The cause first, naming the file, then what to do.
  const std::string cause = "The file " + Path("target/Plug-in.aex") + " is in use by another program.";
  const std::string firstLine = text.substr(0, text.find('\n'));
  EXPECT_EQ(firstLine.substr(firstLine.size() - std::min(firstLine.size(), cause.size())), cause) << text;
  EXPECT_NE(text.find("\n\nClose the program that is using it, then click Retry."), std::string::npos) << text;
  // Cancel declines the retry: the failure's state, as without one.
  driver.Answer(box, IDCANCEL);
  EXPECT_TRUE(driver.WaitForText(Progress(), "ERROR: Installation Failed.", 3000));
  CloseHandle(holder);
  EXPECT_EQ(TreeSnapshot("target"), before) << "undone";
  Sleep(GetDoubleClickTime() + 50);
  driver.Click(Button("Cancel"));
  Sleep(200);
  EXPECT_TRUE(driver.Running()) << "Cancel is out of use after a failure";
  EXPECT_EQ(driver.Text(Progress()), "ERROR: Installation Failed.");
  EXPECT_EQ(Quit(), 1u);
}

// A signed payload file changed since: the install fails when the copy
// reaches it and is undone; the message names the file and says not to
// use the copy, and Quit ends with 7.
// A file in use: Retry runs the install again, with the same choices and
// the terms still accepted, as often as it takes; once the program that
// held the file lets it go, it installs.
TEST_F(Setup, AFailureThatCanBeRetriedIsRetriedInPlace) {
  MakeDist("FX Files");
  Put("target/Plug-in.aex", "earlier");
  const HANDLE holder =
      CreateFileA(Path("target/Plug-in.aex").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(Launch("/D=" + Path("target")));
  // The location step tells the room the payload needs and the drive has.
  std::string space;
  EXPECT_TRUE(PumpUntil([&] { return (space = TextStartingWith("Needs ")).size() > 0; }, 10000));
  EXPECT_EQ(space.rfind("Needs 19 bytes; C:\\ has ", 0), 0u) << space;
  AcceptTerms();
  driver.Click(Button("Install"));
  HWND box = driver.WaitForDialog("Attention !", 20000);
  ASSERT_NE(box, nullptr);
  driver.Answer(box, IDRETRY);  // still held: it fails again, and asks again
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 5000));
  box = driver.WaitForDialog("Attention !", 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(driver.MessageText(box).find("is in use by another program"), std::string::npos);
  CloseHandle(holder);
  driver.Answer(box, IDRETRY);
  ASSERT_TRUE(driver.WaitForText(Progress(), "Installation Complete.", 20000)) << driver.Text(Progress());
  EXPECT_EQ(Get("target/Plug-in.aex"), "plug-in bytes");
  EXPECT_EQ(Quit(), 0u);
}

TEST_F(Setup, ASignedFileChangedSinceFailsTheInstallAndIsTold) {
  MakeDist("FX Files");
  ListAsSigned({"product.txt", "readme.txt", "eula.txt", "FX Files\\", "FX Files\\Plug-in.aex",
                "FX Files\\Presets\\", "FX Files\\Presets\\One.ffx"});
  Put("dist/install files/FX Files/Presets/One.ffx", "pre5et");
  MakeFolder("target");
  ASSERT_TRUE(Launch("/LOG=" + Path("setup.log") + " /D=" + Path("target")));
  AcceptTerms();
  driver.Click(Button("Install"));
  const HWND box = driver.WaitForDialog("Attention !", 20000);
  ASSERT_NE(box, nullptr) << Get("setup.log");
  const std::string text = driver.MessageText(box);
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "\"FX Files\\Presets\\One.ffx\" was changed after the distribution was signed (its bytes are not the ones "
            "signed).");
  EXPECT_NE(text.find("\n\nThis copy of the installer cannot be trusted: download it again from its publisher."),
            std::string::npos)
      << text;
  driver.Answer(box, IDOK);
  EXPECT_TRUE(driver.WaitForText(Progress(), "ERROR: Installation Failed.", 3000));
  EXPECT_EQ(Listing("target"), "") << "undone";
  EXPECT_EQ(Quit(), 7u);
}

// Without a payload folder there is nothing to install: a failure, told
// as one, never "Installation Complete.".
TEST_F(Setup, NoPayloadFolderFailsTheInstall) {
  MakeDist("");
  MakeFolder("target");
  ASSERT_TRUE(Launch("/D=" + Path("target")));
  AcceptTerms();
  driver.Click(Button("Install"));
  const HWND box = driver.WaitForDialog("Attention !", 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(driver.MessageText(box).find("there is no payload folder"), std::string::npos);
  driver.Answer(box, IDOK);
  EXPECT_TRUE(driver.WaitForText(Progress(), "ERROR: Installation Failed.", 3000));
  EXPECT_EQ(Listing("target"), "");
  EXPECT_EQ(Quit(), 1u);
}

TEST_F(Setup, DoAnotherKeepsTheTermsAndTheLocation) {
  MakeDist("FX Files");
  ASSERT_TRUE(Launch("/D=" + Path("target")));
  AcceptTerms();
  ASSERT_TRUE(Install());
  fs::remove_all(Path("target"));
  MakeFolder("target");
  Sleep(GetDoubleClickTime() + 50);
  driver.Click(Button("Do Another"));
  EXPECT_TRUE(driver.Shows("STEP 1 - Read the Release Notes."));
  EXPECT_FALSE(driver.Shows("Installation Complete."));
  ASSERT_TRUE(Install()) << "the terms are still accepted";
  EXPECT_EQ(Listing("target"), "Plug-in.aex Presets/ Presets/One.ffx");
  EXPECT_EQ(Quit(), 0u);
}

// The second click of a double click on "Install" must not reach "Quit":
// both halves queued at once (the copy is under way when the second is
// read), and the second half arriving after a copy shorter than it.
TEST_F(Setup, ADoubleClickOnInstallInstallsOnce) {
  MakeDist("FX Files");
  ASSERT_TRUE(Launch("/LOG=" + Path("install.log") + " /D=" + Path("target")));
  AcceptTerms();
  const HWND install = Button("Install");
  driver.DoubleClick(install);
  ASSERT_TRUE(driver.WaitForText(Progress(), "Installation Complete."));
  driver.Click(install);  // now "Quit"
  Sleep(GetDoubleClickTime() + 200);
  EXPECT_TRUE(driver.Running()) << "a click just after the result ends the double click, not the program";
  EXPECT_TRUE(driver.Shows("Installation Complete."));
  EXPECT_EQ(Quit(), 0u);
  EXPECT_EQ(Count(Get("install.log"), "Plug-in.aex"), 1) << Get("install.log");
}

// Without a usable background the window is grey, and it installs.
TEST_F(Setup, AMissingEmptyOrHostileBackgroundLeavesTheWindowGrey) {
  std::ifstream hostileFile(QV_HOSTILE_DIR "/frame-65535x65535.jpg", std::ios::binary);
  const std::string hostile((std::istreambuf_iterator<char>(hostileFile)), {});
  ASSERT_FALSE(hostile.empty());
  struct Case {
    const char* what;
    bool present;
    std::string bytes;
  } cases[] = {{"no file", false, ""}, {"an empty file", true, ""}, {"a hostile file", true, hostile}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeDist("FX Files");
    if (c.present) PutBackground(c.bytes);
    fs::remove_all(Path("target"));
    SetupDriver one;
    ASSERT_TRUE(Launch(one, "/D=" + Path("target")));
    EXPECT_EQ(one.Pixel(3, 3), RGB(127, 127, 127));
    one.ClickAt(106, 216);
    one.Click(one.Control("Install"));
    EXPECT_TRUE(one.WaitForText(Progress(), "Installation Complete."));
    Sleep(GetDoubleClickTime() + 50);
    one.Click(one.Control("Quit"));
    EXPECT_EQ(one.WaitForExit(), 0u);
    fs::remove_all(Path("dist"));
  }
}

}  // namespace

namespace {

// The installer as people expect a window to behave: the keyboard alone,
// closing it in every state, the chooser's modality, and the window taking
// messages while a long copy runs.
class SetupWindow : public Setup {
protected:
  // A payload of many small files in folders of 50, so that a copy lasts
  // a while (Wine's time per new name grows with the folder's size).
  void PutManyFiles(int count) {
    for (int i = 0; i < count; ++i)
      Put("dist/install files/FX Files/Many" + std::to_string(i / 50) + "/f" + std::to_string(i) + ".txt", "xx");
  }
  std::string FocusText() const { return driver.Text(driver.Focus()); }
  // Waits until the control that has the focus reads text.
  bool FocusReaches(const std::string& text) {
    return PumpUntil([&] { return FocusText() == text; }, 2000);
  }
};

// Tab moves through the controls in reading order, Space ticks the box,
// Enter presses the focused button, and Enter presses Quit at the end.
TEST_F(SetupWindow, AWholeInstallFromTheKeyboardAlone) {
  MakeDist("FX Files");
  MakeFolder("target");
  ASSERT_TRUE(Launch("/D=" + Path("target")));
  EXPECT_TRUE(FocusReaches("Show Release Notes...")) << "the first control has the focus: " << FocusText();
  driver.Key(VK_TAB);
  ASSERT_TRUE(FocusReaches("")) << "the check box has no window text of its own";
  driver.Key(VK_SPACE);
  for (const char* next : {"Read the License...", "Change Location...", "Cancel", "Install"}) {
    driver.Key(VK_TAB);
    EXPECT_TRUE(FocusReaches(next)) << next << ", not " << FocusText();
  }
  driver.Key(VK_TAB);
  EXPECT_TRUE(FocusReaches("Show Release Notes...")) << "round to the first again";
  driver.Key(VK_TAB, {VK_SHIFT});
  EXPECT_TRUE(FocusReaches("Install")) << "and back with Shift";
  driver.Key(VK_RETURN);
  ASSERT_TRUE(driver.WaitForText(Progress(), "Installation Complete."));
  EXPECT_EQ(Listing("target"), "Plug-in.aex Presets/ Presets/One.ffx");
  EXPECT_TRUE(FocusReaches("Quit")) << "the result gives Quit the focus, not " << FocusText();
  Sleep(GetDoubleClickTime() + 50);
  driver.Key(VK_RETURN);
  EXPECT_EQ(driver.WaitForExit(), 0u) << "Enter presses Quit, the default button";
}

// As in every Windows dialog: Space toggles the focused check box and
// Enter on it presses the default button, Install, leaving the tick as it
// was; a user who ticks "I accept." and presses Enter installs.
TEST_F(SetupWindow, SpaceTicksTheBoxAndEnterOnItInstalls) {
  MakeDist("FX Files");
  MakeFolder("target");
  ASSERT_TRUE(Launch("/D=" + Path("target")));
  ComApartment com;
  driver.Key(VK_TAB);
  ASSERT_TRUE(FocusReaches(""));
  const HWND box = driver.Focus();
  const auto ticked = [&] { return Describe(box).find(" checked") != std::string::npos; };
  for (bool expected : {true, false, true}) {
    driver.Key(VK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return ticked() == expected; }, 2000)) << Describe(box);
  }
  driver.Key(VK_RETURN);
  ASSERT_TRUE(driver.WaitForText(Progress(), "Installation Complete.")) << driver.Text(Progress());
  EXPECT_EQ(Listing("target"), "Plug-in.aex Presets/ Presets/One.ffx");
  EXPECT_TRUE(ticked()) << "Enter left the tick alone";
  EXPECT_EQ(Quit(), 0u);
}

// The window and the licence in the language asked for: the window's own
// texts where its table has them (else English's), the vendor's licence
// where the vendor gave one (else the plain one).
TEST_F(SetupWindow, TheWindowAndTheLicenceInTheLanguageAskedFor) {
  MakeDist("FX Files");
  Put("dist/install files/eula.de.txt", "Bedingungen.\r\n");
  MakeFolder("target");
  ComApartment com;
  const struct {
    const char* option;
    const char* title;
    const char* welcome;
    const char* licenceButton;
    const char* licenceTitle;
    const char* licence;
  } cases[] = {
      {"/LANG=de", "Foo installieren", "WILLKOMMEN!", "Lizenz lesen...", "Softwarelizenzvereinbarung", "Bedingungen."},
      {"/LANG=fr", "Installer Foo", "BIENVENUE !", "Lire la licence...", "Contrat de licence du logiciel", "Terms."},
      // Polish and Japanese on this western system (1252) as well.
      {"/LANG=pl", "Instalacja Foo", "WITAMY!", "Przeczytaj licencję...", "Umowa licencyjna oprogramowania", "Terms."},
      {"/LANG=ja", "Foo のインストール", "ようこそ", "使用許諾契約(L)...", "ソフトウェア使用許諾契約", "Terms."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    SetupDriver one;
    ASSERT_TRUE(one.Start(Path("dist"), std::string(c.option) + " /D=" + Path("target")));
    ASSERT_NE(one.WaitForWindow(c.title), nullptr);
    one.BringToFront();
    EXPECT_TRUE(one.Shows(c.welcome));
    one.Click(one.Control(c.licenceButton));
    const HWND viewer = one.WaitForWindow(c.licenceTitle);
    ASSERT_NE(viewer, nullptr);
    EXPECT_NE(Describe(one.Control("qvTextList", viewer)).find("value \"" + std::string(c.licence) + "\""),
              std::string::npos)
        << Describe(one.Control("qvTextList", viewer));
    one.Key(VK_ESCAPE);
    ASSERT_NE(one.WaitForWindow(c.title), nullptr);
    one.BringToFront();
    one.Key(VK_ESCAPE);
    EXPECT_EQ(one.WaitForExit(), 4u);
  }
}

// Photoshop keys of the test's own, each naming a folder of the scratch
// folder, removed again with the object.
class PhotoshopKeys {
public:
  PhotoshopKeys(const std::vector<std::pair<std::string, std::string>>& versions) {
    for (const auto& version : versions) {
      const std::string key = "SOFTWARE\\Adobe\\Photoshop\\" + version.first;
      HKEY handle;
      if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr))
        continue;
      RegSetValueExA(handle, "PluginPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.second.c_str()),
                     static_cast<DWORD>(version.second.size() + 1));
      RegCloseKey(handle);
      keys.push_back(key);
    }
  }
  ~PhotoshopKeys() {
    for (const std::string& key : keys) RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Adobe\\Photoshop");
  }

private:
  std::vector<std::string> keys;
};

// Three Photoshop versions, each with its plug-in folder: "Change
// Location..." opens the chooser with the newest ticked, read out as check
// buttons with their folders; Tab and Space tick a second, a screen
// reader's default action ticks a third and unticks the newest; Enter
// takes the two, and the install goes into both.
TEST_F(SetupWindow, TwoOfThreePhotoshopsChosenByKeysAndByAScreenReader) {
  for (const char* folder : {"PS22", "PS23", "PS24"}) MakeFolder(folder);
  const PhotoshopKeys keys({{"22.0", Path("PS22")}, {"23.0", Path("PS23")}, {"24.0", Path("PS24")}});
  MakeDist("PS Files");
  ASSERT_TRUE(Launch());
  ComApartment com;
  AcceptTerms();
  driver.Click(Button("Change Location..."));
  const HWND chooser = driver.WaitForWindow("Choose Where to Install");
  ASSERT_NE(chooser, nullptr);
  std::vector<HWND> boxes;
  std::vector<std::string> folders;
  for (HWND child = GetWindow(chooser, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (Describe(child).rfind("check button", 0) == 0) boxes.push_back(child);
    else if (driver.Text(child).find("/PS2") != std::string::npos) folders.push_back(driver.Text(child));
  }
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(Describe(boxes[0]), "check button \"Photoshop 24.0 (32-bit)\" focused checked focusable");
  EXPECT_EQ(Describe(boxes[1]), "check button \"Photoshop 23.0 (32-bit)\" focusable");
  EXPECT_EQ(Describe(boxes[2]), "check button \"Photoshop 22.0 (32-bit)\" focusable");
  // Each beside its box, shortened as the window shows a location.
  ASSERT_EQ(folders.size(), 3u);
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(folders[i].substr(folders[i].size() - 5), "/PS2" + std::to_string(4 - i)) << folders[i];
  const auto ticked = [&](size_t i) { return Describe(boxes[i]).find(" checked") != std::string::npos; };

  driver.Key(VK_TAB);
  driver.Key(VK_SPACE);
  EXPECT_TRUE(PumpUntil([&] { return ticked(1); }, 2000)) << Describe(boxes[1]);
  for (size_t i : {size_t(2), size_t(0)}) {
    IAccessible* box = ClientObject(boxes[i]);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->accDoDefaultAction(Self()), S_OK);
    box->Release();
  }
  EXPECT_TRUE(PumpUntil([&] { return ticked(2) && !ticked(0); }, 2000)) << Describe(boxes[0]) << Describe(boxes[2]);
  driver.Key(VK_RETURN);
  ASSERT_NE(driver.WaitForWindow("Install "), nullptr);
  driver.BringToFront();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(chooser); }, 2000));
  EXPECT_NE(TextStartingWith(".../"), "");
  EXPECT_NE(driver.TextStartingWith(".../").find("/PS23 and 1 other folder"), std::string::npos)
      << driver.TextStartingWith(".../");

  ASSERT_TRUE(Install()) << driver.Text(Progress());
  EXPECT_EQ(Listing("PS23"), "Foo/ Foo/Plug-in.aex Foo/Presets/ Foo/Presets/One.ffx");
  EXPECT_EQ(Listing("PS22"), "Foo/ Foo/Plug-in.aex Foo/Presets/ Foo/Presets/One.ffx");
  EXPECT_EQ(Listing("PS24"), "");
  EXPECT_EQ(Quit(), 0u);
}

// An upgrade of an install into several hosts offers the folders it went
// into: the location reads them, and the chooser has them ticked.
TEST_F(SetupWindow, AnUpgradeOffersEveryFolderTheInstallWentInto) {
  for (const char* folder : {"PS22", "PS23", "PS24"}) MakeFolder(folder);
  const PhotoshopKeys keys({{"22.0", Path("PS22")}, {"23.0", Path("PS23")}, {"24.0", Path("PS24")}});
  MakeDist("PS Files", "Foo\r\nVersion: 1.0\r\n");
  SetupDriver quiet;
  ASSERT_TRUE(quiet.Start(Path("dist"), "/S /HOSTS=all"));
  ASSERT_EQ(quiet.WaitForExit(30000), 0u);
  MakeDist("PS Files", "Foo\r\nVersion: 2.0\r\n");
  ASSERT_TRUE(Launch());
  ComApartment com;
  EXPECT_NE(driver.TextStartingWith(".../").find("/PS24 and 2 other folders"), std::string::npos)
      << driver.TextStartingWith(".../");
  driver.Click(Button("Change Location..."));
  const HWND chooser = driver.WaitForWindow("Choose Where to Install");
  ASSERT_NE(chooser, nullptr);
  int ticked = 0;
  for (HWND child = GetWindow(chooser, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (Describe(child).rfind("check button", 0) == 0 && Describe(child).find(" checked") != std::string::npos) ++ticked;
  EXPECT_EQ(ticked, 3);
  driver.Key(VK_ESCAPE);
  ASSERT_NE(driver.WaitForWindow("Install "), nullptr);
  driver.BringToFront();
  AcceptTerms();
  ASSERT_TRUE(Install()) << driver.Text(Progress());
  for (const char* folder : {"PS22", "PS23", "PS24"}) EXPECT_NE(Listing(folder).find("Foo/Plug-in.aex"), std::string::npos);
  EXPECT_EQ(Quit(), 0u);
  SetupDriver uninstall;
  ASSERT_TRUE(uninstall.StartProgram(RegistrationPlaceOf("Foo").uninstaller, "/UNINSTALL /S"));
  EXPECT_EQ(uninstall.WaitForExit(30000), 0u);
  for (const char* folder : {"PS22", "PS23", "PS24"}) EXPECT_EQ(Listing(folder), "") << folder;
}

// Alt and the underlined letter press each control, from anywhere in the
// window, as a click would.
TEST_F(SetupWindow, AccessKeysPressTheirControls) {
  MakeDist("FX Files");
  MakeFolder("target");
  ASSERT_TRUE(Launch("/D=" + Path("target")));
  ComApartment com;
  struct Case {
    WORD key;
    const char* opens;  // the window it opens, closed again with Escape
    bool dialog;        // the platform's dialog
  } cases[] = {{'R', "About Foo", false}, {'L', "Software License Agreement", false}, {'H', "Browse for Folder", true}};
  const HWND main = driver.Window();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, static_cast<char>(c.key)));
    driver.Key(c.key, {VK_MENU});
    const HWND opened = c.dialog ? driver.WaitForDialog(c.opens, 10000) : driver.WaitForWindow(c.opens, 5000);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(GetWindow(opened, GW_OWNER), main);
    SetForegroundWindow(opened);
    driver.Key(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(opened) || !IsWindowVisible(opened); }, 5000));
    ASSERT_EQ(driver.WaitForWindow("Install "), main);
    driver.BringToFront();
  }
  POINT inBox = {106, 216};
  const HWND box = ChildWindowFromPointEx(driver.Window(), inBox, CWP_SKIPINVISIBLE);
  driver.Key('A', {VK_MENU});
  EXPECT_TRUE(PumpUntil([&] { return Describe(box).find(" checked") != std::string::npos; }, 2000))
      << "Alt+A ticks the box: " << Describe(box);
  driver.Key('I', {VK_MENU});
  ASSERT_TRUE(driver.WaitForText(Progress(), "Installation Complete."));
  Sleep(GetDoubleClickTime() + 50);
  driver.Key('Q', {VK_MENU});
  EXPECT_EQ(driver.WaitForExit(), 0u) << "Alt+Q quits";
}

// The cancel question holds the install back: the copy may finish behind
// it, but nothing is committed until the answer. "Yes" undoes the whole
// copy, as any cancel does; "No" lets the install finish.
TEST_F(SetupWindow, ACancelAnsweredLateDecidesTheInstall) {
  struct Case {
    int answer;
    const char* result;
    DWORD status;
  } cases[] = {{IDYES, "Installation cancelled.", 4}, {IDNO, "Installation Complete.", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    MakeDist("FX Files");
    PutManyFiles(300);
    // A large file first in the copy's order, so that the copy is still at
    // work when Cancel is clicked, however quick the machine.
    Put("dist/install files/FX Files/Big.bin", std::string(96 << 20, 'b'));
    Put("target/earlier.txt", "the user's own");
    const std::string before = TreeSnapshot("target");
    ASSERT_TRUE(Launch("/D=" + Path("target")));
    AcceptTerms();
    driver.Click(Button("Install"));
    driver.Click(Button("Cancel"));
    const HWND question = driver.WaitForDialog("Attention !");
    ASSERT_NE(question, nullptr);
    // The copy ends behind the question: every file counted.
    EXPECT_TRUE(PumpUntil([&] { return driver.Text(Progress()).find("303 of 303 files") != std::string::npos; },
                          60000))
        << driver.Text(Progress());
    Sleep(500);
    // The journal that undoes the copy is kept until the install commits.
    EXPECT_NE(TreeSnapshot("target").find(".qvsetup-"), std::string::npos) << "committed behind the question";
    driver.Answer(question, c.answer);
    ASSERT_TRUE(driver.WaitForText(Progress(), c.result, 60000)) << driver.Text(Progress());
    const std::string after = TreeSnapshot("target");
    EXPECT_EQ(after == before, c.answer == IDYES) << "undone only after Yes";
    EXPECT_EQ(after.find(".qvsetup-"), std::string::npos) << "the journal is gone";
    EXPECT_EQ(Exists("target/Many5/f299.txt"), c.answer == IDNO);
    EXPECT_EQ(Quit(), c.status);
    fs::remove_all(Path("dist"));
    fs::remove_all(Path("target"));
  }
}

// The folder chooser offers "Make New Folder" and a field for a path; a
// full path typed there becomes the location, though no folder has it yet.
// Too little room on the location's drive: the location step says so,
// Install is refused before anything is written, and the message's offer
// of another location opens the folder chooser and installs there.
TEST_F(SetupWindow, TooLittleRoomOffersAnotherLocation) {
  SmallVolume volume('r', 2);
  ASSERT_TRUE(volume.Ready()) << "needs root to mount a small volume";
  MakeDist("App Files");
  Put("dist/install files/App Files/Big.bin", std::string(3 << 20, 'b'));
  ASSERT_TRUE(Launch("/D=" + volume.Path()));
  std::string space;
  EXPECT_TRUE(PumpUntil([&] { return (space = TextStartingWith("Needs 3.0 MB; ")).size() > 0; }, 10000));
  EXPECT_NE(space.find("free: choose another location."), std::string::npos) << space;
  AcceptTerms();
  driver.Click(Button("Install"));
  const HWND box = driver.WaitForDialog("Attention !", 20000);
  ASSERT_NE(box, nullptr);
  const std::string text = driver.MessageText(box);
  EXPECT_EQ(text.rfind("There is not enough space on " + volume.Path() + " for this software", 0), 0u) << text;
  EXPECT_NE(text.find("\n\nChoose another location now?"), std::string::npos) << text;
  EXPECT_EQ(GetFileAttributesA(volume.Path("Foo").c_str()), INVALID_FILE_ATTRIBUTES) << "something was written";
  driver.Answer(box, IDYES);
  const HWND chooser = driver.WaitForDialog("Browse for Folder");
  ASSERT_NE(chooser, nullptr);
  const HWND field = FindWindowExA(chooser, nullptr, "Edit", nullptr);
  ASSERT_NE(field, nullptr);
  SetWindowTextA(field, Path("roomy").c_str());
  driver.Answer(chooser, IDOK);
  ASSERT_TRUE(driver.WaitForText(Progress(), "Installation Complete.", 20000)) << driver.Text(Progress());
  EXPECT_TRUE(Exists("roomy/Foo/Big.bin"));
  EXPECT_EQ(Quit(), 0u);
}

TEST_F(SetupWindow, TheFolderChooserTakesATypedPath) {
  MakeDist("FX Files");
  ASSERT_TRUE(Launch("/D=" + Path("target")));
  driver.Click(Button("Change Location..."));
  const HWND chooser = driver.WaitForDialog("Browse for Folder");
  ASSERT_NE(chooser, nullptr);
  bool newFolder = false;
  for (HWND child = GetWindow(chooser, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    std::string label = driver.Text(child);
    label.erase(std::remove(label.begin(), label.end(), '&'), label.end());
    newFolder |= label == "Make New Folder" && IsWindowVisible(child);
  }
  EXPECT_TRUE(newFolder);
  const HWND field = FindWindowExA(chooser, nullptr, "Edit", nullptr);
  ASSERT_NE(field, nullptr);
  EXPECT_TRUE(IsWindowVisible(field));
  const std::string typed = Path("Typed\\Deeper");
  SetWindowTextA(field, typed.c_str());
  driver.Answer(chooser, IDOK);
  // The window takes clicks again once the chooser is gone.
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(chooser) && IsWindowEnabled(driver.Window()); }, 5000));
  driver.BringToFront();
  AcceptTerms();
  ASSERT_TRUE(Install());
  EXPECT_EQ(driver.Text(Progress()), "Installation Complete.\n\nInstalled in " + typed);
  EXPECT_TRUE(Exists("Typed/Deeper/Plug-in.aex"));
  EXPECT_EQ(Quit(), 0u);
}

// Escape, Alt+F4 and the system's Close act as Cancel before an install
// and as Quit after one; the process ends with its window.
TEST_F(SetupWindow, EscapeAltF4AndCloseInEachState) {
  struct Case {
    const char* name;
    bool install;       // install first
    bool failing;       // and make it fail
    std::function<void(SetupDriver&)> close;
    DWORD status;
  };
  const auto escape = [](SetupDriver& one) { one.Key(VK_ESCAPE); };
  const auto altF4 = [](SetupDriver& one) { one.Key(VK_F4, {VK_MENU}); };
  const auto wmClose = [](SetupDriver& one) { PostMessageA(one.Window(), WM_CLOSE, 0, 0); };
  const auto scClose = [](SetupDriver& one) { PostMessageA(one.Window(), WM_SYSCOMMAND, SC_CLOSE, 0); };
  const Case cases[] = {
      {"Escape before", false, false, escape, 4},    {"Alt+F4 before", false, false, altF4, 4},
      {"WM_CLOSE before", false, false, wmClose, 4}, {"SC_CLOSE before", false, false, scClose, 4},
      {"Escape after", true, false, escape, 0},      {"Alt+F4 after", true, false, altF4, 0},
      {"WM_CLOSE after a failure", true, true, wmClose, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeDist("FX Files");
    Put("target/Plug-in.aex", "earlier");
    {
    SetupDriver one;
    ASSERT_TRUE(Launch(one, "/D=" + Path("target")));
    ASSERT_TRUE(PumpUntil([&] { return one.Focus() != nullptr; }, 2000)) << "the window has the keyboard";
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (c.install) {
      if (c.failing)
        holder = CreateFileA(Path("target/Plug-in.aex").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      one.ClickAt(106, 216);
      one.Click(one.Control("Install"));
      if (c.failing) {
        const HWND box = one.WaitForDialog("Attention !", 20000);
        ASSERT_NE(box, nullptr);
        one.Answer(box, IDOK);
      }
      ASSERT_TRUE(PumpUntil([&] { return one.Shows("Quit") && !one.Shows("Installing. Please wait..."); }, 20000));
      Sleep(GetDoubleClickTime() + 50);
      one.BringToFront();
    }
    c.close(one);
    EXPECT_EQ(one.WaitForExit(5000), c.status);
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    }
    fs::remove_all(Path("dist"));
    fs::remove_all(Path("target"));
  }
}

// The folder chooser is modal: while it is open the window takes no
// click, so Install cannot run and no second chooser opens.
TEST_F(SetupWindow, TheFolderChooserIsModalAndOwned) {
  MakeDist("AE Files");
  ASSERT_TRUE(Launch());
  AcceptTerms();
  driver.Click(Button("Change Location..."));
  const HWND chooser = driver.WaitForDialog("Browse for Folder");
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(GetWindow(chooser, GW_OWNER), driver.Window());
  EXPECT_FALSE(IsWindowEnabled(driver.Window())) << "the window is disabled while the chooser is open";
  RECT box, window;
  GetWindowRect(chooser, &box);
  GetWindowRect(driver.Window(), &window);
  EXPECT_NEAR((box.left + box.right) / 2, (window.left + window.right) / 2, 2) << "centred over the window";
  driver.Click(Button("Install"));
  Sleep(300);
  std::vector<HWND> choosers;
  for (HWND hwnd : driver.Windows()) {
    char text[64] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (std::string(text) == "Browse for Folder") choosers.push_back(hwnd);
  }
  EXPECT_EQ(choosers.size(), 1u) << "no second chooser";
  EXPECT_FALSE(driver.Shows("Installing. Please wait...")) << "Install did not run";
  driver.Answer(chooser, IDCANCEL);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(driver.Window()) != FALSE; }, 5000));
  driver.Click(Button("Cancel"));
  EXPECT_EQ(driver.WaitForExit(), 4u);
}

// During a copy of a few thousand files the window answers at once, moves
// and repaints; Cancel asks, stops the copy, and the destination is as it
// was; the status tells the program was left without installing.
TEST_F(SetupWindow, TheWindowAnswersDuringACopyThatCancelUndoes) {
  MakeDist("FX Files");
  PutManyFiles(4000);
  Put("target/earlier.txt", "the user's own");
  const std::string before = TreeSnapshot("target");
  ASSERT_TRUE(Launch("/LOG=" + Path("install.log") + " /D=" + Path("target")));
  AcceptTerms();
  driver.Click(Button("Install"));
  ASSERT_TRUE(PumpUntil([&] { return driver.Text(Progress()).find(" of 4,002 files") != std::string::npos; }, 10000))
      << driver.Text(Progress());
  EXPECT_TRUE(driver.Answers(200)) << "the window takes messages while it copies";
  RECT start, moved;
  GetWindowRect(driver.Window(), &start);
  ASSERT_TRUE(SetWindowPos(driver.Window(), nullptr, start.left + 40, start.top + 30, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  GetWindowRect(driver.Window(), &moved);
  EXPECT_EQ(moved.left, start.left + 40) << "it moves";
  const std::string earlyText = driver.Text(Progress());
  EXPECT_TRUE(PumpUntil([&] { return driver.Text(Progress()) != earlyText; }, 5000)) << "and shows progress";

  // Input meant for the steps does nothing now: a click on the step's
  // button ("Quit" until the install ends) starts nothing (the log shows
  // one install) and opens nothing.
  driver.BringToFront();
  driver.Click(Button("Quit"));
  EXPECT_TRUE(driver.Running());
  // Closing the window asks too; "No" lets the copy go on.
  PostMessageA(driver.Window(), WM_CLOSE, 0, 0);
  const HWND closing = driver.WaitForDialog("Attention !");
  ASSERT_NE(closing, nullptr) << "closing during the copy asks first";
  EXPECT_EQ(GetWindow(closing, GW_OWNER), driver.Window());
  driver.Answer(closing, IDNO);
  const std::string goingOn = driver.Text(Progress());
  EXPECT_TRUE(PumpUntil([&] { return driver.Text(Progress()) != goingOn; }, 5000)) << "the copy goes on";

  driver.Click(Button("Cancel"));
  const HWND question = driver.WaitForDialog("Attention !");
  ASSERT_NE(question, nullptr) << "Cancel asks first";
  EXPECT_NE(driver.MessageText(question).find("cancel the installation"), std::string::npos);
  driver.Answer(question, IDYES);
  ASSERT_TRUE(driver.WaitForText(Progress(), "Installation cancelled.", 60000)) << driver.Text(Progress());
  EXPECT_EQ(TreeSnapshot("target"), before) << "the install was undone";
  EXPECT_TRUE(driver.Shows("Quit"));
  EXPECT_EQ(Quit(), 4u);
  EXPECT_EQ(Count(Get("install.log"), "product: "), 1) << "one install, started once";
}

}  // namespace

namespace {

// A plug-in another program has loaded (as a running host has) is in use:
// the install says so, naming it, before anything is done, and leaves no
// hidden folder behind.
// A host with the plug-in loaded keeps running it: the file is moved aside
// and the new one put in place, the status says to restart the host, and
// once the host lets it go the next run leaves nothing of it behind. A
// file held without letting it be renamed still fails, undone.
TEST_F(Setup, ALoadedPlugInIsReplacedWhileTheHostRunsIt) {
  MakeDist("FX Files");
  std::string dll = SetupExe();
  dll = dll.substr(0, dll.rfind('\\')) + "\\qvplanted.dll";
  MakeFolder("target");
  ASSERT_TRUE(CopyFileA(dll.c_str(), Path("target/Plug-in.aex").c_str(), FALSE));
  const std::string before = TreeSnapshot("target");
  const HANDLE holder =
      CreateFileA(Path("target/Plug-in.aex").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const std::string options = "/S \"/LOG=" + Path("quiet.log") + "\" /D=" + Path("target");
  SetupDriver refused;
  ASSERT_TRUE(refused.Start(Path("dist"), options));
  EXPECT_EQ(refused.WaitForExit(30000), 1u);
  CloseHandle(holder);
  EXPECT_NE(Get("quiet.log").find("(error 32)"), std::string::npos);
  EXPECT_EQ(TreeSnapshot("target"), before) << "a hidden folder or a changed file is left";

  const HMODULE module = LoadLibraryExA(Path("target/Plug-in.aex").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(module, nullptr) << GetLastError();
  SetupDriver quiet;
  ASSERT_TRUE(quiet.Start(Path("dist"), options));
  EXPECT_EQ(quiet.WaitForExit(30000), 8u);
  EXPECT_EQ(Get("target/Plug-in.aex"), "plug-in bytes");
  using Export = int (*)();
  const auto call = reinterpret_cast<Export>(GetProcAddress(module, "QvPlanted"));
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call(), 42) << "the host still runs the earlier version";
  const std::string log = Get("quiet.log");
  EXPECT_NE(log.find("in use: " + Path("target/Plug-in.aex") + ": replaced"), std::string::npos) << log;
  EXPECT_NE(log.find("restart: the program using the files in use"), std::string::npos) << log;

  FreeLibrary(module);

  // The window says so under its result, and ends with the same status.
  Put("dist/install files/FX Files/Plug-in.aex", "newer plug-in bytes");
  ASSERT_TRUE(CopyFileA(dll.c_str(), Path("target/Plug-in.aex").c_str(), FALSE));
  const HMODULE second = LoadLibraryExA(Path("target/Plug-in.aex").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_TRUE(Launch("/D=" + Path("target")));
  AcceptTerms();
  ASSERT_TRUE(Install()) << driver.Text(Progress());
  EXPECT_NE(driver.Text(Progress()).find("\n\nRestart the program that was using it to use the new version."),
            std::string::npos)
      << driver.Text(Progress());
  EXPECT_EQ(Quit(), 8u);
  if (second) FreeLibrary(second);

  SetupDriver again;
  ASSERT_TRUE(again.Start(Path("dist"), options));
  EXPECT_EQ(again.WaitForExit(30000), 0u);
  EXPECT_EQ(TreeSnapshot("target").find(".qvsetup-"), std::string::npos) << TreeSnapshot("target");
}

}  // namespace
