#pragma once
// Extracting one file for the wizard: every icon or cursor image as its own
// .ico, .cur or .bmp file, or every bitmap as a .bmp file, named after the
// source file (output prefix + "_" + group + "_" + image, or + "_" + bitmap);
// every animated cursor whole as prefix + "_" + animation + ".ani", or each
// of its frames as prefix + "_" + animation + "_" + frame + ".cur" (".ico").
#include <cstdint>
#include <string>

#include "listing/Listing.h"

namespace gw {

class BatchWriter;
class Document;

// What the wizard writes (its AsIcons, AsBitmaps, AsCursors).
struct OutputChoice {
    bool asIcons = false;   // icon images as .ico
    bool asBitmaps = false; // icon or cursor images as .bmp (bitmaps always are)
    bool asCursors = false; // cursor images as .cur; animated cursors whole as .ani
    bool asFrames = false;  // animated cursors' frames as .cur (.ico)
};

// The most objects a listing row may claim for one file; a row claiming more
// is not believed (no executable or resource file holds that many).
constexpr int kMaxObjectsPerFile = 1 << 20;

// Reads the objects of the listing's kind from the opened file (count is the
// number the listing found; a file it found none in is passed over) and
// writes each through the writer. What the reader could not fill writes
// nothing. The records live as long as the opened file, which the caller
// drops before the next file is read. False when a write failed: the batch
// ends (writer.Error()).
bool ExtractOneFile(Document& file, const Listing& listing, int count, const OutputChoice& choice,
                    BatchWriter& writer);

} // namespace gw
