#include "batch/core/InfoJson.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <thread>
#include <unordered_map>
#include <vector>

#include "batch/core/VersionJson.h"
#include "formats/AniFile.h"
#include "formats/FileContents.h"
#include "formats/IconFormat.h"
#include "pictures/IconHash.h"
#include "platform/Text.h"

namespace gw {

using json = nlohmann::json;

namespace {

// Whether each image of a file decodes, worked out before the JSON is made,
// on several threads for a file with many images: asking keeps no picture,
// so images are decoded independently of each other.
class DecodeVerdicts {
public:
    DecodeVerdicts(const FileContents& contents, unsigned threads) {
        std::vector<const IconImage*> icons;
        std::vector<const CursorImage*> cursors;
        for (const auto& g : contents.IconGroups)
            for (const auto& im : g.Images) icons.push_back(&im);
        for (const auto& g : contents.CursorGroups)
            for (const auto& im : g.Images) cursors.push_back(&im);
        for (const auto& a : contents.Animations)
            for (const auto& f : a.Frames)
                for (const auto& im : f.Images.Images) cursors.push_back(&im);
        const size_t total = icons.size() + cursors.size();
        std::vector<char> decodes(total, 0);
        std::atomic<size_t> next{0};
        const auto work = [&] {
            for (size_t i = next++; i < total; i = next++)
                decodes[i] = i < icons.size() ? icons[i]->Decodes() : cursors[i - icons.size()]->Decodes();
        };
        // A thread is worth starting only for a file with many images.
        constexpr size_t kImagesPerThread = 32;
        const size_t helpers = std::min<size_t>(threads > 0 ? threads - 1 : 0, total / kImagesPerThread);
        std::vector<std::thread> pool;
        for (size_t t = 0; t < helpers; ++t) pool.emplace_back(work);
        work();
        for (std::thread& t : pool) t.join();
        for (size_t i = 0; i < total; ++i)
            m_decodes.emplace(i < icons.size() ? static_cast<const void*>(icons[i]) : cursors[i - icons.size()],
                              decodes[i] != 0);
    }

    bool Of(const void* image) const {
        const auto found = m_decodes.find(image);
        return found != m_decodes.end() && found->second;
    }

private:
    std::unordered_map<const void*, bool> m_decodes;
};

// The colour count an image's label shows, as a number (0 when it has no
// exact 64-bit value).
uint64_t ColorCount(uint16_t bitCount) {
    if (bitCount == 0) return 256;
    return bitCount < 64 ? uint64_t(1) << bitCount : 0;
}

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        out.push_back(kDigits[static_cast<unsigned char>(c) >> 4]);
        out.push_back(kDigits[static_cast<unsigned char>(c) & 0xF]);
    }
    return out;
}

// "path" as text; a path that is not UTF-8 shows U+FFFD in its place and
// gives its exact bytes, in hexadecimal, as "path_hex".
json PathJson(const std::string& path) {
    json j = {{"path", ValidUtf8(path)}};
    if (!IsUtf8(path)) j["path_hex"] = Hex(path);
    return j;
}

// Whether each image decodes is said only when asked for: telling it means
// decoding every image, which nothing else that info prints needs.
json IconImageJson(const IconImage& im, const DecodeVerdicts* verdicts) {
    const int w = int(DrawnSide(im.Width)), h = int(DrawnSide(im.Height));
    json j = {{"width", w},          {"height", h},
              {"bit_count", im.BitCount}, {"colors", ColorCount(im.BitCount)},
              {"format", FormatLabel(uint32_t(w), uint32_t(h), im.BitCount)},
              {"bytes", im.BytesInRes}, {"png", IsPngData(im.Data)}};
    if (im.Missing) j["missing"] = true;
    if (verdicts) j["decoded"] = verdicts->Of(&im);
    return j;
}

