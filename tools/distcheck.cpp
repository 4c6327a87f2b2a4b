// distcheck DIST_FOLDER: checks a distribution (setup.exe beside its
// "install files" folder) before it ships, with the installer's own rules,
// and prints one line per finding:
//
//   ok: ...       a check that passed
//   note: ...     what the installer will do (which payload, which location)
//   warning: ...  something the installer handles on purpose but the
//                 publisher may not mean (files it skips, payload folders it
//                 ignores); warnings alone do not fail the check
//   problem: ...  something that makes the install fail or go wrong
//
// and a last "summary:" line. Exit status 0 when there is no problem, 1 when
// there is one or more, 2 on a usage error. Output is UTF-8.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "app/install/FileTree.h"
#include "app/install/InstallJob.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallNames.h"
#include "app/install/InstallProgress.h"
#include "app/install/InstallTarget.h"
#include "app/install/PathNames.h"
#include "imagelib/OpenImage.h"

namespace {

constexpr int kPictureWidth = 620;
constexpr int kPictureHeight = 420;

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
  return out;
}

std::wstring WideFromAnsi(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(size > 0 ? size - 1 : 0, L'\0');
  if (size > 1) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], size);
  return out;
}

// The name in the ANSI code page, when it goes there and back unchanged:
// the installer lists and opens files through the ANSI calls, which give a
// name that does not fit as question marks or a look-alike.
bool ToAnsiExactly(const std::wstring& text, std::string* ansi) {
  if (GetACP() == CP_UTF8) {
    *ansi = Utf8(text);
    return true;
  }
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr,
                                       &usedDefault);
  if (size <= 0 || usedDefault) return false;
  std::string out(size - 1, '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, &out[0], size, nullptr, &usedDefault);
  if (usedDefault || WideFromAnsi(out) != text) return false;
  *ansi = out;
  return true;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

class Findings {
public:
  void Ok(const std::string& text) { Print("ok", text); }
  void Note(const std::string& text) { Print("note", text); }
  void Warning(const std::string& text) {
    ++warnings;
    Print("warning", text);
  }
  void Problem(const std::string& text) {
    ++problems;
    Print("problem", text);
  }
  int Finish() const {
    std::printf("summary: %d problem%s, %d warning%s\n", problems, problems == 1 ? "" : "s", warnings,
                warnings == 1 ? "" : "s");
    return problems > 0 ? 1 : 0;
  }

private:
  static void Print(const char* level, const std::string& text) { std::printf("%s: %s\n", level, text.c_str()); }
  int problems = 0;
  int warnings = 0;
};

// A folder the path lengths are checked under: the kind's default, or for a
// plug-in kind, whose default comes from the registry of the machine it is
// installed on, a representative plug-in folder.
struct AssumedLocation {
  const char* folder;
  const char* why;
};

AssumedLocation LocationFor(TargetKind kind) {
  switch (kind) {
    case TargetAfterEffects:
      return {"C:\\Program Files\\Adobe\\Adobe After Effects CS4\\Support Files\\Plug-ins",
              "a representative After Effects plug-in folder; the installer reads the real one from the registry"};
    case TargetPhotoshop:
      return {"C:\\Program Files\\Adobe\\Adobe Photoshop CS4\\Plug-ins",
              "a representative Photoshop plug-in folder; the installer reads the real one from the registry"};
    default:
      return {"C:\\Program Files", "the installer's default"};
  }
}

struct Entry {
  std::wstring name;
  bool isFolder;
};

// The entries of a folder other than "." and "..", sorted by name; false
// when the folder cannot be listed.
bool ListFolder(const std::wstring& folder, std::vector<Entry>* entries, DWORD* error) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return false;
  }
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    entries->push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(entries->begin(), entries->end(),
            [](const Entry& a, const Entry& b) { return _wcsicmp(a.name.c_str(), b.name.c_str()) < 0; });
  return true;
}

std::string ErrorText(DWORD error) { return SystemErrorText(error) + " (error " + std::to_string(error) + ")"; }

// Walks the payload as the copy will, and reports what it cannot carry.
class PayloadWalk {
public:
  PayloadWalk(Findings& findings, const std::string& destination) : findings(findings), destination(destination) {}

