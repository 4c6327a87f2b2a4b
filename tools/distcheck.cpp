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

#include "app/install/DistributionFiles.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallNames.h"
#include "app/install/InstallProgress.h"
#include "app/install/InstallSetup.h"
#include "app/install/FileTree.h"
#include "app/install/InstallTarget.h"
#include "app/install/ManifestSlot.h"
#include "app/install/PathNames.h"
#include "app/install/PayloadWalk.h"
#include "app/install/ProductRegistration.h"
#include "app/install/ProductFile.h"
#include "common/AnsiText.h"
#include "common/Languages.h"
#include "common/Sha256.h"
#include "imagelib/OpenImage.h"
#include "tools/SignatureCheck.h"

namespace {

constexpr int kPictureWidth = 620;
// Problem lines shown before the rest are only counted.
constexpr int kMostProblemsShown = 200;
constexpr int kPictureHeight = 420;

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
  int Problems() const { return problems; }
  // A problem not shown, counted in the summary.
  void CountProblem() { ++problems; }
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
    case TargetMediaCore:
      return {"C:\\Program Files\\Adobe\\Common\\Plug-ins\\7.0\\MediaCore",
              "the usual MediaCore folder; the installer reads the real one from the registry"};
    default:
      return {"C:\\Program Files", "the installer's default"};
  }
}

std::string ErrorText(DWORD error) { return SystemErrorText(error) + " (error " + std::to_string(error) + ")"; }

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The picture is fitted to the window's client area, which is 620 x 420
// at 100 % and grows with the display scale: a picture of other
// proportions is stretched, and one smaller than the window at 200 % is
// enlarged (and softened) on screens above the scale it covers.
void CheckPictureSize(Findings& findings, int width, int height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (int64_t(width) * kPictureHeight != int64_t(height) * kPictureWidth)
    findings.Warning("\"bkgd.jpg\" is " + size +
                     ", not in the window's proportions (620 x 420): it is stretched to fit");
  findings.Ok("\"bkgd.jpg\" opens, " + size);
  constexpr int kSharpestScale = 200;
  if (width >= kPictureWidth * kSharpestScale / 100 && height >= kPictureHeight * kSharpestScale / 100) return;
  const int64_t covered = std::min(int64_t(width) * 100 / kPictureWidth, int64_t(height) * 100 / kPictureHeight);
  findings.Note("\"bkgd.jpg\" is smaller than 1240 x 840, the window at 200 %: on screens above " +
                std::to_string(covered) + " % it is enlarged and less sharp");
}

