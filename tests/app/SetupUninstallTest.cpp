// The uninstaller's window and the window's upgrades end to end: the real
// setup.exe installs, and the uninstaller its entry names is driven from
// this process by keys, as a user at Apps & features would.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "app/install/InstallLock.h"
#include "app/install/ProductRegistration.h"
#include "tests/app/Scratch.h"
#include "tests/app/SetupDriver.h"
#include "tests/toolkit/controls/AccessibleReading.h"
#include "tests/toolkit/window/MessagePump.h"

namespace {

// A product of these tests' own: installs register their product, and
// other tests install theirs side by side.
const char kProduct[] = "Uninstall Window Foo";
// The uninstaller where the prefix keeps it (Common Files as it names them).
const std::string kUninstallerPath = RegistrationPlaceOf(kProduct).uninstaller;
const char* const kUninstaller = kUninstallerPath.c_str();
const char kEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrova.Uninstall Window Foo";

std::string SetupExe() {
  std::string path = "Z:" QV_SETUP_EXE;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

bool EntryExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string EntryValue(const char* name) {
  char value[512] = "";
  DWORD size = sizeof value - 1;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) return "";
  RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return value;
}

class SetupUninstall : public ScratchTest {
protected:
  void SetUp() override {
    ScratchTest::SetUp();
    Forget();
  }
  void TearDown() override {
    Forget();
    ScratchTest::TearDown();
  }
  // No earlier install of the product: its entry and record go.
  static void Forget() {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kEntry, KEY_WOW64_32KEY, 0);
    const std::string folder = std::string(kUninstaller).substr(0, std::string(kUninstaller).rfind('\\'));
    DeleteFileA((folder + "\\install record").c_str());
    DeleteFileA(kUninstaller);
    RemoveDirectoryA(folder.c_str());
  }
  // A distribution in folder of the product at version, with an
  // application payload of two files.
  void MakeDist(const std::string& folder, const std::string& version) {
    MakeFolder(folder + "/install files");
    ASSERT_TRUE(CopyFileA(SetupExe().c_str(), Path(folder + "/setup.exe").c_str(), FALSE));
    Put(folder + "/install files/product.txt", std::string(kProduct) + "\r\nVersion: " + version + "\r\n");
    Put(folder + "/install files/readme.txt", "Release notes.\r\n");
    Put(folder + "/install files/eula.txt", "Terms.\r\n");
    Put(folder + "/install files/App Files/tool.exe", "tool " + version);
    Put(folder + "/install files/App Files/Help/index.html", "help");
  }
  DWORD InstallQuietly(const std::string& folder, const std::string& arguments) {
    SetupDriver quiet;
    if (!quiet.Start(Path(folder), "/S /LOG=\"" + Path("install.log") + "\" " + arguments)) return 999;
    return quiet.WaitForExit(30000);
  }
  // The uninstaller shows its window with its question, in front for the
  // key that answers it.
  HWND Question() {
    if (!driver.StartProgram(kUninstaller, "/UNINSTALL")) return nullptr;
    return InFront(driver.WaitForWindow("Uninstall ", 10000));
  }
  // Alt+R: Remove.
  void Remove() { driver.Key('R', {VK_MENU}); }
  // The result that takes the question's place, once it shows.
  std::string Result() {
    std::string text;
    PumpUntil(
        [&] {
          text = driver.TextStartingWith(kProduct);
          return !text.empty() && text.find("Please wait") == std::string::npos;
        },
        20000);
    return text;
  }
  static HWND InFront(HWND box) {
    if (!box) return nullptr;
    SetForegroundWindow(box);
    PumpUntil([&] { return GetForegroundWindow() == box; }, 2000);
    Sleep(50);
    return box;
  }

  SetupDriver driver;
};

