#include "tests/app/Scratch.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

void ScratchTest::SetUp() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::ostringstream name;
  // Wine reuses process ids from one wineserver to the next: the tick count
  // keeps a folder left by an earlier run out of the way.
  name << temp << "qv" << GetCurrentProcessId() << "-" << GetTickCount() << "-" << info->name();
  root = name.str();
  std::error_code ignored;
  fs::remove_all(root, ignored);
  fs::create_directories(root);
}

void ScratchTest::TearDown() {
  // Names that Windows calls take for devices ("con" may block) or cannot
  // delete ("a.") go from the Unix side.
  if (madeUnixNames) RunUnixShell("rm -rf '" + UnixPath(root) + "'");
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

std::string ScratchTest::Path(const std::string& relative) const {
  std::string path = root + "\\" + relative;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

void ScratchTest::Put(const std::string& relative, const std::string& content) {
  fs::create_directories(fs::path(Path(relative)).parent_path());
  std::ofstream(Path(relative), std::ios::binary) << content;
}

void ScratchTest::MakeFolder(const std::string& relative) { fs::create_directories(Path(relative)); }

void ScratchTest::PutUnix(const std::string& relative, const std::string& content) {
  const size_t slash = relative.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : relative.substr(0, slash);
  MakeFolder(folder);
  const std::string name = relative.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::string unixFolder = UnixPath(folder.empty() ? root : Path(folder));
  madeUnixNames = true;
  EXPECT_TRUE(RunUnixShell("printf %s '" + content + "' > '" + unixFolder + "/" + name + "'")) << relative;
}

bool ScratchTest::Exists(const std::string& relative) const { return fs::exists(Path(relative)); }

bool ScratchTest::IsFolder(const std::string& relative) const { return fs::is_directory(Path(relative)); }

std::string ScratchTest::Get(const std::string& relative) const {
  std::ifstream in(Path(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ScratchTest::Listing(const std::string& relative) const {
  const fs::path base = Path(relative);
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(base)) {
    std::string name = entry.path().lexically_relative(base).generic_string();
    names.push_back(entry.is_directory() ? name + "/" : name);
  }
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const auto& name : names) joined += (joined.empty() ? "" : " ") + name;
  return joined;
}

std::string ScratchTest::TreeSnapshot(const std::string& relative) const {
  const fs::path base = Path(relative);
  std::vector<std::string> lines;
  for (const auto& entry : fs::recursive_directory_iterator(base)) {
    std::string line = entry.path().lexically_relative(base).generic_string();
    if (entry.is_directory()) {
      lines.push_back(line + "/");
      continue;
    }
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    GetFileAttributesExA(entry.path().string().c_str(), GetFileExInfoStandard, &info);
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::ostringstream out;
    out << line << " created " << info.ftCreationTime.dwHighDateTime << ":" << info.ftCreationTime.dwLowDateTime
        << " written " << info.ftLastWriteTime.dwHighDateTime << ":" << info.ftLastWriteTime.dwLowDateTime << " ["
        << (bytes.size() > 64 ? std::to_string(bytes.size()) + " bytes, hash " +
                                      std::to_string(std::hash<std::string>()(bytes))
                                : bytes)
        << "]";
    lines.push_back(out.str());
  }
  std::sort(lines.begin(), lines.end());
  std::string joined;
  for (const auto& line : lines) joined += line + "\n";
  return joined;
}

std::string UnixPath(const std::string& windowsPath) {
  // Wine maps drive letters through dosdevices; ask it rather than guess.
  using Convert = char* (CDECL*)(LPCWSTR);
  static auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return "";
  std::wstring wide(windowsPath.begin(), windowsPath.end());
  char* unix = convert(wide.c_str());
  std::string result = unix ? unix : "";
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

bool RunUnixShell(const std::string& command) {
  // Wine starts Unix programs but cannot wait for them: the command leaves a
  // marker when it is done.
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string marker = std::string(temp) + "qv-unix-done-" + std::to_string(GetCurrentProcessId());
  DeleteFileA(marker.c_str());
  std::string line = "/bin/sh -c \"" + command + " && touch '" + UnixPath(marker) + "'\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 500; ++i) {
    if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) {
      DeleteFileA(marker.c_str());
      return true;
    }
    Sleep(10);
  }
  return false;
}

SmallVolume::SmallVolume(char letter, int megabytes) : letter(letter) {
  // One volume per letter at a time, across the test programs that ctest
  // runs side by side: each would unmount the other's.
  const std::wstring name = L"qv-test-volume-" + std::wstring(1, static_cast<wchar_t>(letter));
  letterLock = CreateMutexW(nullptr, FALSE, name.c_str());
  if (letterLock) WaitForSingleObject(letterLock, INFINITE);
  // Wine names C: by its dosdevices entry (".../dosdevices/c:") or by the
  // folder it leads to (".../drive_c"); the prefix holds both.
  std::string driveC = UnixPath("C:\\");
  while (!driveC.empty() && driveC.back() == '/') driveC.pop_back();
  std::string prefix = driveC.substr(0, driveC.find_last_of('/'));
  if (prefix.size() > 11 && prefix.compare(prefix.size() - 11, 11, "/dosdevices") == 0)
    prefix.resize(prefix.size() - 11);
  mountPoint = prefix + "/qv-volume-" + std::string(1, letter);
  link = prefix + "/dosdevices/" + std::string(1, letter) + ":";
  ready = RunUnixShell("umount '" + mountPoint + "' 2>/dev/null; mkdir -p '" + mountPoint + "' && mount -t tmpfs -o size=" +
                       std::to_string(megabytes) + "m tmpfs '" + mountPoint + "' && ln -sfn '" + mountPoint + "' '" +
                       link + "'");
}

SmallVolume::~SmallVolume() {
  RunUnixShell("rm -f '" + link + "'; umount '" + mountPoint + "' && rmdir '" + mountPoint + "'");
  if (letterLock) {
    ReleaseMutex(letterLock);
    CloseHandle(letterLock);
  }
}

std::string SmallVolume::Path(const std::string& relative) const {
  std::string path = std::string(1, letter) + ":\\" + relative;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}
