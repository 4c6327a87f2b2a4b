// Start-up's DLL safety, in a program built like the installer: with its
// manifest, and with a DLL planted beside it (qvplanted.dll).
#include "app/SafeDllLoading.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