TEST_F(SetupUninstall, TheUninstallerAsksThenRemovesAndSaysSo) {
  MakeDist("v1", "1.0");
  MakeFolder("place");
  ASSERT_EQ(InstallQuietly("v1", "/D=" + Path("place")), 0u) << Get("install.log");
  ASSERT_TRUE(Exists("place/Uninstall Window Foo/Help/index.html"));
  EXPECT_EQ(EntryValue("UninstallString"), "\"" + std::string(kUninstaller) + "\" /UNINSTALL");

  // The window names the product, its version and folder, and asks.
  HWND window = Question();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(driver.Text(window), "Uninstall Uninstall Window Foo");
  EXPECT_TRUE(driver.Shows("Remove Uninstall Window Foo and its files?"));
  EXPECT_TRUE(driver.Shows("Version 1.0, installed in .../place/Uninstall Window Foo"));
  {
    // As a screen reader reads it: Remove with its key, Cancel the default.
    ComApartment com;
    EXPECT_EQ(Describe(driver.Control("Remove")), "push button \"Remove\" focusable Alt+R");
    EXPECT_EQ(Describe(driver.Control("Cancel")), "push button \"Cancel\" focused default focusable Alt+C");
  }
  // Escape answers No: nothing changes, and the status says so.
  driver.Key(VK_ESCAPE);
  EXPECT_EQ(driver.WaitForExit(), 4u);
  EXPECT_TRUE(Exists("place/Uninstall Window Foo/tool.exe"));
  EXPECT_TRUE(EntryExists());

  // Enter presses Cancel, the default: a stray key press never removes anything.
  ASSERT_NE(Question(), nullptr);
  driver.Key(VK_RETURN);
  EXPECT_EQ(driver.WaitForExit(), 4u);
  EXPECT_TRUE(Exists("place/Uninstall Window Foo/tool.exe"));

  // Alt+R: the removal, then its result in the window, with what was
  // kept; Enter closes it.
  Put("place/Uninstall Window Foo/Help/mine.txt", "the user's");
  Put("place/Uninstall Window Foo/tool.exe", "changed since");
  ASSERT_NE(Question(), nullptr);
  Remove();
  EXPECT_EQ(Result(), "Uninstall Window Foo was removed.\n\nThese files were changed after the install, so they "
                      "were kept:\n" + Path("place") + "\\Uninstall Window Foo\\tool.exe");
  driver.Key(VK_RETURN);
  EXPECT_EQ(driver.WaitForExit(), 0u);
  EXPECT_EQ(Listing("place/Uninstall Window Foo"), "Help/ Help/mine.txt tool.exe");
  EXPECT_FALSE(EntryExists());
  EXPECT_EQ(GetFileAttributesA(kUninstaller), INVALID_FILE_ATTRIBUTES);
}

// Started by a program that shows a window of its own and then waits for
// it without answering messages, as the system's list of programs does:
// the question still appears at once, answers keys, and the removal ends.
// (A box owned by that program's window would wait for it forever.)
TEST_F(SetupUninstall, TheQuestionAppearsWhileTheProgramThatStartedItWaits) {
  MakeDist("v1", "1.0");
  MakeFolder("place");
  ASSERT_EQ(InstallQuietly("v1", "/D=" + Path("place")), 0u) << Get("install.log");
  const HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr), done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread list([&] {
    const HWND window = CreateWindowExA(0, "STATIC", "Programs", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 200,
                                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(window);
    PumpUntil([&] { return GetForegroundWindow() == window; }, 2000);
    SetEvent(ready);
    WaitForSingleObject(done, 60000);  // answers nothing meanwhile
    DestroyWindow(window);
  });
  ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
  ASSERT_TRUE(driver.StartProgram(kUninstaller, "/UNINSTALL"));
  const HWND window = InFront(driver.WaitForWindow("Uninstall ", 10000));
  EXPECT_NE(window, nullptr);
  if (window) {
    Remove();
    EXPECT_EQ(Result(), "Uninstall Window Foo was removed.");
    driver.Key(VK_RETURN);
    EXPECT_EQ(driver.WaitForExit(), 0u);
    EXPECT_FALSE(EntryExists());
  }
  SetEvent(done);
  list.join();
  CloseHandle(ready);
  CloseHandle(done);
}

