// setup_tour: one install of a distribution, end to end, driven like a
// user would drive it, with a screenshot of each state on the way: the
// steps, the release notes and the licence's end in the viewer, the copy
// under way, the result, a second install that fails on a locked file, and
// the uninstaller its Apps & features entry names: its question and result.
// Three After Effects versions are registered for the tour (and removed
// after it), so that "Change Location..." shows the chooser of hosts.
// The pictures are taken from the display the program shows on
// (ImageMagick's import).
//
//   setup_tour.exe DIST_FOLDER LOCATION LOCKED_FILE SCREENSHOT_FOLDER_UNIX
//
// DIST_FOLDER holds setup.exe, which installs into the folder LOCATION; its
// payload should take a moment to copy (some thousands of files) so that
// the copy can be seen. LOCKED_FILE is a file the install writes, held
// open for the second, failing install. Exit status 0 when every step went
// as it should.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "app/install/ProductRegistration.h"
#include "tests/app/Scratch.h"
#include "tests/app/SetupDriver.h"
#include "tests/toolkit/window/MessagePump.h"

namespace {

std::string shots;

bool Shoot(const char* name) {
  const std::string file = shots + "/" + name + ".png";
  const bool taken = RunUnixShell("import -window root -silent '" + file + ".full.png' && convert '" + file +
                                  ".full.png' -trim +repage '" + file + "' && rm -f '" + file + ".full.png'");
  std::printf("%s %s\n", taken ? "screenshot" : "no screenshot", file.c_str());
  return taken;
}

bool Check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  return ok;
}

// After Effects keys of the tour's own: the version and its plug-in folder.
const char kAeKey[] = "SOFTWARE\\Adobe\\After Effects";
void RegisterHosts(const std::string& location) {
  const std::pair<const char*, std::string> hosts[] = {
      {"23.0", "C:\\Program Files\\Adobe\\Adobe After Effects 2023\\Support Files\\Plug-ins"},
      {"24.0", location},
      {"25.0", "C:\\Program Files\\Adobe\\Adobe After Effects 2025\\Support Files\\Plug-ins"}};
  for (const auto& host : hosts) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kAeKey) + "\\" + host.first).c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr))
      continue;
    RegSetValueExA(key, "PluginInstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(host.second.c_str()),
                   static_cast<DWORD>(host.second.size() + 1));
    RegCloseKey(key);
  }
}
void RemoveHosts() {
  for (const char* version : {"23.0", "24.0", "25.0"})
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAeKey) + "\\" + version).c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAeKey);
}

