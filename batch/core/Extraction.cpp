#include "batch/core/Extraction.h"

#include "batch/core/BatchWriter.h"
#include "batch/core/GroupCommands.h"
#include "batch/core/GroupImages.h"
#include "batch/core/OutputNames.h"
#include "formats/BmpManage.h"
#include "formats/FileContents.h"
#include "formats/Document.h"
#include "formats/IconFormat.h"
#include "platform/BmpCodec.h"

namespace gw {

namespace {

std::string ImageBase(const std::string& prefix, size_t group, size_t image) {
    return prefix + "_" + std::to_string(group) + "_" + std::to_string(image);
}

void NoteUndecodable(BatchWriter& writer, const std::string& path, const std::string& base) {
    writer.NoteSkipped("\"" + path + "\": the image for " + base + ".bmp cannot be decoded; not converted");
}

// Settles the name first, so that nothing is encoded for an output that is
// not written. False when the batch failed or was stopped.
template <class MakeBytes>
bool WriteOutput(BatchWriter& writer, const std::string& base, const std::string& ext, MakeBytes makeBytes) {
    const std::optional<BatchWriter::Target> target = writer.Settle(base, ext);
    if (!target) return !writer.Halted();
    const Bytes bytes = makeBytes();
    if (bytes.empty()) {
        writer.NoteSkipped("\"" + target->path + "\" was not written: the image cannot be converted");
        return true;
    }
    return writer.Commit(*target, bytes);
}

// Every image of every group as its own one-image file (asImages) or as a
// bitmap on the key colour (choice.asBitmaps).
bool WriteGroupImages(const FileContents& contents, const std::string& path, const std::string& prefix,
                      ObjectKind objects, const OutputChoice& choice, BatchWriter& writer) {
    const bool asImages = objects == ObjectKind::Icons ? choice.asIcons : choice.asCursors;
    return ForEachGroupImage(contents, objects == ObjectKind::Icons, objects == ObjectKind::Cursors,
                             [&](const GroupImage& im) {
                                 const std::string base = ImageBase(prefix, im.group, im.image);
                                 if (im.Missing()) {
                                     writer.NoteSkipped("\"" + path + "\": the image for " + base +
                                                        " is not in the file; not written");
                                     return true;
                                 }
                                 if (asImages && im.HasData())
                                     return WriteOutput(writer, base, im.Extension(),
                                                        [&] { return im.AsImageFile(CursorDataForm::Resource); });
                                 if (choice.asBitmaps && im.Decodes())
                                     return WriteOutput(writer, base, ".bmp", [&] { return im.AsBitmapFile(); });
                                 if (choice.asBitmaps && im.HasData()) NoteUndecodable(writer, path, base);
                                 return true;
                             });
}

// Bitmaps keep their own pixel format; a device-dependent one is written in
// the display's depth by the encoder.
bool WriteBitmaps(const FileContents& contents, const std::string& prefix, BatchWriter& writer) {
    for (size_t b = 0; b < contents.Bitmaps.size(); ++b) {
        const BitmapRecord& record = contents.Bitmaps[b];
        if (!record.Bitmap()->HasHandle()) continue;
        const std::string base = prefix + "_" + std::to_string(b);
        if (!WriteOutput(writer, base, ".bmp", [&] { return EncodeBmp(*record.Bitmap(), record.PixelFormat); }))
            return false;
    }
    return true;
}

bool WriteAnimations(const FileContents& contents, const std::string& prefix, const OutputChoice& choice,
                     BatchWriter& writer) {
    for (size_t a = 0; a < contents.Animations.size(); ++a) {
        const AnimatedCursor& animation = contents.Animations[a];
        const std::string base = prefix + "_" + std::to_string(a);
        if (choice.asCursors && Halts(writer.Write(base, ".ani", animation.Data.view())))
            return false;
        if (choice.asFrames && !WriteAnimationFrames(animation, base, writer)) return false;
    }
    return true;
}

} // namespace

bool ExtractOneFile(Document& file, const Listing& listing, int count, const OutputChoice& choice,
                    BatchWriter& writer) {
    if (count < 1 || count > kMaxObjectsPerFile) return true;
    const std::string prefix = WizardPrefixBase(file.FileName());
    const ObjectKind objects = listing.objects;
    if (objects == ObjectKind::AnimatedCursors) {
        file.Load(RecordKind::Animations);
        return WriteAnimations(file.Contents(), prefix, choice, writer);
    }
    file.Load(objects == ObjectKind::Icons     ? RecordKind::Icons
              : objects == ObjectKind::Cursors ? RecordKind::Cursors
                                               : RecordKind::Bitmaps);
    const FileContents& contents = file.Contents();
    return objects == ObjectKind::Bitmaps ? WriteBitmaps(contents, prefix, writer)
                                          : WriteGroupImages(contents, file.Path(), prefix, objects, choice, writer);
}

} // namespace gw
