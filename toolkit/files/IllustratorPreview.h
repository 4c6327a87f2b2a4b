// The preview of Illustrator files in the toolkit's open dialog: the
// thumbnail embedded in a file, read into a picture, and the pane of window
// class "qvAiThumb" that shows it beside the dialog's file list
// (qvFileSpec::OpenIllustratorFile).
#pragma once

class qvPicture;

// The side of the pane's framed square.
constexpr int kPreviewSquare = 128;

// The thumbnail embedded in the Illustrator file at path as a new picture
// (the caller owns it), or null when the file cannot be read whole (it is
// opened without sharing), holds no usable thumbnail, or the platform
// refuses the picture's bitmap. Pixels the thumbnail's data does not reach
// are black.
qvPicture* ReadIllustratorThumbnail(const char* path);
