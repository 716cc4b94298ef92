#pragma once
// The thumbnail of a file for the file managers: a PNG picture of its first
// icon (or, for a cursor file, its first cursor) at the image best suited to
// the size asked for.
#include <optional>
#include <string>

#include "platform/ByteReader.h"

namespace gw {

constexpr int kDefaultThumbnailSize = 128;
constexpr int kMaxThumbnailSize = 4096;

// What a file is for the thumbnailer, judged by its first bytes, since file
// managers hand over files under any name: "MZ" starts an executable or
// library (PE, NE, icon library), 00 00 01 00 an icon file, 00 00 02 00 a
// cursor file, the empty 32-byte leading entry a 32-bit resource file. Only
// the 16-bit resource layout has no mark of its own; it is taken from the
// name's extension (.res .r32 .r16 .dcr).
enum class ThumbnailSource { Unknown, Executable, IconFile, CursorFile, ResourceFile, AnimatedCursor };
ThumbnailSource ThumbnailSourceOf(const std::string& name, ByteView bytes);

// The PNG file of the thumbnail of at most size x size pixels (size 1 ..
// kMaxThumbnailSize): from the first icon group in file order (the cursor
// file's group for a cursor file), the narrowest image at least size wide
// scaled down to size keeping its aspect, or when all are narrower the widest
// of them as it is; the most colours among equal widths. A chosen PNG image that fits is
// returned as stored. An image that does not decode gives way to the next
// best. Nullopt, with why set, when the file cannot be read, holds no icon
// or none of its images decodes.
std::optional<Bytes> ThumbnailPng(const std::string& path, int size, std::string* why = nullptr);
// The same over a file's bytes in memory; name gives the extension.
std::optional<Bytes> ThumbnailPngOfBytes(const std::string& name, ByteView bytes, int size,
                                         std::string* why = nullptr);

} // namespace gw