void CheckTextFile(Findings& findings, const std::wstring& installFiles, const wchar_t* name, const char* useFor) {
  const std::string shown = Quoted(Utf8FromWide(name));
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

// The vendor's texts per language ("readme.de.txt", "eula.ja.txt"): which
// languages have them, one the installer does not speak, and a licence
// translated for some languages and not for another that has its notes.
void CheckLocalizedTexts(Findings& findings, const std::wstring& installFiles) {
  std::vector<ListedEntry> entries;
  ListFolder(installFiles, &entries);
  std::vector<std::string> readmes, eulas;  // the languages' tags, as the table writes them
  for (const ListedEntry& entry : entries) {
    const std::string name = Utf8FromWide(entry.name);
    std::string tag;
    const bool readme = LocalizedTextTag(name, "readme", &tag);
    if (entry.IsFolder() || (!readme && !LocalizedTextTag(name, "eula", &tag))) continue;
    // "eula.pt.txt" serves Brazilian Portuguese, its primary language's;
    // a tag of no language the installer speaks is never shown.
    const Language* language = LanguageForTag(tag);
    if (!language) {
      findings.Warning(Quoted(name) + ": \"" + tag + "\" is no language the installer speaks (" + LanguageTagList() +
                       "): it is never shown");
      continue;
    }
    CheckTextFile(findings, installFiles, entry.name.c_str(), readme ? "release notes" : "licence terms");
    (readme ? readmes : eulas).push_back(language->tag);
  }
  if (readmes.empty() && eulas.empty()) return;
  std::vector<std::string> all = readmes;
  all.insert(all.end(), eulas.begin(), eulas.end());
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  std::string list;
  for (const std::string& tag : all) {
    const bool notes = std::count(readmes.begin(), readmes.end(), tag) > 0;
    const bool terms = std::count(eulas.begin(), eulas.end(), tag) > 0;
    const char* what = notes && terms ? "release notes and licence" : notes ? "release notes" : "licence";
    list += (list.empty() ? "" : ", ") + tag + " (" + what + ")";
  }
  findings.Note("texts in other languages: " + list + "; the others read \"readme.txt\" and \"eula.txt\"");
  if (eulas.empty()) return;
  for (const std::string& tag : all)
    if (!std::count(eulas.begin(), eulas.end(), tag))
      findings.Warning("the licence is translated for " + std::to_string(eulas.size()) +
                       (eulas.size() == 1 ? " language" : " languages") + " but not for " + tag +
                       ", which has its release notes: its users read the terms in \"eula.txt\"");
}

// What users will see of setup.exe's signature, as Windows reads it.
void CheckSetupSignature(Findings& findings, const SignatureCheck& check) {
  switch (check.state) {
    case SignatureCheck::State::kUnsigned:
      findings.Warning("setup.exe is not signed: SmartScreen stops it with \"Windows protected your PC\" and "
                       "\"Unknown publisher\", the elevation prompt shows \"Publisher: Unknown\", and some "
                       "companies let no unsigned program elevate (sign it: scripts/make-dist --pkcs12 ...)");
      return;
    case SignatureCheck::State::kChanged:
      findings.Problem("setup.exe was changed after it was signed (signed by " + Quoted(check.signer) +
                       "): its signature no longer matches it, and Windows takes it for a damaged or "
                       "tampered program");
      return;
    case SignatureCheck::State::kUnreadable:
      findings.Problem("setup.exe has a signature Windows cannot read or check: " + ErrorText(check.trust));
      return;
    case SignatureCheck::State::kIntact:
      break;
  }
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const bool expired = CompareFileTime(&check.notAfter, &now) < 0;
  const std::string stamp =
      !check.timeStamped ? "no time stamp"
      : check.timeKnown  ? "time-stamped " + ShownTime(check.stampedAt) +
                              (check.stampedBy.empty() ? "" : " by " + Quoted(check.stampedBy))
                         : "time-stamped (a countersignature whose time is not read here)";
  findings.Ok("setup.exe is signed by " + Quoted(check.signer) + " (" + check.subject + "), " + check.digest +
              ", " + stamp + "; users see this publisher in the elevation prompt");
  if (check.digest != "SHA-256" && check.digest != "SHA-384" && check.digest != "SHA-512")
    findings.Warning("the signature's digest is " + check.digest +
                     ", which Windows no longer trusts: sign with SHA-256");
  if (expired && !check.timeStamped)
    findings.Problem("the signing certificate expired " + ShownTime(check.notAfter) +
                     " and the signature has no time stamp: Windows takes the signature as invalid");
  else if (expired)
    findings.Note("the signing certificate expired " + ShownTime(check.notAfter) +
                  "; the time stamp keeps the signature valid");
  else if (!check.timeStamped)
    findings.Warning("the signature has no time stamp: it stops being valid when the certificate expires, " +
                     ShownTime(check.notAfter) + " (sign with --timestamp URL)");
  if (check.timeKnown && CompareFileTime(&check.stampedAt, &check.notAfter) > 0)
    findings.Problem("the time stamp is later than the certificate's end: it was signed with an expired certificate");
  // Trust in the root is the machine's own: under Wine, the rig's list
  // says nothing of users' Windows.
  if (!check.chainChecked)
    findings.Note("the certificate's chain could not be built here: whether users' Windows trusts it is not judged");
  else if (RunsUnderWine())
    findings.Note(std::string("the chain ends in ") + Quoted(check.root) +
                  (check.rootUntrusted ? ", which this Wine prefix does not trust" : "") +
                  "; whether users' Windows trusts it cannot be judged under Wine, and revocation is not checked");
  else if (check.rootUntrusted)
    findings.Warning("the chain ends in " + Quoted(check.root) + ", which this machine does not trust: users "
                     "whose machines do not trust it see \"Unknown publisher\"");
  else
    findings.Ok("the chain ends in " + Quoted(check.root) + ", which this machine trusts (revocation not checked)");
}

// setup.exe's manifest slot, read from its bytes as make-dist filled it.
struct SetupSlot {
  bool found = false;  // setup.exe has a slot (an older one has none)
  ManifestSlot slot;
  std::string problem;  // why a slot there cannot be read
};

SetupSlot ReadSetupSlot(const std::wstring& setup) {
  SetupSlot result;
  const HANDLE file = CreateFileW(setup.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return result;
  LARGE_INTEGER size;
  std::vector<uint8_t> bytes;
  DWORD got = 0;
  // A program of more than 256 MiB is none of this build's.
  if (GetFileSizeEx(file, &size) && size.QuadPart < (int64_t{256} << 20)) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())
      bytes.clear();
  }
  CloseHandle(file);
  size_t offset = 0;
  std::string why;
  if (bytes.empty() || !FindManifestSlot(bytes.data(), bytes.size(), &offset, &why)) return result;
  result.found = true;
  if (!ReadManifestSlot(bytes.data() + offset, &result.slot, &why)) result.problem = why;
  return result;
}

