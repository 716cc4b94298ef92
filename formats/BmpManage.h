#pragma once
// Bitmaps: the loader entry point, decoding of bitmap resources, the NE
// byte-count rule, the placeholder bitmap and icon-to-bitmap conversion.
#include <string>

#include "formats/CommonData.h"

namespace gw {

// Resets MaxBmpWidth/MaxBmpHeight, then: fkBitmapFile -> the .bmp reader;
// fkNEFile -> every NE bitmap of cd.SelFilePath; fkPEFile -> every bitmap of
// the PE file at path; other kinds return 0.
uint8_t LoadBitmaps(CommonData& cd, const std::string& path, TFileKind kind);

// The .bmp reader: 0 when the file decoded into the first entry, 1 otherwise.
uint8_t ReadBmpFile(CommonData& cd, const std::string& path);

// Decodes a bitmap resource (a DIB without file header) by giving it the
// 14-byte file header. Returns a bitmap without a handle when it does not decode.
Bitmap DecodeBitmapResource(ByteView resource);

// Raises cd.MaxBmpWidth/MaxBmpHeight to the bitmap's size.
void RaiseMaxBmpSize(CommonData& cd, int32_t width, int32_t height);

// The number of bytes an NE bitmap resource is taken as, from its 40-byte
// info header: header size + colour table + height x row size + 40.
// Returns 0 when the header cannot be read.
uint64_t NeBitmapByteCount(ByteView header);

// The placeholder shown for an NE bitmap that does not decode: the 16 x 16,
// 8 bits per pixel bitmap "GWFAKE" shipped with the program.
const Bitmap& GwFakeBitmap();
Bytes GwFakeBmpFile();

} // namespace gw
