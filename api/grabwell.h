#pragma once
// Grabwell's document API for other programs: open a file once, ask what it
// is and what it holds, read its icon groups, cursor groups, bitmaps and
// animated cursors, say what is damaged and where, draw and write what it
// holds; set a program's icon, cursor or version information, as
// grabwell-cli set-icon, set-cursor and set-version do. Everything is in
// namespace gw. Build with C++20 and link
// Grabwell::grabwell (CMake: find_package(Grabwell)) or the flags of
// `pkg-config --cflags --libs grabwell`.
//
// The headers this one includes:
//   grabwell/formats/Document.h     gw::Document: a file opened once; its kind, counts, records (Load) and damage (Errors)
//   grabwell/formats/FileContents.h what a file holds (IconGroups, CursorGroups, Bitmaps, Animations) and its counts
//   grabwell/formats/FileKind.h     gw::FileKind (Icon, Cursor, Bitmap, Ne, Pe, Resource, ...) and its display texts
//   grabwell/formats/IcoTypes.h     IconGroup and IconImage, the records of icon groups and their images
//   grabwell/formats/CurTypes.h     CursorGroup and CursorImage, the records of cursor groups and their images
//   grabwell/formats/BmpTypes.h     BitmapRecord, the record of one bitmap and its deferred picture
//   grabwell/formats/AniFile.h      AnimatedCursor and AnimationFrame, and the reader of .ani bytes
//   grabwell/formats/IconFormat.h   whole .ico and .cur files from a group (WriteIconGroup, WriteCursorGroup)
//   grabwell/formats/VersionInfo.h  version information: VersionInfo, its reader, writer and editing (Document::Version)
//   grabwell/pictures/IconExtract.h a file's first icon at a size (ExtractFirstIcon), a group's picture (GroupPicture)
//   grabwell/batch/core/SetIcon.h   a program's icon, cursor or version information set, the result written to
//                                   a file (SetProgramGroup, SetProgramVersion; ParseGroupName)
//   grabwell/formats/SetGroup.h     the same change to an icon or cursor group on bytes in memory
//                                   (ReplaceGroupInFile; GroupTarget, GroupChange; IcoFileFromPngs)
//   grabwell/formats/SetVersion.h   the same change to version information on bytes in memory
//                                   (ReplaceVersionInFile; VersionEdits)
//   grabwell/formats/ResourceTable.h every resource of a program or resource file (ReadResourceTable;
//                                   its keys, ResourceKey, from grabwell/platform/ResourceKey.h)
//   grabwell/formats/ResourceWriter.h a resource table written back (WriteResourceTable; ResourceWriteOptions)
//   grabwell/platform/ReadError.h   gw::ReadError {kind, offset, message}, what a read found damaged, and Describe()
//   grabwell/platform/ByteReader.h  gw::Bytes and gw::ByteView, the byte buffers every reader and writer takes
//   grabwell/platform/IconImage.h   gw::DecodedImage and its shared Handle, a decoded icon or cursor image
//   grabwell/platform/Bitmap.h      gw::Bitmap (ARGB pixels) and gw::PixelFormat
//   grabwell/platform/PngEncode.h   PNG files of decoded images (IconImagePng) and of ARGB pixels (EncodePng)
//   grabwell/platform/BmpCodec.h    .bmp decoding and encoding (DecodeBmp, EncodeBmp)
//   grabwell/platform/LanguageName.h a resource language (LANGID) in words (LanguageName)
// The other headers installed beside them are what these include.
#if __cplusplus < 202002L
#error "Grabwell's headers need C++20 (-std=c++20)"
#endif

#include "grabwell/batch/core/SetIcon.h"
#include "grabwell/formats/AniFile.h"
#include "grabwell/formats/BmpTypes.h"
#include "grabwell/formats/CurTypes.h"
#include "grabwell/formats/Document.h"
#include "grabwell/formats/FileContents.h"
#include "grabwell/formats/FileKind.h"
#include "grabwell/formats/IcoTypes.h"
#include "grabwell/formats/IconFormat.h"
#include "grabwell/formats/ResourceTable.h"
#include "grabwell/formats/ResourceWriter.h"
#include "grabwell/formats/SetGroup.h"
#include "grabwell/formats/SetVersion.h"
#include "grabwell/formats/VersionInfo.h"
#include "grabwell/pictures/IconExtract.h"
#include "grabwell/platform/Bitmap.h"
#include "grabwell/platform/BmpCodec.h"
#include "grabwell/platform/ByteReader.h"
#include "grabwell/platform/IconImage.h"
#include "grabwell/platform/LanguageName.h"
#include "grabwell/platform/PngEncode.h"
#include "grabwell/platform/ReadError.h"
