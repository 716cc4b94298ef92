#pragma once
// Extracting one file for the wizard: every icon or cursor image as its own
// .ico, .cur or .bmp file, or every bitmap as a .bmp file, named after the
// source file (output prefix + "_" + group + "_" + image, or + "_" + bitmap).
#include <cstdint>
#include <string>

#include "listing/Listing.h"

namespace gw {

class BatchWriter;

// What the wizard writes (its AsIcons, AsBitmaps, AsCursors).
struct OutputChoice {
    bool asIcons = false;   // icon images as .ico
    bool asBitmaps = false; // icon or cursor images as .bmp (bitmaps always are)
    bool asCursors = false; // cursor images as .cur
};

// The most objects a listing row may claim for one file; a row claiming more
// is not believed (no executable or resource file holds that many).
constexpr int kMaxObjectsPerFile = 1 << 20;

// Loads the count objects of the listing's kind from the file at path (its
// kind as the listing classified it), writes each through the writer, and
// releases them before returning. What the loader could not fill writes
// nothing. False when a write failed: the batch ends (writer.Error()).
bool ExtractOneFile(const std::string& path, const Listing& listing, TFileKind fileKind, int count,
                    const OutputChoice& choice, BatchWriter& writer);

} // namespace gw