json CursorImageJson(const CursorImage& im, const DecodeVerdicts* verdicts) {
    const ByteView bytes(im.Data);
    json j = {{"width", im.Width},
            {"height", im.Height / 2},
            {"bit_count", im.BitCount},
            {"colors", ColorCount(im.BitCount)},
            {"format", FormatLabel(im.Width, im.Height / 2, im.BitCount)},
            {"bytes", im.BytesInRes},
            {"png", IsPngData(bytes) || (bytes.size() > 4 && IsPngData(bytes.subspan(4)))},
            {"hotspot_x", im.HotspotX},
            {"hotspot_y", im.HotspotY}};
    if (im.Missing) j["missing"] = true;
    if (verdicts) j["decoded"] = verdicts->Of(&im);
    return j;
}

// "language" (the LANGID shown) and "languages" (all it is held in), only
// for a record held in more than one language or in one other than neutral.
template <class Record>
json WithLanguages(json j, const Record& record) {
    if (TellsLanguage(record)) {
        j["language"] = record.Language;
        j["languages"] = record.Languages;
    }
    return j;
}

// Animated cursors and icons: their steps with the frame each shows and its
// time in milliseconds, their texts, and each frame's images.
json AnimationsJson(const std::vector<AnimatedCursor>& animations, const DecodeVerdicts* verdicts) {
    json out = json::array();
    for (const AnimatedCursor& a : animations) {
        json frames = json::array();
        for (const AnimationFrame& f : a.Frames) {
            json images = json::array();
            for (const auto& im : f.Images.Images) images.push_back(CursorImageJson(im, verdicts));
            frames.push_back({{"cursor", f.IsCursor}, {"images", images}});
        }
        json rates = json::array();
        for (uint32_t r : a.StepRates) rates.push_back(JiffiesToMs(r));
        out.push_back(WithLanguages({{"type", a.AnimatedIcon ? "icon" : "cursor"},
                       {"name", ValidUtf8(a.Name)},
                       {"named", a.Named != 0},
                       {"frames", a.Frames.size()},
                       {"steps", a.StepFrames.size()},
                       {"default_rate_ms", JiffiesToMs(a.DefaultRate)},
                       {"rates_ms", rates},
                       {"sequence", a.StepFrames},
                       {"title", ValidUtf8(a.Title)},
                       {"artist", ValidUtf8(a.Artist)},
                       {"frame_list", frames}}, a));
    }
    return out;
}

json ErrorsJson(const std::vector<ReadError>& errors) {
    json out = json::array();
    for (const ReadError& e : errors)
        out.push_back({{"kind", ReadErrorKindName(e.kind)}, {"offset", e.offset}, {"message", ValidUtf8(e.message)}});
    return out;
}

// A Linux path said as text, null when it cannot be told.
json PathOrNull(const std::string& path) { return path.empty() ? json(nullptr) : json(ValidUtf8(path)); }

} // namespace

json ShortcutJsonObject(const Shortcut& s) {
    const ShellLink& link = s.link;
    const ShortcutIcon icon = ShortcutIconOf(link);
    json j = PathJson(s.path);
    j.update({{"kind", "Shortcut"},
              {"target", PathOrNull(s.target)},
              {"target_windows", ValidUtf8(link.targetPath)},
              {"arguments", ValidUtf8(link.arguments)},
              {"working_folder", PathOrNull(s.workingFolder)},
              {"working_folder_windows", ValidUtf8(link.workingDirectory)},
              {"description", ValidUtf8(link.description)},
              {"relative_path", ValidUtf8(link.relativePath)},
              {"icon_location",
               {{"file", PathOrNull(s.iconFile)},
                {"file_windows", ValidUtf8(icon.path)},
                {"index", s.iconIndex},
                {"from_target", !s.iconFromLocation}}},
              {"show_command", link.showCommand},
              {"hot_key", link.hotKey},
              {"wine_prefix", PathOrNull(s.prefix)},
              {"errors", ErrorsJson(s.error ? std::vector<ReadError>{*s.error} : std::vector<ReadError>{})}});
    return j;
}