// An upgrade in the window: the recorded location is offered, and a lower
// version asks first.
TEST_F(SetupUninstall, TheWindowOffersTheRecordedLocationAndAsksBeforeADowngrade) {
  MakeDist("v2", "2.0");
  MakeDist("v1", "1.0");
  MakeFolder("place");
  ASSERT_EQ(InstallQuietly("v2", "/D=" + Path("place")), 0u) << Get("install.log");

  ASSERT_TRUE(driver.Start(Path("v1"), "/LOG=\"" + Path("window.log") + "\""));
  ASSERT_NE(driver.WaitForWindow("Install "), nullptr);
  driver.BringToFront();
  const HWND progress = driver.Control("Installing. Please wait...");
  ASSERT_NE(progress, nullptr);
  // Under the welcome: what is installed, and what this install does to it.
  EXPECT_TRUE(driver.Shows("Uninstall Window Foo 2.0 will be replaced by the older version 1.0 in .../place/"
                           "Uninstall Window Foo."));
  driver.ClickAt(100 + 6, 206 + 10);  // "I accept."
  driver.Click(driver.Control("Install"));
  HWND box = InFront(driver.WaitForDialog("Attention !", 10000));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(driver.MessageText(box),
            "Uninstall Window Foo 2.0 is installed.\n\nInstall the older version 1.0 over it?");
  driver.Key('N');
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 5000));
  ASSERT_TRUE(driver.Answers(2000));
  EXPECT_EQ(Get("place/Uninstall Window Foo/tool.exe"), "tool 2.0");
  driver.Click(driver.Control("Install"));
  box = InFront(driver.WaitForDialog("Attention !", 10000));
  ASSERT_NE(box, nullptr);
  driver.Key('Y');
  ASSERT_TRUE(driver.WaitForText(progress, "Installation Complete."));
  EXPECT_EQ(driver.Text(progress), "Installation Complete.\n\nInstalled in " + Path("place") +
                                       "\\Uninstall Window Foo\n\nReplaced version 2.0.");
  EXPECT_EQ(Get("place/Uninstall Window Foo/tool.exe"), "tool 1.0");
  EXPECT_EQ(EntryValue("DisplayVersion"), "1.0") << Get("window.log");
  EXPECT_NE(Get("window.log").find("destination: " + Path("place") + "\\Uninstall Window Foo"), std::string::npos);
}

// One run of a product at a time: while another holds the product (here
// this test, by its lock), an install into another folder and the
// uninstaller fail at once and change nothing.
TEST_F(SetupUninstall, OneRunOfAProductAtATime) {
  MakeDist("v1", "1.0");
  MakeFolder("place");
  MakeFolder("elsewhere");
  ASSERT_EQ(InstallQuietly("v1", "/D=" + Path("place")), 0u) << Get("install.log");
  std::atomic<bool> holding(false), release(false);
  std::thread other([&] {
    InstallLock lock;
    InstallFailure failure;
    holding = lock.TakeProduct("uninstall window FOO", &failure);  // any letter case
    while (!release) Sleep(1);
  });
  while (!holding) Sleep(1);
  EXPECT_EQ(InstallQuietly("v1", "/D=" + Path("elsewhere")), 1u);
  EXPECT_NE(Get("install.log").find("another install or removal of this product is running"), std::string::npos)
      << Get("install.log");
  EXPECT_EQ(Listing("elsewhere"), "");
  SetupDriver quiet;
  ASSERT_TRUE(quiet.StartProgram(kUninstaller, "/UNINSTALL /S"));
  EXPECT_EQ(quiet.WaitForExit(30000), 1u);
  EXPECT_EQ(Get("place/Uninstall Window Foo/tool.exe"), "tool 1.0");
  EXPECT_TRUE(EntryExists());
  release = true;
  other.join();
}

// An upgrade while the uninstaller's question is open: "Yes" then finds
// another record than the one it asked about, says so and removes
// nothing, so the upgrade's files are never orphaned.
TEST_F(SetupUninstall, AnUpgradeWhileTheQuestionIsOpenIsNotRemoved) {
  MakeDist("v1", "1.0");
  MakeDist("v2", "2.0");
  MakeFolder("place");
  ASSERT_EQ(InstallQuietly("v1", "/D=" + Path("place")), 0u) << Get("install.log");
  HWND window = Question();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(InstallQuietly("v2", ""), 0u) << Get("install.log");
  ASSERT_EQ(Get("place/Uninstall Window Foo/tool.exe"), "tool 2.0");
  InFront(window);
  Remove();
  const std::string text = Result();
  EXPECT_NE(text.find("could not be removed"), std::string::npos) << text;
  EXPECT_NE(text.find("installed or changed since the uninstaller read its record"), std::string::npos) << text;
  driver.Key(VK_RETURN);
  EXPECT_EQ(driver.WaitForExit(), 1u);
  EXPECT_EQ(Get("place/Uninstall Window Foo/tool.exe"), "tool 2.0");
  EXPECT_TRUE(Exists("place/Uninstall Window Foo/Help/index.html"));
  EXPECT_TRUE(EntryExists());
}

}  // namespace
