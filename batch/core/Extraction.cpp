#include "batch/core/Extraction.h"

#include "batch/core/BatchWriter.h"
#include "batch/core/OutputNames.h"
#include "formats/BmpManage.h"
#include "pictures/IconToBitmap.h"
#include "formats/FileContents.h"
#include "formats/IconFormat.h"
#include "platform/BmpCodec.h"

namespace gw {

namespace {

ContainerKind KindOf(const Listing& listing, TFileKind fileKind) {
    if (listing.resources) return ContainerKind::ResourceFile;
    if (fileKind == fkPEFile) return ContainerKind::PEFile;
    if (fileKind == fkNEFile) return ContainerKind::NEFile;
    return ContainerKind::NonExecutable;
}

FileCounts CountsFor(const Listing& listing, TFileKind fileKind, int count) {
    FileCounts counts;
    counts.kind = KindOf(listing, fileKind);
    counts.fileKind = fileKind;
    switch (listing.objects) {
    case ObjectKind::Icons: counts.iconGroups = count; break;
    case ObjectKind::Bitmaps: counts.bitmaps = count; break;
    case ObjectKind::Cursors: counts.cursorGroups = count; break;
    }
    return counts;
}

std::string ImageBase(const std::string& prefix, size_t group, size_t image) {
    return prefix + "_" + std::to_string(group) + "_" + std::to_string(image);
}

// Settles the name first, so that nothing is encoded for an output that is
// not written. False when the batch failed.
void NoteUndecodable(BatchWriter& writer, const CommonData& cd, const std::string& base) {
    writer.NoteSkipped("\"" + cd.SelFilePath + "\": the image for " + base + ".bmp cannot be decoded; not converted");
}

template <class MakeBytes>
bool WriteOutput(BatchWriter& writer, const std::string& base, const std::string& ext, MakeBytes makeBytes) {
    const std::optional<BatchWriter::Target> target = writer.Settle(base, ext);
    if (!target) return !writer.Failed();
    const Bytes bytes = makeBytes();
    if (bytes.empty()) {
        writer.NoteSkipped("\"" + target->path + "\" was not written: the image cannot be converted");
        return true;
    }
    return writer.Commit(*target, bytes);
}

// Every image of every group as its own one-image file (asImages) or as a
// bitmap on the key colour (choice.asBitmaps).
template <class Group, class WriteImage>
bool WriteGroupImages(const CommonData& cd, const std::vector<Group>& groups, const std::string& prefix,
                      bool asImages, const char* ext, const OutputChoice& choice, BatchWriter& writer,
                      WriteImage writeImage) {
    for (size_t g = 0; g < groups.size(); ++g) {
        const auto& images = groups[g].Images;
        for (size_t i = 0; i < images.size(); ++i) {
            const auto& im = images[i];
            const std::string base = ImageBase(prefix, g, i);
            bool ok = true;
            if (asImages && !im.Data.empty())
                ok = WriteOutput(writer, base, ext, [&] { return writeImage(im); });
            else if (choice.asBitmaps && im.Handle)
                ok = WriteOutput(writer, base, ".bmp", [&] { return IconImageAsBmp(*im.Handle, im.BitCount); });
            else if (choice.asBitmaps && !im.Data.empty())
                NoteUndecodable(writer, cd, base);
            if (!ok) return false;
        }
    }
    return true;
}

// Bitmaps keep their own pixel format; a device-dependent one is written in
// the display's depth by the encoder.
bool WriteBitmaps(const CommonData& cd, const std::string& prefix, BatchWriter& writer) {
    for (size_t b = 0; b < cd.Bitmaps.size(); ++b) {
        const TAdvBmp& record = cd.Bitmaps[b];
        if (!record.Bitmap || !record.Bitmap->HasHandle()) continue;
        const std::string base = prefix + "_" + std::to_string(b);
        if (!WriteOutput(writer, base, ".bmp", [&] { return EncodeBmp(*record.Bitmap, record.PixelFormat); }))
            return false;
    }
    return true;
}

} // namespace

bool ExtractOneFile(const std::string& path, const Listing& listing, TFileKind fileKind, int count,
                    const OutputChoice& choice, BatchWriter& writer) {
    if (count < 1 || count > kMaxObjectsPerFile) return true;
    const std::string prefix = WizardPrefixBase(PathFileName(path));
    // One file's records live only while it is written: a local object is
    // released (images, handles, then the lists) before the next file is read.
    CommonData cd;
    const ObjectKind objects = listing.objects;
    LoadFileContents(cd, path, CountsFor(listing, fileKind, count), objects == ObjectKind::Icons,
                     objects == ObjectKind::Cursors, objects == ObjectKind::Bitmaps);
    bool ok = true;
    switch (objects) {
    case ObjectKind::Icons:
        ok = WriteGroupImages(cd, cd.IconGroups, prefix, choice.asIcons, ".ico", choice, writer,
                              [](const TAdvIconImage& im) { return WriteIconImage(im); });
        break;
    case ObjectKind::Cursors:
        ok = WriteGroupImages(cd, cd.CursorGroups, prefix, choice.asCursors, ".cur", choice, writer,
                              [](const TAdvCursorImage& im) { return WriteCursorImage(im, CursorDataForm::Resource); });
        break;
    case ObjectKind::Bitmaps: ok = WriteBitmaps(cd, prefix, writer); break;
    }
    cd.ReleaseIconGroups();
    cd.ReleaseCursorGroups();
    cd.ReleaseBitmaps();
    return ok;
}

} // namespace gw
