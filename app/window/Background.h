// The installer window's background: "bkgd.jpg" fitted to the client area,
// with the panel behind the steps lightened, so that the panel, its outline
// and every caption painted over the picture line up whatever size the
// picture has.
#pragma once

#include <string>

#include "toolkit/draw/qvRect.h"

class qvPicture;
struct DistributionFile;

// The panel behind the steps: 25 pixels in from the client area's sides,
// 60 from its top and bottom. Its right and bottom edges are its last
// pixels.
qvRect PanelOf(const qvRect& client);

// The picture of the distribution's "bkgd.jpg", as it was read (and
// checked) once, turned top row first, resampled to the client area's size
// when it has another, with panel lightened (its outline grey 128, inside
// each channel c / 2 + 128). Null when the file gives no usable picture:
// the window then shows its grey. The caller owns the picture.
qvPicture* MakeBackground(const DistributionFile& picture, const qvRect& client, const qvRect& panel);