  // folder: the wide path; shown: its path as shown, from "install files";
  // installed: its path under the destination, in ANSI ("" at the top).
  void Walk(const std::wstring& folder, const std::string& shown, const std::string& installed) {
    std::vector<Entry> entries;
    DWORD error = 0;
    if (!ListFolder(folder, &entries, &error)) {
      findings.Problem(Quoted(shown) + " cannot be listed: " + ErrorText(error));
      return;
    }
    for (const Entry& entry : entries) {
      const std::wstring path = folder + L"\\" + entry.name;
      const std::string name = Utf8(entry.name);
      const std::string where = shown + "\\" + name;
      if (entry.name[0] == L'.') {
        findings.Warning(Quoted(where) + " begins with \".\" and will not be installed");
        continue;
      }
      std::string ansiName;
      if (!ToAnsiExactly(entry.name, &ansiName)) {
        findings.Problem(Quoted(where) + ": the name does not fit the ANSI code page (" + std::to_string(GetACP()) +
                         ") the installer copies through; the install would fail there");
        continue;
      }
      const std::string target = installed + "\\" + ansiName;
      const size_t length = destination.size() + target.size();
      longest = std::max(longest, length);
      if (length > kMaxPathLength) {
        findings.Problem(Quoted(where) + " would be installed as a path of " + std::to_string(length) +
                         " characters; the limit is " + std::to_string(kMaxPathLength));
        continue;
      }
      if (entry.isFolder) {
        Walk(path, where, target);
        continue;
      }
      // Opened the way the copy opens it: for reading, shared with no one.
      HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        findings.Problem(Quoted(where) + " cannot be opened for reading: " + ErrorText(GetLastError()));
        continue;
      }
      CloseHandle(file);
    }
  }

  size_t Longest() const { return longest; }

private:
  Findings& findings;
  std::string destination;  // the assumed install folder
  size_t longest = 0;
};

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CheckTextFile(Findings& findings, const std::wstring& installFiles, const wchar_t* name, const char* useFor) {
  const std::string shown = Quoted(Utf8(name));
  HANDLE file = CreateFileW((installFiles + L"\\" + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND)
      findings.Problem(shown + " is missing (" + useFor + ")");
    else
      findings.Problem(shown + " cannot be opened for reading: " + ErrorText(error));
    return;
  }
  CloseHandle(file);
  findings.Ok(shown + " present");
}

