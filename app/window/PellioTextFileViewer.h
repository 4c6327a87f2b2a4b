// PellioTextFileViewer: the installer's modal viewer of a text file (the
// release notes, the licence terms): the file's lines, tabs expanded and
// wrapped to the width the list shows, in a scrolling text list, with
// "Close" and "Save..." at the bottom right over a strip drawn from bitmap
// 22020. The file is read once, when
// the viewer is built, and its bytes are kept, so that Save writes the file
// exactly as it was read. The text is shown in the encoding its bytes say
// (ViewerText.h): UTF-8 with or without a byte-order mark, UTF-16 with
// one, or else the ANSI code page; the mark itself is never shown. A file
// that cannot be read shows a one-line notice instead, and cannot be saved.
//
// The window never opens larger than the work area of its screen, and can
// be resized through its frame; the rows are then wrapped anew. Its own
// close button is disabled, so "Close", Escape or Enter, which end the
// modal loop the viewer runs in, are the way back. The arrow and page keys
// scroll the list whether the list or the viewer has the keyboard; Tab and
// Shift+Tab move it between the list, "Save..." and "Close". It owns its
// list, buttons and strip picture.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/window/ViewerText.h"
#include "resources/ResourceIds.h"
#include "toolkit/window/qvTabbedWindow.h"

class qvButton;
class qvControl;
class qvPicture;
class qvTextList;

constexpr int kViewerCloseCommand = 2;
constexpr int kViewerSaveCommand = 3;
constexpr int kViewerFooterBitmap = IDB_VIEWER_FOOTER;

// A text file's bytes as they were read, or why they could not be.
struct ViewerFile {
  bool read = false;
  std::string bytes;
  uint32_t error = 0;  // the platform's error code when not read
};

class PellioTextFileViewer : public qvTabbedWindow {
public:
  // bounds: the client area wanted, kept within the screen's work area.
  // With an owner (not owned), the viewer's platform window belongs to the
  // owner's and opens centred over it.
  PellioTextFileViewer(const qvRect& bounds, const char* title, const char* path, qvWindow* owner = nullptr);
  // The same over a text read already (the installer reads and checks its
  // texts once, before it shows any): its bytes, or why it was not read,
  // and the name it is saved under.
  PellioTextFileViewer(const qvRect& bounds, const char* title, ViewerFile file, std::string fileName,
                       qvWindow* owner = nullptr);
  ~PellioTextFileViewer() override;

  void GetTypeName(char* buffer) override;
  // Shows the viewer with the keyboard on the list.
  void Show() override;
  // The buttons' clicks, and the controls' requests to pass the focus on.
  bool OnCommand(qvEvent& event) override;
  bool OnPaint(qvEvent& event) override;
  // Lays the controls out on the client area and wraps the rows anew.
  bool OnSize(qvEvent& event) override;
  bool OnMouseDown(qvEvent& event) override;
  bool OnMouseUp(qvEvent& event) override;
  bool OnMouseMove(qvEvent& event) override;
  // Also gets the keys the list does not use.
  bool OnKeyDown(qvEvent& event) override;
  // Closing by the system (Alt+F4 among them) is "Close".
  bool OnOtherMessage(qvEvent& event) override;

  // Writes the text's bytes as read to path (created anew). False, with
  // the platform's error code in *error, when the file cannot be made or
  // written; a file left part-written is removed.
  bool SaveText(const char* path, uint32_t* error);
  bool CanSave() const { return file.read; }
  // The text's own name, which the save dialog offers.
  const std::string& FileName() const { return fileName; }
  // The encoding the text was read in; the ANSI code page for a notice.
  TextEncoding Encoding() const { return form.encoding; }
  qvTextList* TextList() const { return textList.get(); }

private:
  void Save();
  // Wraps the lines to the list's text width, keeping the line at the top
  // of the list there; nothing when the rows fit that width already.
  void Wrap();

  // Declared in the order of making; the destructor releases them in
  // reverse before the window itself goes.
  std::unique_ptr<qvButton> closeButton;
  std::unique_ptr<qvButton> saveButton;
  std::unique_ptr<qvTextList> textList;
  std::unique_ptr<qvPicture> footerPicture;

  ViewerFile file;
  TextForm form;
  std::string fileName;
  std::vector<std::u16string> lines;  // tabs expanded; the notice when the file was not read
  std::vector<int> firstRows;      // each line's first row, as last wrapped
  int wrappedWidth = -1;           // the text width the rows were last wrapped to
  int wrappedDpi = 0;              // and the DPI of their font
};