// What the signature covers, told against whether setup.exe is signed.
void CheckCoverage(Findings& findings, const SetupSlot& slot, const DistributionCoverage& coverage, bool signedSetup) {
  if (!slot.found) {
    findings.Note("setup.exe has no slot for a list of signed files: it is older than this checker, and its "
                  "signature covers only itself");
    return;
  }
  if (!slot.problem.empty()) {
    findings.Problem("setup.exe's manifest slot cannot be read: " + slot.problem + "; the installer refuses to run");
    return;
  }
  if (!slot.slot.filled) {
    if (signedSetup)
      findings.Warning("setup.exe is signed, but its signature covers only itself: the payload, \"product.txt\", the "
                       "licence, the release notes and the picture can be changed without a trace (sign with "
                       "scripts/sign-dist)");
    else
      findings.Note("the files of \"install files\" are not covered by a signature: setup.exe carries no list of them");
    return;
  }
  if (!signedSetup)
    findings.Problem("setup.exe carries a list of signed files but is not signed: nothing vouches for the list, and "
                     "users see \"Unknown publisher\" (sign with scripts/sign-dist)");
  if (!coverage.problem.empty()) findings.Problem(coverage.problem + "; the installer refuses to run");
  for (const ManifestChange& change : coverage.changes)
    findings.Problem(ManifestChangeText(change) + "; the installer refuses to run");
  if (coverage.problem.empty())
    findings.Ok("the signature covers " + CountOf(coverage.CoveredFiles(), "file", "files") + " and " +
                CountOf(coverage.CoveredFolders(), "folder", "folders") + " of \"install files\" (\"" + kManifestName +
                "\"), each checked by the installer before it is used");
  for (const std::string& name : coverage.ignored)
    findings.Note("\"" + name + "\" lies in \"install files\" and is ignored: the installer does not read it");
}

// The SHA-256 of the file at path; false when it cannot be read.
bool FileDigest(const std::wstring& path, Sha256Digest* digest) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buffer(64u << 10);
  Sha256 hash;
  DWORD got = 0;
  bool read = true;
  while ((read = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) != 0) && got > 0)
    hash.Add(buffer.data(), got);
  CloseHandle(file);
  *digest = hash.Finish();
  return read;
}

