#include "workdesks/core/BitmapDesk.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "batch/core/GroupCommands.h"
#include "formats/PeResources.h"
#include "formats/Rescaler.h"
#include "formats/ResTypes.h"
#include "platform/BmpCodec.h"
#include "platform/FileIo.h"
#include "platform/ResourceModule.h"
#include "workdesks/core/IconDesk.h"

namespace gw {

const char* BitmapFormatText(PixelFormat format) {
    switch (format) {
    case PixelFormat::Device: return "Device";
    case PixelFormat::Bits1: return "2";
    case PixelFormat::Bits4: return "16";
    case PixelFormat::Bits8: return "256";
    case PixelFormat::Bits15: return "15 Bit";
    case PixelFormat::Bits16: return "16 Bit";
    case PixelFormat::Bits24: return "24 Bit";
    case PixelFormat::Bits32: return "32 Bit";
    case PixelFormat::Custom: break;
    }
    return "Custom";
}

std::vector<std::string> BitmapDeskItem::SubItems() const {
    return {"Bitmap", isNamed ? "1" : "0", std::to_string(width), std::to_string(height), BitmapFormatText(format)};
}

std::vector<BitmapDeskItem> BitmapDeskItemsOf(const std::vector<BitmapRecord>& bitmaps) {
    std::vector<BitmapDeskItem> items;
    for (size_t i = 0; i < bitmaps.size(); ++i) {
        const BitmapRecord& bmp = bitmaps[i];
        // An entry the load did not fill holds no bitmap and waits for none.
        if (!bmp.Picture.Pending() && !bmp.Bitmap()->HasHandle()) continue;
        items.push_back({i, bmp.Name, bmp.Named != 0, bmp.Width, bmp.Height, bmp.PixelFormat});
    }
    std::stable_sort(items.begin(), items.end(), BitmapCaptionBefore);
    return items;
}

bool BitmapCaptionBefore(const BitmapDeskItem& a, const BitmapDeskItem& b) {
    // Ids by value first, then names in the user's collation. Captions hold
    // no NUL from the readers; compare whole strings anyway.
    if (const int c = CompareNumberNames(a.caption, b.caption); c != 0) return c < 0;
    if (const int c = std::strcoll(a.caption.c_str(), b.caption.c_str()); c != 0) return c < 0;
    if (const int c = a.caption.compare(b.caption); c != 0) return c < 0;
    return a.entry < b.entry;
}

BitmapSaveSource BitmapSaveSourceFor(FileKind kind) {
    if (kind == FileKind::Resource || kind == FileKind::Ne) return BitmapSaveSource::Loaded;
    if (kind == FileKind::Pe) return BitmapSaveSource::ReadAgain;
    return BitmapSaveSource::None;
}

namespace {

// Where the commands take each bitmap from: a PE file's resources are read
// again from the resource directory of the file the workdesk opened.
class BitmapFetcher {
public:
    explicit BitmapFetcher(const BitmapDeskFile& file)
        : m_file(file), m_module(file.source == BitmapSaveSource::ReadAgain ? file.module : nullptr) {}

    // False (with why set) when the file's resource directory is not at hand.
    bool Opened(std::string& why) const {
        if (m_file.source != BitmapSaveSource::ReadAgain || m_module) return true;
        why = "cannot read \"" + m_file.path + "\" again: its resources could not be read";
        return false;
    }

    // The .bmp file of an item; empty (with why set) when there is no bitmap.
    // A resource not found again, or not decoding, gives the loaded bitmap.
    Bytes FileOf(const BitmapDeskItem& item, std::string& why) const {
        if (m_file.source == BitmapSaveSource::None) {
            why = "There is no source to save \"" + item.caption + "\" from";
            return {};
        }
        if (m_module) {
            // In the language the bitmap is shown in: what the workdesk shows is what is saved.
            const BitmapRecord* record =
                m_file.bitmaps && item.entry < m_file.bitmaps->size() ? &(*m_file.bitmaps)[item.entry] : nullptr;
            const std::optional<uint16_t> language =
                record && !record->Languages.empty() ? std::optional<uint16_t>(record->Language) : std::nullopt;
            const Bitmap again = ReadPeBitmapAgain(*m_module, item.caption, item.isNamed ? 1 : 0, language);
            if (again.HasHandle()) return EncodeBmp(again);
        }
        const Bitmap* loaded = Loaded(item);
        if (!loaded || !loaded->HasHandle()) {
            why = "The bitmap \"" + item.caption + "\" cannot be decoded; no file was written for it";
            return {};
        }
        return EncodeBmp(*loaded, (*m_file.bitmaps)[item.entry].PixelFormat);
    }

private:
    const Bitmap* Loaded(const BitmapDeskItem& item) const {
        if (!m_file.bitmaps || item.entry >= m_file.bitmaps->size()) return nullptr;
        return (*m_file.bitmaps)[item.entry].Bitmap().get();
    }

    const BitmapDeskFile& m_file;
    const ResourceModule* m_module;
};

} // namespace

Bytes DeskBitmapFile(const BitmapDeskFile& file, const BitmapDeskItem& item, std::string& why) {
    const BitmapFetcher fetcher(file);
    return fetcher.Opened(why) ? fetcher.FileOf(item, why) : Bytes{};
}

BatchResult SaveDeskBitmap(const BitmapDeskFile& file, const BitmapDeskItem& item, Prompts& prompts) {
    BatchResult result;
    std::string why;
    const Bytes bytes = DeskBitmapFile(file, item, why);
    if (bytes.empty()) {
        result.notes.push_back(why);
        return result;
    }
    return SaveThroughDialog(BitmapSaveRequest(item.caption), bytes, prompts);
}

BatchResult SaveAllDeskBitmaps(const BitmapDeskFile& file, const std::vector<BitmapDeskItem>& items,
                               ActionFlags& flags, Prompts& prompts) {
    return RunFolderCommand(kAllBitmapsFolderTitle, false, flags, prompts, [&](BatchWriter& writer) {
        const BitmapFetcher fetcher(file);
        std::string why;
        if (!fetcher.Opened(why)) {
            writer.NoteSkipped(why + "; no bitmap was written");
            return;
        }
        for (const BitmapDeskItem& item : items) {
            const Bytes bytes = fetcher.FileOf(item, why);
            if (bytes.empty()) {
                writer.NoteSkipped(why);
                continue;
            }
            if (Halts(writer.Write(item.caption, ".bmp", bytes))) return;
        }
    });
}

} // namespace gw
