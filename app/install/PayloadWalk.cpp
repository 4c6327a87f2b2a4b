#include "app/install/PayloadWalk.h"

#include <windows.h>

#include <map>

#include "common/AnsiText.h"
#include "app/install/FileTree.h"
#include "app/install/InstallProgress.h"
#include "app/install/PathNames.h"
#include "app/install/PayloadRules.h"

const char kPayloadLink[] = "it is a link or a junction, and the installer does not follow links in a payload";

namespace {

// A name for messages when it is not well-formed UTF-16: what no UTF-8
// holds shows as a question mark.
std::string Marked(const std::wstring& text) { return Utf8MarkingUnpaired(text, '?'); }

class Walker {
public:
  Walker(const std::string& source, const std::string& destination, Payload* payload,
         const PayloadProblemSink& sink)
      : source(source), destination(destination), payload(payload), sink(sink) {}

  bool Run() {
    // The long form lists a folder whose path and pattern together pass
    // the platform's limit; its names are then refused by the length rule
    // with the reason, not by a listing that fails.
    Walk(LongPath(source), "", 1);
    return clean;
  }

private:
  // Reports a problem; false when the walk is to stop.
  bool Problem(const std::string& path, const std::wstring& widePath, uint32_t error, const std::string& reason) {
    clean = false;
    stopped = !sink({MakeFailure(path, error, reason), widePath});
    return !stopped;
  }

  // folder + "\" + relative, where either may be empty.
  static std::string Under(const std::string& folder, const std::string& relative) {
    if (folder.empty()) return relative;
    return relative.empty() ? folder : folder + "\\" + relative;
  }

  // Checks one entry's name and paths. False when its name cannot be
  // taken at all. A path too long is told and sets *tooLong, but the entry
  // is kept, so that the totals and the checker's report stay whole (the
  // walk does not go into a folder too long: all in it would be too).
  bool Check(const std::string& relativeFolder, const std::wstring& relativeWide, const ListedEntry& entry,
             std::string* name, bool* tooLong) {
    if (!Utf8FromWide(entry.name, name)) {
      Problem(Under(source, relativeFolder) + "\\" + Marked(entry.name), relativeWide, ERROR_NO_UNICODE_TRANSLATION,
              "the name holds a surrogate without its other half, which is no character");
      return false;
    }
    const std::string relative = Under(relativeFolder, *name);
    const std::string sourcePath = source + "\\" + relative;
    const NameProblem problem = CheckName(name->c_str());
    if (problem != NameProblem::kNone) {
      Problem(sourcePath, relativeWide, ERROR_INVALID_NAME, "\"" + *name + "\" " + NameProblemText(problem));
      return false;
    }
    const std::string installed = destination.empty() ? "" : destination + "\\" + relative;
    *tooLong = true;
    if (PathLength(installed) > kMaxPathLength)
      Problem(installed, relativeWide, ERROR_FILENAME_EXCED_RANGE,
              "the installed path would have " + std::to_string(PathLength(installed)) + " characters; the limit is " +
                  std::to_string(kMaxPathLength));
    else if (PathLength(sourcePath) > kMaxPathLength)
      Problem(sourcePath, relativeWide, ERROR_FILENAME_EXCED_RANGE,
              "the payload path has " + std::to_string(PathLength(sourcePath)) +
                  " characters; the installer reads paths of at most " + std::to_string(kMaxPathLength));
    else
      *tooLong = false;
    return true;
  }

  // folderWide: the folder's long path; relativeFolder: its path relative
  // to the payload folder ("" for the payload folder itself).
  void Walk(const std::wstring& folderWide, const std::string& relativeFolder, int depth) {
    const std::wstring relativeFolderWide = relativeFolder.empty() ? L"" : WideFromUtf8(relativeFolder) + L"\\";
    std::vector<ListedEntry> listed;
    const DWORD error = ListFolder(folderWide, &listed);
    if (error) {
      Problem(Under(source, relativeFolder), relativeFolderWide, error, std::string());
      return;
    }
    std::map<std::wstring, std::wstring> seen;  // name key -> the first name with it
    struct Folder {
      std::wstring wide;
      std::string relative;
      bool tooLong;
    };
    std::vector<Folder> folders;
    for (const ListedEntry& entry : listed) {
      if (stopped) return;
      const std::wstring relativeWide = relativeFolderWide + entry.name;
      if (entry.name[0] == L'.') {
        payload->skipped.push_back(relativeWide);
        continue;
      }
      std::string name;
      bool tooLong = false;
      if (!Check(relativeFolder, relativeWide, entry, &name, &tooLong)) continue;
      if (entry.IsLink()) {
        Problem(source + "\\" + Under(relativeFolder, name), relativeWide, ERROR_NOT_SUPPORTED, kPayloadLink);
        continue;
      }
      if (payload->entries.size() + folders.size() >= kMaxPayloadEntries) {
        Problem(source, L"", ERROR_TOO_MANY_NAMES,
                "the payload holds more than " + FormatCount(kMaxPayloadEntries) +
                    " files and folders, the most the installer takes");
        stopped = true;
        return;
      }
      const auto [first, added] = seen.emplace(NameKey(entry.name), entry.name);
      if (!added) {
        Problem(Under(source, Under(relativeFolder, name)), relativeWide, ERROR_ALREADY_EXISTS,
                "\"" + Marked(first->second) + "\" and \"" + name +
                    "\" are one name to Windows (letter case and trailing dots do not count)");
        continue;
      }
      const std::string relative = Under(relativeFolder, name);
      if (entry.IsFolder()) {
        folders.push_back({folderWide + L"\\" + entry.name, relative, tooLong});
      } else {
        payload->entries.push_back({relative, false, entry.size});
        ++payload->files;
        payload->bytes += entry.size;
      }
    }
    for (const Folder& folder : folders) {
      if (stopped) return;
      payload->entries.push_back({folder.relative, true, 0});
      if (folder.tooLong) continue;
      if (depth >= kMaxPayloadDepth) {
        Problem(source + "\\" + folder.relative, WideFromUtf8(folder.relative), ERROR_FILENAME_EXCED_RANGE,
                "it lies more than " + std::to_string(kMaxPayloadDepth) +
                    " folders deep, deeper than the installer goes");
        continue;
      }
      Walk(folder.wide, folder.relative, depth + 1);
    }
  }

  const std::string source;
  const std::string destination;
  Payload* payload;
  const PayloadProblemSink& sink;
  bool clean = true;
  bool stopped = false;
};

}  // namespace

bool WalkPayload(const char* source, const char* destination, Payload* payload, const PayloadProblemSink& sink) {
  *payload = Payload();
  std::string full;
  InstallFailure failure;
  if (!FullPath(source, &full, &failure)) {
    sink({failure, L""});
    return false;
  }
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(full).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const DWORD error = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY;
    sink({MakeFailure(full, error, "there is no payload folder here: nothing to install"), L""});
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    sink({MakeFailure(full, ERROR_NOT_SUPPORTED, std::string("the payload folder: ") + kPayloadLink), L""});
    return false;
  }
  return Walker(full, destination ? destination : "", payload, sink).Run();
}