// The progress caption, whatever it reads now.
HWND FindProgress(SetupDriver& driver) {
  for (const char* text : {"Installing. Please wait...", "Installation Complete.", "ERROR: Installation Failed."})
    if (HWND caption = driver.Control(text)) return caption;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: setup_tour.exe DIST_FOLDER LOCATION LOCKED_FILE SCREENSHOT_FOLDER_UNIX\n");
    return 2;
  }
  const std::string dist = argv[1], location = argv[2], locked = argv[3];
  shots = argv[4];
  RegisterHosts(location);
  struct Unregister {
    ~Unregister() { RemoveHosts(); }
  } unregister;
  SetupDriver driver;
  if (!Check(driver.Start(dist, "/D=" + location) && driver.WaitForWindow("Install "), "the installer opens"))
    return 1;
  driver.BringToFront();
  const HWND progress = FindProgress(driver);
  bool ok = true;
  Sleep(300);
  Shoot("1-ready");

  // The hosts found, the location's ticked; Escape changes nothing.
  driver.Click(driver.Control("Change Location..."));
  ok &= Check(driver.WaitForWindow("Choose Where to Install") != nullptr, "the hosts are offered");
  Sleep(300);
  Shoot("1-hosts");
  driver.Key(VK_ESCAPE);
  driver.WaitForWindow("Install ");
  driver.BringToFront();

  driver.Click(driver.Control("Show Release Notes..."));
  const HWND viewer = driver.WaitForWindow("About ");
  ok &= Check(viewer != nullptr, "the release notes open in the viewer");
  Sleep(300);
  Shoot("2-release-notes");
  if (HWND close = driver.Control("Close", viewer)) driver.Click(close);
  driver.WaitForWindow("Install ");
  driver.BringToFront();

  // The licence's end, where the sample's UTF-8 clause is.
  driver.Click(driver.Control("Read the License..."));
  const HWND licence = driver.WaitForWindow("Software License Agreement");
  ok &= Check(licence != nullptr, "the licence opens in the viewer");
  driver.Key(VK_END);
  Sleep(300);
  Shoot("2-licence-end");
  if (HWND close = driver.Control("Close", licence)) driver.Click(close);
  driver.WaitForWindow("Install ");
  driver.BringToFront();

  // The terms accepted from the keyboard: "Read the License..." has the
  // focus back from its viewer; Shift+Tab to the check box, Space.
  driver.Key(VK_TAB, {VK_SHIFT});
  driver.Key(VK_SPACE);
  Sleep(300);
  Shoot("3-keyboard");
  driver.Click(driver.Control("Install"));
  // The copy holds the installer's thread; stopping that thread a moment,
  // about a third of the way, keeps the progress on the screen for its
  // picture.
  auto copied = [](const std::string& text) {
    const size_t at = text.find("... ");
    if (at == std::string::npos || text.find(" of ") == std::string::npos) return -1;
    std::string digits;
    for (size_t i = at + 4; i < text.size() && text[i] != ' '; ++i)
      if (text[i] != ',') digits += text[i];
    return digits.empty() ? -1 : std::atoi(digits.c_str());
  };
  std::string text;
  const DWORD start = GetTickCount();
  do {
    text = driver.Text(progress);
  } while (copied(text) < 1000 && text.rfind("Installation Complete.", 0) != 0 && GetTickCount() - start < 20000);
  if (copied(text) >= 1000 && driver.Pause()) {
    Sleep(200);
    Shoot("4-installing");
    driver.Resume();
  }
  ok &= Check(driver.WaitForText(progress, "Installation Complete.", 120000), "the install completes");
  Sleep(GetDoubleClickTime() + 100);
  Shoot("5-complete");

  // Another install, onto a file held open without sharing: it fails and
  // is undone, and the message says which file and why.
  driver.Click(driver.Control("Do Another"));
  Sleep(200);
  const HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ok &= Check(holder != INVALID_HANDLE_VALUE, "an installed file is held open");
  driver.Click(driver.Control("Install"));
  const HWND box = driver.WaitForDialog("Attention !", 120000);
  ok &= Check(box != nullptr, "a failed copy says so");
  Sleep(200);
  Shoot("6-failure-message");
  // Cancel declines the Retry the message offers: the failed state.
  if (box) driver.Answer(box, IDCANCEL);
  ok &= Check(driver.WaitForText(progress, "ERROR: Installation Failed.", 5000), "the window shows the failure");
  if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
  Sleep(GetDoubleClickTime() + 100);
  Shoot("7-failed");
  driver.Click(driver.Control("Quit"));
  ok &= Check(driver.WaitForExit() == 1, "Quit after a failed install ends the installer with 1");

  // Again, and this time the file is let go while the message is open:
  // Retry installs with the same choices, the terms still accepted.
  SetupDriver again;
  ok &= Check(again.Start(dist, "/D=" + location) && again.WaitForWindow("Install "), "the installer opens again");
  again.BringToFront();
  Sleep(300);
  Shoot("7-upgrade");
  again.Key(VK_TAB);    // from "Show Release Notes..." to the check box
  again.Key(VK_SPACE);  // "I accept."
  const HANDLE held = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  again.Click(again.Control("Install"));
  const HWND retry = again.WaitForDialog("Attention !", 120000);
  ok &= Check(retry != nullptr, "the failure offers Retry");
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  Sleep(200);
  Shoot("7-retry-message");
  if (retry) again.Answer(retry, IDRETRY);
  ok &= Check(again.WaitForText(FindProgress(again), "Installation Complete.", 120000), "Retry installs");
  Sleep(GetDoubleClickTime() + 100);
  Shoot("7-retried");
  again.Click(again.Control("Quit"));
  ok &= Check(again.WaitForExit() == 0, "Quit after the retried install ends the installer with 0");

  // The uninstaller, as Apps & features starts it.
  SetupDriver uninstaller;
  ok &= Check(uninstaller.StartProgram(RegistrationPlaceOf("Kestrova Lumen").uninstaller.c_str(), "/UNINSTALL"),
              "the uninstaller starts");
  const HWND question = uninstaller.WaitForWindow("Uninstall ", 10000);
  ok &= Check(question != nullptr, "the uninstaller asks");
  SetForegroundWindow(question);
  PumpUntil([&] { return GetForegroundWindow() == question; }, 2000);
  Sleep(300);
  Shoot("8-uninstall-question");
  uninstaller.Key('R', {VK_MENU});
  const bool told = PumpUntil([&] { return !uninstaller.TextStartingWith("Kestrova Lumen was removed").empty(); }, 60000);
  ok &= Check(told, "the uninstaller tells what it did");
  Sleep(300);
  Shoot("9-uninstalled");
  uninstaller.Key(VK_RETURN);
  ok &= Check(uninstaller.WaitForExit(60000) == 0, "the uninstall ends with 0");
  return ok ? 0 : 1;
}