namespace {

// The path, the kind, the counts and the damage: what info --counts says,
// and what info says before the records.
json CountsJson(const std::string& path, const FileCounts& counts, const std::vector<ReadError>& errors) {
    json j = PathJson(path);
    j.update({{"kind", FileKindText(counts.kind)},
              {"icon_groups", counts.iconGroups},
              {"cursor_groups", counts.cursorGroups},
              {"bitmaps", counts.bitmaps},
              {"animations", counts.animations},
              {"errors", ErrorsJson(errors)}});
    return j;
}

json FileJson(const std::string& path, const FileCounts& counts, const FileContents& contents,
              const DecodeVerdicts* verdicts) {
    json groups = json::array();
    for (const auto& g : contents.IconGroups) {
        if (!IsFilled(g)) continue; // an entry the file did not fill
        json images = json::array();
        for (const auto& im : g.Images) images.push_back(IconImageJson(im, verdicts));
        groups.push_back(WithLanguages(
            {{"type", "icon"}, {"name", ValidUtf8(g.Name)}, {"named", g.Named != 0}, {"images", images}}, g));
    }
    for (const auto& g : contents.CursorGroups) {
        if (!IsFilled(g)) continue;
        json images = json::array();
        for (const auto& im : g.Images) images.push_back(CursorImageJson(im, verdicts));
        groups.push_back(WithLanguages(
            {{"type", "cursor"}, {"name", ValidUtf8(g.Name)}, {"named", g.Named != 0}, {"images", images}}, g));
    }
    json bitmaps = json::array();
    for (const auto& b : contents.Bitmaps) {
        if (!IsFilled(b)) continue;
        bitmaps.push_back(WithLanguages({{"name", ValidUtf8(b.Name)},
                                         {"named", b.Named != 0},
                                         {"width", b.Width},
                                         {"height", b.Height},
                                         {"pixel_format", PixelFormatText(b.PixelFormat)}},
                                        b));
    }
    json j = CountsJson(path, counts, contents.Errors);
    j.update({{"groups", groups},
              {"bitmap_list", bitmaps},
              {"animation_list", AnimationsJson(contents.Animations, verdicts)}});
    return j;
}

// "icon_hash": the fingerprints of the file's icon, or null.
json IconHashJson(Document& doc) {
    const std::optional<IconHash> hash = IconHashOf(doc);
    if (!hash) return nullptr;
    return {{"raw_md5", hash->rawMd5}, {"ico_md5", hash->icoMd5}, {"dhash", hash->dhash}};
}

} // namespace

json InfoJsonObject(const std::string& path, Document& doc, InfoOptions options) {
    doc.LoadAll();
    // The hash first: it may decode an image, never read records, so the
    // errors said below are the same either way.
    json hash = options.hash ? IconHashJson(doc) : json();
    const std::optional<DecodeVerdicts> verdicts =
        options.decode ? std::optional<DecodeVerdicts>(std::in_place, doc.Contents(), options.decodeThreads)
                       : std::nullopt;
    json j = FileJson(path, doc.Counts(), doc.Contents(), verdicts ? &*verdicts : nullptr);
    if (options.hash) j["icon_hash"] = std::move(hash);
    if (!doc.ResourcesFrom().empty()) j["resources_from"] = ValidUtf8(doc.ResourcesFrom());
    // Read by LoadAll above, so its damage is among the errors.
    if (const std::optional<VersionInfo>& version = doc.Version()) j["version"] = VersionInfoJson(*version);
    return j;
}

std::string InfoJsonLine(const std::string& path, Document& doc, InfoOptions options) {
    return DumpJsonLine(InfoJsonObject(path, doc, options));
}

json CountsJsonObject(const std::string& path, Document& doc, InfoOptions options) {
    // The records are read (not decoded) so that the counts say the same
    // damage as the whole description does, for every kind of file.
    doc.LoadAll();
    json hash = options.hash ? IconHashJson(doc) : json();
    json j = CountsJson(path, doc.Counts(), doc.Errors());
    if (options.hash) j["icon_hash"] = std::move(hash);
    if (!doc.ResourcesFrom().empty()) j["resources_from"] = ValidUtf8(doc.ResourcesFrom());
    return j;
}

std::string CountsJsonLine(const std::string& path, Document& doc, InfoOptions options) {
    return DumpJsonLine(CountsJsonObject(path, doc, options));
}

// Every string is valid UTF-8 before it gets here; the replacing handler is
// what makes serialising unable to throw on one that is not.
} // namespace gw
