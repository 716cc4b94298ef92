#include "cli/InfoCommand.h"

#include <nlohmann/json.hpp>

#include <iostream>

#include "cli/CliCommon.h"
#include "formats/AniFile.h"
#include "formats/FileContents.h"
#include "formats/IconFormat.h"
#include "formats/Document.h"
#include "platform/Text.h"

namespace gw::cli {

using json = nlohmann::json;

namespace {

// The colour count an image's label shows, as a number (0 when it has no
// exact 64-bit value).
uint64_t ColorCount(uint16_t bitCount) {
    if (bitCount == 0) return 256;
    return bitCount < 64 ? uint64_t(1) << bitCount : 0;
}


// One JSON document on one line. Every string is valid UTF-8 before it gets
// here; the replacing handler is what makes serialising unable to throw on
// one that is not.
std::string Dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

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
json IconImageJson(const IconImage& im, bool decode) {
    const int w = int(DrawnSide(im.Width)), h = int(DrawnSide(im.Height));
    json j = {{"width", w},          {"height", h},
              {"bit_count", im.BitCount}, {"colors", ColorCount(im.BitCount)},
              {"format", FormatLabel(im.Width, im.Height, im.BitCount)},
              {"bytes", im.BytesInRes}, {"png", IsPngData(im.Data)}};
    if (im.Missing) j["missing"] = true;
    if (decode) j["decoded"] = bool(im.Handle());
    return j;
}

json CursorImageJson(const CursorImage& im, bool decode) {
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
    if (decode) j["decoded"] = bool(im.Handle());
    return j;
}

// Animated cursors and icons: their steps with the frame each shows and its
// time in milliseconds, their texts, and each frame's images.
json AnimationsJson(const std::vector<AnimatedCursor>& animations, bool decode) {
    json out = json::array();
    for (const AnimatedCursor& a : animations) {
        json frames = json::array();
        for (const AnimationFrame& f : a.Frames) {
            json images = json::array();
            for (const auto& im : f.Images.Images) images.push_back(CursorImageJson(im, decode));
            frames.push_back({{"cursor", f.IsCursor}, {"images", images}});
        }
        json rates = json::array();
        for (uint32_t r : a.StepRates) rates.push_back(JiffiesToMs(r));
        out.push_back({{"type", a.AnimatedIcon ? "icon" : "cursor"},
                       {"name", ValidUtf8(a.Name)},
                       {"named", a.Named != 0},
                       {"frames", a.Frames.size()},
                       {"steps", a.StepFrames.size()},
                       {"default_rate_ms", JiffiesToMs(a.DefaultRate)},
                       {"rates_ms", rates},
                       {"sequence", a.StepFrames},
                       {"title", ValidUtf8(a.Title)},
                       {"artist", ValidUtf8(a.Artist)},
                       {"frame_list", frames}});
    }
    return out;
}

json ErrorsJson(const std::vector<ReadError>& errors) {
    json out = json::array();
    for (const ReadError& e : errors)
        out.push_back({{"kind", ReadErrorKindName(e.kind)}, {"offset", e.offset}, {"message", ValidUtf8(e.message)}});
    return out;
}

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

json FileJson(const std::string& path, const FileCounts& counts, const FileContents& contents, bool decode) {
    json groups = json::array();
    for (const auto& g : contents.IconGroups) {
        if (g.Name.empty() && g.Images.empty()) continue; // an entry the file did not fill
        json images = json::array();
        for (const auto& im : g.Images) images.push_back(IconImageJson(im, decode));
        groups.push_back({{"type", "icon"}, {"name", ValidUtf8(g.Name)}, {"named", g.Named != 0}, {"images", images}});
    }
    for (const auto& g : contents.CursorGroups) {
        if (g.Name.empty() && g.Images.empty()) continue;
        json images = json::array();
        for (const auto& im : g.Images) images.push_back(CursorImageJson(im, decode));
        groups.push_back({{"type", "cursor"}, {"name", ValidUtf8(g.Name)}, {"named", g.Named != 0}, {"images", images}});
    }
    json bitmaps = json::array();
    for (const auto& b : contents.Bitmaps) {
        if (!Usable(b)) continue;
        bitmaps.push_back({{"name", ValidUtf8(b.Name)},
                           {"named", b.Named != 0},
                           {"width", b.Width},
                           {"height", b.Height},
                           {"pixel_format", PixelFormatText(b.PixelFormat)}});
    }
    json j = CountsJson(path, counts, contents.Errors);
    j.update({{"groups", groups},
              {"bitmap_list", bitmaps},
              {"animation_list", AnimationsJson(contents.Animations, decode)}});
    return j;
}

// The path as the file system spells it; every other text is UTF-8.
void PrintText(const std::string& path, const json& j) {
    std::cout << path << ": " << j["kind"].get<std::string>() << "\n";
    std::cout << "  icon groups: " << j["icon_groups"] << ", cursor groups: " << j["cursor_groups"]
              << ", bitmaps: " << j["bitmaps"];
    if (j["animations"].get<int>() > 0) std::cout << ", animated cursors and icons: " << j["animations"];
    std::cout << "\n";
    for (const auto& g : j["groups"]) {
        std::cout << "  " << g["type"].get<std::string>() << " group \"" << g["name"].get<std::string>() << "\""
                  << (g["named"].get<bool>() ? " (named)" : " (id)") << ", " << g["images"].size() << " images\n";
        for (const auto& im : g["images"]) {
            std::cout << "    " << im["format"].get<std::string>() << ", " << im["bit_count"] << " bits, "
                      << im["bytes"] << " bytes";
            if (im.contains("hotspot_x")) std::cout << ", hot spot " << im["hotspot_x"] << "," << im["hotspot_y"];
            if (im["png"].get<bool>()) std::cout << ", PNG";
            if (im.contains("missing")) std::cout << ", missing";
            if (im.contains("decoded") && !im["decoded"].get<bool>()) std::cout << ", not decodable";
            std::cout << "\n";
        }
    }
    for (const auto& a : j["animation_list"]) {
        std::cout << "  animated " << a["type"].get<std::string>() << " \"" << a["name"].get<std::string>() << "\", "
                  << a["frames"] << " frames, " << a["steps"] << " steps, default " << a["default_rate_ms"] << " ms";
        if (!a["title"].get<std::string>().empty()) std::cout << ", title \"" << a["title"].get<std::string>() << "\"";
        if (!a["artist"].get<std::string>().empty()) std::cout << ", by \"" << a["artist"].get<std::string>() << "\"";
        std::cout << "\n    rates (ms):";
        for (const auto& r : a["rates_ms"]) std::cout << " " << r;
        std::cout << "\n";
        int k = 0;
        for (const auto& f : a["frame_list"]) {
            std::cout << "    frame " << k++ << ":";
            for (const auto& im : f["images"])
                std::cout << " " << im["format"].get<std::string>() << " hot spot " << im["hotspot_x"] << ","
                          << im["hotspot_y"] << ";";
            std::cout << "\n";
        }
    }
    for (const auto& b : j["bitmap_list"]) {
        std::cout << "  bitmap \"" << b["name"].get<std::string>() << "\" " << b["width"] << " x " << b["height"]
                  << ", pixel format " << b["pixel_format"].get<std::string>() << "\n";
    }
}

// Opens each file in turn and hands it to describe, which returns false
// when it found damage; 1 when a file was unreadable or damaged.
template <class Describe>
int DescribeEach(const std::vector<std::string>& paths, Describe describe) {
    int status = kExitOk;
    for (const auto& path : paths) {
        const auto opened = OpenOrComplain(path);
        if (!opened || !describe(path, *opened)) status = kExitFailed;
    }
    return status;
}

} // namespace

int RunCounts(const std::vector<std::string>& paths, bool asJson) {
    return DescribeEach(paths, [asJson](const std::string& path, const Document& opened) {
        const FileCounts& c = opened.Counts();
        const bool damaged = ComplainOfDamage(opened);
        if (asJson) {
            std::cout << Dump(CountsJson(path, c, opened.Errors())) << "\n";
        } else {
            std::cout << path << ": " << FileKindText(c.kind) << ", icon groups " << c.iconGroups
                      << ", cursor groups " << c.cursorGroups << ", bitmaps " << c.bitmaps;
            if (c.animations > 0) std::cout << ", animated cursors and icons " << c.animations;
            std::cout << "\n";
        }
        return !damaged;
    });
}

int RunInfo(const std::vector<std::string>& paths, bool asJson, bool decode) {
    return DescribeEach(paths, [asJson, decode](const std::string& path, Document& opened) {
        opened.LoadAll();
        const bool damaged = ComplainOfDamage(opened);
        const json j = FileJson(path, opened.Counts(), opened.Contents(), decode);
        if (asJson)
            std::cout << Dump(j) << "\n";
        else
            PrintText(path, j);
        return !damaged;
    });
}

} // namespace gw::cli