int Check(const std::wstring& dist) {
  Findings findings;
  const std::wstring installFilesWide = dist + L"\\install files";
  if (!IsFolder(installFilesWide)) {
    findings.Problem("no \"install files\" folder beside setup.exe");
    return findings.Finish();
  }
  std::string installFiles;
  // The checks open files the way the installer does, by UTF-8 paths of
  // at most 259 units.
  if (!Utf8FromWide(installFilesWide, &installFiles)) {
    std::fprintf(stderr, "distcheck: the folder's path is not well-formed UTF-16; check a copy of the "
                         "distribution in a folder with a plain name\n");
    return 2;
  }
  if (PathLength(installFiles) + 1 + std::strlen("App Files\\*.*") > kMaxPathLength) {
    std::fprintf(stderr, "distcheck: the folder's path is too long for the installer's calls; check a copy of "
                         "the distribution in a shorter folder\n");
    return 2;
  }

  // What setup.exe's signature covers: its slot, the list, and the files
  // the installer reads before anything else.
  const SetupSlot slot = ReadSetupSlot(dist + L"\\setup.exe");
  const SignatureCheck signature = CheckSignature(dist + L"\\setup.exe");
  const InstallSetup signedSetup =
      PrepareInstallFrom(installFiles, "", SetupOptions(), SetupMode::kUnattended, slot.slot, slot.problem);
  CheckCoverage(findings, slot, signedSetup.coverage, signature.state != SignatureCheck::State::kUnsigned);
  const DistributionCoverage& coverage = signedSetup.coverage;
  const bool covered = coverage.problem.empty() && coverage.state != DistributionCoverage::State::kNotCovered;

  // The product and the payload, worked out as the installer works them
  // out; a product file that was read may still be refused. A changed
  // distribution is refused before it is read; the rest is checked as if
  // it were not signed, to tell all that is wrong at once.
  const InstallSetup setup = signedSetup.DistributionChanged()
                                 ? PrepareInstallFrom(installFiles, "", SetupOptions(), SetupMode::kUnattended)
                                 : signedSetup;
  const Product& product = setup.product;
  const uint32_t productError = setup.unknownProduct.error;
  const bool productRead = productError == 0;
  if (!productRead && productError == ERROR_FILE_NOT_FOUND)
    findings.Problem("\"product.txt\" is missing: the installer stops with \"Unknown product. We cannot install.\"");
  else if (!productRead)
    findings.Problem("\"product.txt\" cannot be read: " + ErrorText(productError));
  else if (!product.refusal.empty())
    findings.Problem(product.refusal + ": the installer stops with \"Unknown product. We cannot install.\"");
  else if (product.line.empty())
    findings.Problem("\"product.txt\" has no product name: its first non-blank line is empty");
  else if (PathLength(product.line) > kMaxProductNameLength)
    findings.Problem("the product name has " + std::to_string(PathLength(product.line)) +
                     " characters; the installer cuts it to " + std::to_string(kMaxProductNameLength) + ": " +
                     Quoted(product.name));
  else
    findings.Ok("product " + Quoted(product.name));
  // What Apps & features and IT tools will read of the install.
  // Only of a product the installer takes: each problem of the name is
  // told once, on its own.
  if (productRead && product.refusal.empty() && !product.line.empty() &&
      PathLength(product.line) <= kMaxProductNameLength && ProductRefusal(product, setup.target.kind).empty()) {
    if (product.version.empty())
      findings.Warning("\"product.txt\" has no \"Version: X.Y.Z\" line after the name: Apps & features shows no "
                       "version, IT tools cannot tell versions apart, and a lower version is not refused");
    findings.Note("Apps & features entry: " + Quoted(product.name) + ", version " +
                  (product.version.empty() ? "(none)" : Quoted(product.version)) + ", publisher " +
                  Quoted(kPublisher));
  }

  // The payload, walked and checked by the installer's own walk.
  const InstallTarget& target = setup.target;
  std::vector<std::string> present;
  for (TargetKind kind : kPayloadKinds)
    if (IsFolder(installFilesWide + L"\\" + WideFromUtf8(TargetRowFor(kind).payloadFolder)))
      present.push_back(TargetRowFor(kind).payloadFolder);
  if (target.kind == TargetNone) {
    findings.Problem("no payload folder (\"App Files\", \"AE Files\", \"FX Files\", \"PS Files\" or \"MediaCore "
                     "Files\"): the installer has nothing to install and fails");
  } else {
    findings.Note("payload " + Quoted(target.payloadFolder) + " (" + TargetKindName(target.kind) + ")");
    for (const std::string& other : present)
      if (other != target.payloadFolder)
        findings.Warning(Quoted(other) + " is present too and will not be installed: of \"App Files\", \"AE Files\", "
                         "\"FX Files\", \"PS Files\" and \"MediaCore Files\" the last present wins");
    // What the installer would offer on this machine.
    if (HostUsersOf(target.kind)) {
      HostReport seen;
      const std::vector<HostFolder> hosts = HostChoices(target.kind, &seen);
      findings.Note(std::string("hosts seen on this machine: ") + seen.seen);
      if (hosts.empty())
        findings.Note("no host on this machine has a usable plug-in folder: the installer here would ask for one");
      for (const HostFolder& host : hosts)
        findings.Note("the installer here would offer " + host.host + ": " + Quoted(host.folder) +
                      (&host == &hosts.front() ? " (the default)" : ""));
    }
    const std::string nameRefusal =
        productRead && product.refusal.empty() && !product.line.empty() ? ProductRefusal(product, target.kind) : "";
    if (!nameRefusal.empty())
      findings.Problem(nameRefusal + ": the installer stops with \"Unknown product. We cannot install.\"");

    const AssumedLocation location = LocationFor(target.kind);
    char destination[kPathBufferSize] = "";
    const bool fits = InstallDestination(location.folder, product.name.empty() ? "Product" : product.name.c_str(),
                                         target.kind, destination);
    if (!fits)
      findings.Problem("the product folder would not fit in " + std::to_string(kMaxPathLength) + " characters under " +
                       Quoted(location.folder));
    else
      findings.Note("path lengths checked under " + Quoted(destination) + " (" + location.why + ")");

    const std::string& source = setup.payload;
    const std::string shownFolder = target.payloadFolder;
    Payload payload;
    bool lengthProblem = false, folderRefused = false;
    int unshown = 0;
    WalkPayload(source.c_str(), fits ? destination : "", &payload, [&](const PayloadProblem& problem) {
      // A payload of thousands of bad names tells its first ones; the
      // count says the rest.
      if (findings.Problems() >= kMostProblemsShown) {
        findings.CountProblem();
        ++unshown;
        return true;
      }
      folderRefused |= problem.relativePath.empty();
      const std::string shown =
          problem.relativePath.empty() ? shownFolder : shownFolder + "\\" + Utf8FromWide(problem.relativePath);
      const bool tooLong = problem.failure.error == ERROR_FILENAME_EXCED_RANGE;
      // A payload path too long to read depends on where this copy of the
      // distribution lies, not on the distribution.
      if (tooLong && problem.failure.path.compare(0, source.size(), source) == 0) {
        findings.Warning(Quoted(shown) + ": where the distribution lies now, " + FailureText(problem.failure) +
                         "; run the installer from a shorter folder");
        return true;
      }
      lengthProblem |= tooLong;
      findings.Problem(Quoted(shown) + ": " + FailureText(problem.failure) + "; the install would fail there");
      return true;
    });
    if (unshown > 0)
      findings.Note(FormatCount(unshown) + " more problems in \"" + shownFolder + "\" are counted but not shown");
    for (const std::wstring& skipped : payload.skipped)
      findings.Warning(Quoted(shownFolder + "\\" + Utf8FromWide(skipped)) + " begins with \".\" and will not be installed");
    // A payload folder refused as a whole was told of already.
    if (!folderRefused && payload.files == 0)
      findings.Problem(Quoted(target.payloadFolder) + " holds no file the installer would copy");
    else if (!folderRefused)
      findings.Ok(Quoted(target.payloadFolder) + " holds " + FormatCount(payload.files) +
                  (payload.files == 1 ? " file, " : " files, ") + FormatCount(payload.bytes) + " bytes");

    // A payload whose only top-level entry is a folder named like the
    // product installs one folder deeper than the product's own, as
    // "...\\Plug-ins\\Foo\\Foo\\". FxPlug payloads install into the
    // location itself, where such a folder is the product's folder.
    if (target.kind != TargetFxPlug && !product.name.empty()) {
      std::vector<const PayloadEntry*> top;
      for (const PayloadEntry& entry : payload.entries)
        if (entry.path.find('\\') == std::string::npos) top.push_back(&entry);
      if (top.size() == 1 && top[0]->isFolder && _stricmp(top[0]->path.c_str(), product.name.c_str()) == 0) {
        const std::string nested = top[0]->path;
        findings.Warning(Quoted(shownFolder) + " holds only the folder " + Quoted(nested) +
                         ", named like the product: it installs as " +
                         Quoted(std::string(destination) + "\\" + nested + "\\...") +
                         ", a folder too deep; put what it holds in " + Quoted(shownFolder) + " itself");
      }
    }

    size_t longest = 0;
    for (const PayloadEntry& entry : payload.entries)
      longest = std::max(longest, PathLength(destination) + 1 + PathLength(entry.path));
    if (fits && !lengthProblem && !payload.entries.empty())
      findings.Ok("the longest installed path has " + std::to_string(longest) + " characters");
    // A signed payload as its list gives it: every file and folder, of
    // the size and bytes signed, and nothing else.
    if (covered) {
      std::vector<WalkedEntry> walked;
      for (const PayloadEntry& entry : payload.entries)
        walked.push_back({entry.path, entry.isFolder, entry.size});
      std::vector<const ManifestEntry*> listed;
      std::vector<ManifestChange> changes = ComparePayload(coverage.manifest, target.payloadFolder, walked, &listed);
      for (size_t i = 0; i < listed.size(); ++i) {
        Sha256Digest digest;
        if (!listed[i] || listed[i]->isFolder || !FileDigest(LongPath(source + "\\" + payload.entries[i].path), &digest))
          continue;
        if (digest != listed[i]->digest)
          changes.push_back({ManifestChange::kChanged, listed[i]->path, "its bytes are not the ones signed"});
      }
      for (const ManifestChange& change : changes) {
        if (findings.Problems() >= kMostProblemsShown) {
          findings.CountProblem();
          continue;
        }
        findings.Problem(ManifestChangeText(change) + "; the installer refuses to install it");
      }
    }

    // Each file opened as the copy opens it: for reading, shared with other
    // readers, and found where the walk found it, not through a link.
    const std::wstring resolvedSource = ResolvedPathOf(LongPath(source));
    for (const PayloadEntry& entry : payload.entries) {
      if (entry.isFolder) continue;
      const std::string path = source + "\\" + entry.path;
      const HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        findings.Problem(Quoted(shownFolder + "\\" + entry.path) + " cannot be opened for reading: " +
                         ErrorText(GetLastError()));
        continue;
      }
      std::wstring opened = ResolvedPath(file), expected = resolvedSource + L"\\" + WideFromUtf8(entry.path);
      CloseHandle(file);
      if (resolvedSource.empty() || opened.empty() || NameKey(opened) == NameKey(expected)) continue;
      findings.Problem(Quoted(shownFolder + "\\" + entry.path) + ": " + kPayloadLink + "; the install would fail there");
    }
  }

  // The background picture and the two texts.
  std::string picture = installFiles + "\\bkgd.jpg";
  RasterImage image;
  OpenImage(&image, picture.c_str());
  if (GetFileAttributesW(WideFromUtf8(picture).c_str()) == INVALID_FILE_ATTRIBUTES)
    findings.Problem("\"bkgd.jpg\" is missing: the window shows a plain grey background");
  else if (!image.store)
    findings.Problem("\"bkgd.jpg\" cannot be read as a JPEG image: the window shows a plain grey background");
  else
    CheckPictureSize(findings, image.width, image.height);
  CheckTextFile(findings, installFilesWide, L"readme.txt", "the release notes of step 1");
  CheckTextFile(findings, installFilesWide, L"eula.txt", "the licence terms of step 2");
  CheckLocalizedTexts(findings, installFilesWide);
  CheckSetupSignature(findings, signature);
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
    std::fprintf(stderr, "distcheck: %s is not a folder\n", Utf8FromWide(dist).c_str());
    return 2;
  }
  return Check(dist);
}
