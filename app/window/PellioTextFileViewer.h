// PellioTextFileViewer: the installer's modal viewer of a text file (the
// release notes, the licence terms): the file's lines, wrapped at 70
// columns, in a scrolling text list, with "Close" and "Save..." at the
// bottom right over a strip drawn from bitmap 22020. The file is read once,
// when the viewer is built; Save writes the lines as shown. The window can
// be resized through its frame; its own close button is disabled, so
// "Close", which ends the modal loop the viewer runs in, is the way back.
// It owns its list, buttons and strip picture.
#pragma once

#include "common/StringList.h"
#include "resources/ResourceIds.h"
#include "toolkit/window/qvTabbedWindow.h"

class qvButton;
class qvPicture;
class qvTextList;

constexpr int kViewerCloseCommand = 2;
constexpr int kViewerSaveCommand = 3;
constexpr int kViewerFooterBitmap = IDB_VIEWER_FOOTER;

class PellioTextFileViewer : public qvTabbedWindow {
public:
  // A missing or unreadable file gives an empty list.
  PellioTextFileViewer(const qvRect& bounds, const char* title, const char* path);
  ~PellioTextFileViewer() override;

  void GetTypeName(char* buffer) override;
  bool OnCommand(qvEvent& event) override;
  bool OnPaint(qvEvent& event) override;
  bool OnSize(qvEvent& event) override;
  bool OnMouseDown(qvEvent& event) override;
  bool OnMouseUp(qvEvent& event) override;
  bool OnMouseMove(qvEvent& event) override;
  bool OnKeyDown(qvEvent& event) override;

  // Writes the shown lines, each followed by a line feed, to path (created
  // anew). False when the file cannot be made or written.
  bool SaveLines(const char* path);
  qvTextList* TextList() const { return textList; }

private:
  void Save();

  qvTextList* textList;     // owned
  qvButton* closeButton;    // owned
  qvButton* saveButton;     // owned
  qvPicture* footerPicture; // owned
};

// The lines the viewer shows for the file at path: empty when it cannot be
// read.
StringList ReadViewerLines(const char* path);