int Check(const std::wstring& dist) {
  Findings findings;
  const std::wstring installFilesWide = dist + L"\\install files";
  if (!IsFolder(installFilesWide)) {
    findings.Problem("no \"install files\" folder beside setup.exe");
    return findings.Finish();
  }
  std::string installFiles;
  // The checks open files the way the installer does, through the ANSI
  // calls and their 259-character paths.
  if (!ToAnsiExactly(installFilesWide, &installFiles)) {
    std::fprintf(stderr, "distcheck: the folder's path does not fit the ANSI code page; check a copy of the "
                         "distribution in a folder with a plain name\n");
    return 2;
  }
  if (installFiles.size() + 1 + std::strlen("App Files\\*.*") > kMaxPathLength) {
    std::fprintf(stderr, "distcheck: the folder's path is too long for the installer's calls; check a copy of "
                         "the distribution in a shorter folder\n");
    return 2;
  }

  // The product name.
  char productFile[kPathBufferSize];
  JoinPathWithin(installFiles.c_str(), "product.txt", productFile);
  char line[kProductLineSize];
  char name[kProductLineSize] = "";
  if (!ReadProductLine(productFile, line)) {
    findings.Problem("\"product.txt\" is missing: the installer stops with \"Unknown product. We cannot install.\"");
  } else {
    ReadProductName(productFile, name);
    const std::string shownName = Utf8(WideFromAnsi(name));
    if (line[0] == '\0')
      findings.Problem("\"product.txt\" has no product name: its first non-blank line is empty");
    else if (std::strlen(line) > kMaxProductNameLength)
      findings.Problem("the product name has " + std::to_string(std::strlen(line)) + " characters; the installer cuts it to " +
                       std::to_string(kMaxProductNameLength) + ": " + Quoted(shownName));
    else
      findings.Ok("product " + Quoted(shownName));
  }

  // The payload.
  InstallTarget target;
  ResolveInstallTargetIn(installFiles.c_str(), &target);
  std::vector<std::string> present;
  for (TargetKind kind : {TargetApplication, TargetAfterEffects, TargetFxPlug, TargetPhotoshop})
    if (IsFolder(installFilesWide + L"\\" + WideFromAnsi(TargetRowFor(kind).payloadFolder)))
      present.push_back(TargetRowFor(kind).payloadFolder);
  if (target.kind == TargetNone) {
    findings.Problem("no payload folder (\"App Files\", \"AE Files\", \"FX Files\" or \"PS Files\"): the installer "
                     "would install nothing");
  } else {
    findings.Note("payload " + Quoted(target.payloadFolder) + " (" + TargetKindName(target.kind) + ")");
    for (const std::string& other : present)
      if (other != target.payloadFolder)
        findings.Warning(Quoted(other) + " is present too and will not be installed: of \"App Files\", \"AE Files\", "
                         "\"FX Files\" and \"PS Files\" the last present wins");
    if (target.kind != TargetFxPlug && name[0] != '\0' && !IsUsableFolderName(name))
      findings.Problem("the product name cannot name a folder, and the install goes into a folder named after it");

    const std::string source = installFiles + "\\" + target.payloadFolder;
    CopyTally totals;
    CountCopyTree(source.c_str(), &totals);
    if (totals.files == 0)
      findings.Problem(Quoted(target.payloadFolder) + " holds no file the installer would copy");
    else
      findings.Ok(Quoted(target.payloadFolder) + " holds " + FormatCount(totals.files) +
                  (totals.files == 1 ? " file, " : " files, ") + FormatCount(totals.bytes) + " bytes");

    const AssumedLocation location = LocationFor(target.kind);
    char destination[kPathBufferSize] = "";
    if (!InstallDestination(location.folder, name, target.kind, destination)) {
      findings.Problem("the product folder would not fit in " + std::to_string(kMaxPathLength) +
                       " characters under " + Quoted(location.folder));
    } else {
      findings.Note("path lengths checked under " + Quoted(destination) + " (" + location.why + ")");
      PayloadWalk walk(findings, destination);
      walk.Walk(installFilesWide + L"\\" + WideFromAnsi(target.payloadFolder), target.payloadFolder, "");
      if (walk.Longest() <= kMaxPathLength)
        findings.Ok("the longest installed path has " + std::to_string(walk.Longest()) + " characters");
    }
  }

  // The background picture and the two texts.
  std::string picture = installFiles + "\\bkgd.jpg";
  RasterImage image;
  OpenImage(&image, picture.c_str());
  if (GetFileAttributesA(picture.c_str()) == INVALID_FILE_ATTRIBUTES)
    findings.Problem("\"bkgd.jpg\" is missing: the window shows a plain grey background");
  else if (!image.store)
    findings.Problem("\"bkgd.jpg\" cannot be read as a JPEG image: the window shows a plain grey background");
  else if (image.width != kPictureWidth || image.height != kPictureHeight)
    findings.Problem("\"bkgd.jpg\" is " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                     "; the window is " + std::to_string(kPictureWidth) + " x " + std::to_string(kPictureHeight));
  else
    findings.Ok("\"bkgd.jpg\" opens, 620 x 420");
  CheckTextFile(findings, installFilesWide, L"readme.txt", "the release notes of step 1");
  CheckTextFile(findings, installFilesWide, L"eula.txt", "the licence terms of step 2");
  return findings.Finish();
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 2) {
    std::fprintf(stderr, "usage: distcheck DIST_FOLDER\n");
    return 2;
  }
  std::wstring dist = argv[1];
  LocalFree(argv);
  while (dist.size() > 1 && (dist.back() == L'\\' || dist.back() == L'/')) dist.pop_back();
  if (!IsFolder(dist)) {
    std::fprintf(stderr, "distcheck: %s is not a folder\n", Utf8(dist).c_str());
    return 2;
  }
  return Check(dist);
}
