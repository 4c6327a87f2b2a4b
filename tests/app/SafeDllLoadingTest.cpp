// Start-up's DLL safety: in a program built like the installer (with its
// manifest, and with a DLL planted beside it, qvplanted.dll), and in the
// real setup.exe, started in a distribution folder with a DLL planted
// beside it.
#include "app/SafeDllLoading.h"
#include "toolkit/window/SystemDlls.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <imm.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <string>

#include "tests/app/Scratch.h"
#include "tests/app/SetupDriver.h"

namespace {

constexpr DWORD kSearchApplicationFolder = 0x00000200;  // LOAD_LIBRARY_SEARCH_APPLICATION_DIR

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(module, path, MAX_PATH);
  return CharLowerA(path);
}

TEST(SafeDllLoadingTest, AfterRestrictingNothingLoadsFromTheProgramsFolder) {
  ASSERT_TRUE(RestrictDllLoading()) << "Wine 8 has SetDefaultDllDirectories";
  EXPECT_EQ(LoadLibraryA("qvplanted.dll"), nullptr) << "the planted DLL was loaded";
  EXPECT_NE(LoadLibraryA("version.dll"), nullptr) << "system DLLs still load by name";

  // The planted DLL is there and loadable when asked for in that folder.
  const HMODULE planted = LoadLibraryExA("qvplanted.dll", nullptr, kSearchApplicationFolder);
  ASSERT_NE(planted, nullptr);
  FreeLibrary(planted);
}

TEST(SafeDllLoadingTest, CommonControlsComeFromTheSystemAsTheManifestAsks) {
  RestrictDllLoading();
  ASSERT_TRUE(InitCommonControlsFromSystem(ICC_BAR_CLASSES));
  const HMODULE controls = GetModuleHandleA("comctl32.dll");
  ASSERT_NE(controls, nullptr);
  EXPECT_NE(ModulePath(controls).find("microsoft.windows.common-controls_6595b64144ccf1df_6.0"), std::string::npos)
      << ModulePath(controls);

  const HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  EXPECT_NE(tip, nullptr) << "the tooltip class is there";
  DestroyWindow(tip);
}

// A program of the build, by its Windows path.
std::string BuildOutput(const char* unixPath) {
  std::string path = std::string("Z:") + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// The real setup.exe in a distribution folder, with a DLL planted beside it
// under a name that its window's start asks for by name. Under Wine that is
// the keyboard layout's input method: the input method manager loads the
// file the registry names for the layout with LoadLibraryW, in the default
// search order, when the process's first window is activated. Nothing else
// that the start loads once WinMain runs is looked for beside the program
// (the common controls come by system path, and the unattended mode loads
// no DLL at all), so this is the planted DLL that tells whether the search
// was restricted in time. The planted DLL (qvtracing.dll) leaves a trace file
// beside itself if it is loaded. No built-in DLL of Wine has its name, so
// Wine takes the file it finds as it is, without any DLL override.
class SetupStartTest : public ScratchTest {
protected:
  static constexpr char kImeFile[] = "qvplanted.ime";
  static constexpr char kLayouts[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts";

  void SetUp() override {
    ScratchTest::SetUp();
    MakeFolder("dist/install files/App Files");
    ASSERT_TRUE(CopyFileA(BuildOutput(QV_SETUP_EXE).c_str(), Path("dist/setup.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(BuildOutput(QV_PLAIN_WINDOW_EXE).c_str(), Path("dist/plain_window.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(BuildOutput(QV_TRACING_DLL).c_str(), Path(std::string("dist/") + kImeFile).c_str(), FALSE));
    Put("dist/install files/product.txt", "Foo\r\n");
    Put("dist/install files/readme.txt", "Release notes.\r\n");
    Put("dist/install files/eula.txt", "Terms.\r\n");
    Put("dist/install files/App Files/a.txt", "a");

    // The keyboard layout every program of the prefix starts with gets the
    // planted file as its input method.
    char hkl[16];
    const auto layout = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)));
    std::snprintf(hkl, sizeof hkl, "\\%08lx", layout);
    layoutKey = std::string(kLayouts) + hkl;
    layoutsExisted = KeyExists(kLayouts);
    layoutExisted = KeyExists(layoutKey);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, layoutKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Ime File", 0, REG_SZ, reinterpret_cast<const BYTE*>(kImeFile), sizeof kImeFile);
    RegCloseKey(key);
    char named[MAX_PATH] = "";
    ImmGetIMEFileNameA(GetKeyboardLayout(0), named, sizeof named);
    ASSERT_STREQ(named, kImeFile) << "the input method manager reads another key";
  }

  void TearDown() override {
    if (layoutKey.empty()) {
      // Set-up ended before the registry was touched.
    } else if (layoutExisted) {
      HKEY key;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, layoutKey.c_str(), 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "Ime File");
        RegCloseKey(key);
      }
    } else {
      RegDeleteKeyA(HKEY_LOCAL_MACHINE, layoutKey.c_str());
      if (!layoutsExisted) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kLayouts);
    }
    ScratchTest::TearDown();
  }

  static bool KeyExists(const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  // Runs a program of the folder with the folder as its current folder;
  // its exit status, or STILL_ACTIVE when it has not ended after 10 s.
  DWORD Run(const std::string& folder, const std::string& program) {
    std::string line = "\"" + folder + "\\" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process))
      return GetLastError();
    DWORD status = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &status);
    else TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
  }

  std::string trace = std::string("dist/") + kImeFile + ".loaded";
  std::string layoutKey;
  bool layoutsExisted = false;
  bool layoutExisted = false;
};

TEST_F(SetupStartTest, StartingWithTheWindowLoadsNoDllFromItsFolder) {
  // Without the restriction the planted file is loaded: this check can
  // fail.
  ASSERT_EQ(Run(Path("dist"), "plain_window.exe"), 0u);
  ASSERT_TRUE(Exists(trace)) << "a program that does not restrict the search no longer loads the planted input "
                                "method; this test proves nothing until it plants something that is loaded";
  ASSERT_TRUE(DeleteFileA(Path(trace).c_str()));

  SetupDriver driver;
  ASSERT_TRUE(driver.Start(Path("dist")));
  ASSERT_NE(driver.WaitForWindow("Install "), nullptr);
  driver.BringToFront();
  driver.Click(driver.Control("Cancel"));
  EXPECT_EQ(driver.WaitForExit(), 4u) << "left without installing";
  EXPECT_FALSE(Exists(trace)) << "setup.exe loaded " << kImeFile << " from its own folder";
}

}  // namespace
