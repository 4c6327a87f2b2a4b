// qvFileSpec: one path held as three strings (the whole path, its folder and
// its last component) with the operations that keep them consistent, a
// simple directory search, and the platform's file dialogs and folder
// browser that fill it. The installer picks its install folder with
// BrowseFolder; the text viewer picks its save target with SaveFile.
//
// The strings are UTF-8 of at most 259 UTF-16 units, the platform's path
// limit, in buffers that hold that many units of any characters; the
// platform is met through its wide calls only. A path that does not fit is
// never cut to fit: the operation that would build it leaves the full path
// empty, and a dialog whose choice does not fit reports no choice.
//
// The open dialogs are owned by the foreground window, the save dialog by
// the window its caller names or else the foreground one. They take their
// custom templates (300, 1081, 173) from the module that holds the
// toolkit's code. An open dialog whose template the module lacks
// behaves as a cancel without showing, as Windows refuses it (Wine would
// show it without the template); the save dialog then runs without one.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

constexpr size_t kFileSpecPathSize = 3 * 259 + 1;

// Type codes of ExtensionForType and FindFirst.
constexpr int kFindIllustrator = 0;  // "*.ai"
constexpr int kFindBitmap = 1;       // "*.bmp"
constexpr int kFindAll = 27;         // "*.*"

class qvFileSpec {
public:
  // A cleared file spec.
  qvFileSpec();
  // fullPath = path, then SplitPath. A path of 260 units or more gives a
  // cleared file spec.
  explicit qvFileSpec(const char* path);
  qvFileSpec(const qvFileSpec&) = delete;
  qvFileSpec& operator=(const qvFileSpec&) = delete;

  // Ends any search.
  virtual ~qvFileSpec();
  // The open dialog for Illustrator files with a preview of the thumbnail
  // embedded in the selected file. optionA and optionB are in/out; outC,
  // outD and outE are set to 0, 0 and 1 first and receive the third to
  // fifth options after OK (unless disableOptions). owner null: the
  // foreground window owns the dialog. Leaves folder unchanged.
  virtual bool OpenIllustratorFile(bool disableOptions, bool showOption5, uint8_t* optionA, uint8_t* optionB,
                                   uint8_t* outC, uint8_t* outD, uint8_t* outE, HWND* owner);
  // The open dialog for the file types ids[0 .. count - 1]; labelText goes
  // into the template's label. count 0: true at once, no dialog.
  virtual bool OpenFile(int count, const int* ids, const char* labelText);
  virtual bool Open(int count, const int* ids, const char* labelText);
  // The open dialog whose Cancel button reads "Skip", with check box 1082
  // mirroring the in/out option, whatever the user's choice.
  virtual bool OpenFileOrSkip(int count, const int* ids, const char* title, uint8_t* option);
  // The save dialog, offering ids[0 .. count - 1] with the last one's
  // extension as the default. initialName fills the name box; filterIndex
  // (in/out, 0-based) picks the initially offered type; chosenId receives
  // the type the user picked (ids[0] after Cancel). owner null: the
  // foreground window owns the dialog; else owner does, and the dialog
  // opens centred over it.
  virtual bool SaveFile(int count, const int* ids, const char* labelText = "", const char* initialName = nullptr,
                        int* chosenId = nullptr, int* filterIndex = nullptr, HWND owner = nullptr);
  // The shell's folder browser in its new style, with "Make New Folder" and
  // a field to type a path in; startAtCurrent selects fullPath first. An
  // owner, when given, is disabled while the browser is open, which opens
  // centred over it. After OK fullPath and folder hold the chosen folder
  // and fileName its display name; a full path typed in the field is taken
  // as typed even when no folder has it yet, and anything else typed that
  // names no folder is told while the browser stays open. Cancel: cleared,
  // false. An item that is not a folder of a drive ("My Computer"), a path
  // of 259 characters or more (which the shell may have cut from a longer
  // one), or one that is not well-formed UTF-16 is not taken: a
  // message box owned by owner tells the user why, and the result is
  // cleared, false.
  virtual bool BrowseFolder(const char* title, bool startAtCurrent, HWND owner = nullptr);
  // folder gets name and "\" appended, then JoinPath.
  virtual void EnterFolder(const char* name);
  virtual void SetFileName(const char* name);
  virtual bool Exists();
  virtual const char* GetFullPath();
  virtual const char* GetFileName();
  virtual const char* GetFolder();
  // Starts a search of folder for "*" + ExtensionForType(typeCode). True
  // when something matched; FindNext then delivers the matches.
  virtual bool FindFirst(int typeCode);
  // The next match (the first after FindFirst) into fileName and fullPath,
  // folders and "." and ".." included. False, ending the search, when there
  // is none. A name whose full path would not fit is passed over.
  virtual bool FindNext();
  virtual void Clear();
  virtual void EndFind();
  // folder = fullPath up to and including its last "\", fileName = the
  // rest; without a "\" folder becomes fullPath and fileName is unchanged.
  virtual void SplitPath();
  // EnsureFolderSeparator, then fullPath = folder + fileName (empty when
  // that does not fit).
  virtual void JoinPath();
  // Appends "\" to folder unless it ends with one; "" becomes "\".
  virtual void EnsureFolderSeparator();
  // 0 -> ".ai", 1 -> ".bmp", any other code -> ".*"; out holds 8 bytes.
  virtual void ExtensionForType(int typeCode, char* out);

  char fullPath[kFileSpecPathSize];
  char fileName[kFileSpecPathSize];
  char folder[kFileSpecPathSize];
  HANDLE findHandle;  // owned; the running search, or null
  WIN32_FIND_DATAW findData;
  uint8_t firstPending;  // 0: the match in findData is not delivered yet

private:
  // The file dialogs' common end: after OK fullPath and fileName from the
  // dialog (and folder from fullPath when setFolder); otherwise Clear.
  bool TakeDialogResult(bool chosen, const char* path, const char* title, size_t nameOffset, bool setFolder);
  // The same from a wide dialog: its path, title and the name's offset in
  // UTF-16 units. A path that is not well-formed UTF-16 is no choice.
  bool TakeWideDialogResult(bool chosen, const wchar_t* path, const wchar_t* title, size_t nameOffset,
                            bool setFolder);
};

// The last 259 units of spec's fullPath (all of it when shorter) into a
// destination of kFileSpecPathSize bytes.
void CopyPathTail(const qvFileSpec& spec, char* destination);

// True when the module that holds the toolkit's code has dialog template id.
bool ModuleHasDialog(int id);
