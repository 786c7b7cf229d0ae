// `glintmoor --export-resources DIR`: every bitmap of the program as files
// for review.
//
// Writes, for each catalogue bitmap, its stored bytes as DIR/<id>.bmp (the
// resource's packed DIB behind a 14-byte file header) and its picture as
// DIR/<id>.png; the pictures of the windows and dialogs as DIR/<name>.png
// (banner.png, preview.png, about.png, ...); and DIR/index.html, a gallery
// that shows everything on a neutral grey ground at twice the size, sprites
// composited through their masks with their frames side by side
// (DIR/gallery/*.png).
#pragma once

#include <string>

namespace gm {

// Returns the program's exit code: 0, or 1 after a message on stderr.
int exportResources(const std::string& dir);

}  // namespace gm
