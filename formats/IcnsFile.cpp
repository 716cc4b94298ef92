#include "formats/IcnsFile.h"

#include <openjpeg.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "formats/IconFormat.h"
#include "platform/LoadBudget.h"
#include "platform/Paths.h"
#include "platform/PngDecode.h"
#include "platform/PngEncode.h"

namespace gw {

namespace {

constexpr uint64_t kHeaderSize = 8;
// From this side on a decoded image is kept as PNG, as .ico files keep them.
constexpr uint32_t kStoredAsPng = 256;
// The largest side a JPEG 2000 element may claim: twice the largest kind's.
constexpr uint32_t kMaxJpeg2000Side = 2048;

uint32_t BigU32(ByteView b, uint64_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

enum class Encoding : uint8_t {
    Mono,        // 1 bit a pixel, then the 1-bit mask
    Palette4,    // 4 bits a pixel in the classic 16 colours; the mask is the 1-bit element's
    Palette8,    // 8 bits a pixel in the classic 256 colours; the same
    Packed24,    // run-length packed red, green and blue planes; the mask is an 8-bit element
    PackedArgb,  // "ARGB" and run-length packed alpha, red, green and blue planes (or PNG, JPEG 2000)
    Compressed,  // PNG or JPEG 2000
};

struct ElementKind {
    const char* type;
    uint32_t width, height;
    Encoding encoding;
    const char* mask; // the element holding its mask, or null
};

constexpr std::array<ElementKind, 33> kImageKinds = {{
    {"ICN#", 32, 32, Encoding::Mono, nullptr},
    {"icm#", 16, 12, Encoding::Mono, nullptr},
    {"ics#", 16, 16, Encoding::Mono, nullptr},
    {"ich#", 48, 48, Encoding::Mono, nullptr},
    {"icl4", 32, 32, Encoding::Palette4, "ICN#"},
    {"icm4", 16, 12, Encoding::Palette4, "icm#"},
    {"ics4", 16, 16, Encoding::Palette4, "ics#"},
    {"ich4", 48, 48, Encoding::Palette4, "ich#"},
    {"icl8", 32, 32, Encoding::Palette8, "ICN#"},
    {"icm8", 16, 12, Encoding::Palette8, "icm#"},
    {"ics8", 16, 16, Encoding::Palette8, "ics#"},
    {"ich8", 48, 48, Encoding::Palette8, "ich#"},
    {"is32", 16, 16, Encoding::Packed24, "s8mk"},
    {"il32", 32, 32, Encoding::Packed24, "l8mk"},
    {"ih32", 48, 48, Encoding::Packed24, "h8mk"},
    {"it32", 128, 128, Encoding::Packed24, "t8mk"},
    {"ic04", 16, 16, Encoding::PackedArgb, nullptr},
    {"ic05", 32, 32, Encoding::PackedArgb, nullptr},
    {"icsb", 18, 18, Encoding::PackedArgb, nullptr},
    {"icsB", 36, 36, Encoding::PackedArgb, nullptr},
    {"sb24", 24, 24, Encoding::PackedArgb, nullptr},
    {"SB24", 48, 48, Encoding::PackedArgb, nullptr},
    {"icp4", 16, 16, Encoding::Compressed, nullptr},
    {"icp5", 32, 32, Encoding::Compressed, nullptr},
    {"icp6", 64, 64, Encoding::Compressed, nullptr},
    {"ic07", 128, 128, Encoding::Compressed, nullptr},
    {"ic08", 256, 256, Encoding::Compressed, nullptr},
    {"ic09", 512, 512, Encoding::Compressed, nullptr},
    {"ic10", 1024, 1024, Encoding::Compressed, nullptr},
    {"ic11", 32, 32, Encoding::Compressed, nullptr},
    {"ic12", 64, 64, Encoding::Compressed, nullptr},
    {"ic13", 256, 256, Encoding::Compressed, nullptr},
    {"ic14", 512, 512, Encoding::Compressed, nullptr},
}};

const ElementKind* ImageKindOf(std::string_view type) {
    for (const ElementKind& kind : kImageKinds)
        if (type == kind.type) return &kind;
    return nullptr;
}

struct Element {
    std::string type;
    uint64_t at = 0; // where its header starts
    ByteView data;   // after the header
};

// The elements the family's length and each element's length allow, and
// the damage that ended the walk.
ReadResult<std::vector<Element>> Elements(ByteView file) {
    ReadResult<std::vector<Element>> result;
    if (file.size() < kHeaderSize || std::memcmp(file.data(), "icns", 4) != 0) {
        result.Note(file.size() < kHeaderSize ? ReadError::Truncated(0, "the icon family header", kHeaderSize, file.size())
                                              : ReadError::Invalid(0, "not an icon family (no \"icns\" at its start)",
                                                                   file.size()));
        return result;
    }
    uint64_t end = BigU32(file, 4);
    if (end < kHeaderSize) {
        result.Note(ReadError::Invalid(4, "the icon family's length " + GroupedNumber(end) + " is shorter than its header",
                                       file.size()));
        return result;
    }
    if (end > file.size()) {
        result.Note(ReadError::Truncated(0, "the icon family", end, file.size()));
        end = file.size();
    }
    for (uint64_t at = kHeaderSize; at < end;) {
        if (end - at < kHeaderSize) {
            result.Note(ReadError::Truncated(at, "an element header", kHeaderSize, file.size()));
            break;
        }
        const uint64_t length = BigU32(file, at + 4);
        const std::string type(reinterpret_cast<const char*>(file.data() + at), 4);
        if (length < kHeaderSize) {
            result.Note(ReadError::Invalid(at + 4, "element '" + type + "' is " + GroupedNumber(length) +
                                                       " bytes long, shorter than its header",
                                           file.size()));
            break;
        }
        if (length > end - at) {
            result.Note(ReadError::Truncated(at, "element '" + type + "'", length, file.size()));
            break;
        }
        result.records.push_back(Element{type, at, file.subspan(at + kHeaderSize, length - kHeaderSize)});
        at += length;
    }
    return result;
}

const Element* Find(const std::vector<Element>& elements, std::string_view type) {
    for (const Element& e : elements)
        if (e.type == type) return &e;
    return nullptr;
}

// The classic 16 colours, as RGB.
constexpr std::array<uint32_t, 16> kPalette4 = {
    0xFFFFFF, 0xFCF305, 0xFF6402, 0xDD0806, 0xF20884, 0x4600A5, 0x0000D4, 0x02ABEA,
    0x1FB714, 0x006411, 0x562C05, 0x90713A, 0xC0C0C0, 0x808080, 0x404040, 0x000000,
};

// The classic 256 colours: the 6x6x6 cube from white down (black left out),
// then ramps of red, green, blue and grey without their ends, then black.
uint32_t Palette8(uint8_t index) {
    static const std::array<uint32_t, 256> palette = [] {
        std::array<uint32_t, 256> p{};
        size_t n = 0;
        for (int r = 5; r >= 0; --r)
            for (int g = 5; g >= 0; --g)
                for (int b = 5; b >= 0; --b)
                    if (n < 215) p[n++] = uint32_t(r * 0x33) << 16 | uint32_t(g * 0x33) << 8 | uint32_t(b * 0x33);
        constexpr uint8_t ramp[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
        for (int shift : {16, 8, 0})
            for (uint8_t v : ramp) p[n++] = uint32_t(v) << shift;
        for (uint8_t v : ramp) p[n++] = uint32_t(v) << 16 | uint32_t(v) << 8 | v;
        p[n] = 0;
        return p;
    }();
    return palette[index];
}

// Unpacks channels planes of pixels bytes each from the run-length packing
// the 24-bit and ARGB images use: a byte below 0x80 is followed by that many
// plus one bytes to copy, one from 0x80 by one byte to repeat that many
// minus 125 times. A run past a plane's end is cut there. False when the
// data ends before the planes are full.
bool UnpackPlanes(ByteView data, size_t pixels, size_t channels, std::vector<uint8_t>& planes) {
    planes.assign(pixels * channels, 0);
    size_t at = 0;
    for (size_t c = 0; c < channels; ++c) {
        uint8_t* plane = planes.data() + c * pixels;
        for (size_t filled = 0; filled < pixels;) {
            if (at >= data.size()) return false;
            const uint8_t head = data[at++];
            if (head < 0x80) {
                const size_t run = size_t(head) + 1;
                if (data.size() - at < run) return false;
                const size_t kept = std::min(run, pixels - filled);
                std::memcpy(plane + filled, data.data() + at, kept);
                at += run;
                filled += kept;
            } else {
                if (at >= data.size()) return false;
                const size_t run = size_t(head) - 125;
                const size_t kept = std::min(run, pixels - filled);
                std::memset(plane + filled, data[at++], kept);
                filled += kept;
            }
        }
    }
    return true;
}

// The 1-bit mask of a classic image from the 1-bit element of its size (its
// second half); every pixel opaque when there is none.
std::vector<uint8_t> MonoMask(const std::vector<Element>& elements, const ElementKind& kind) {
    const size_t pixels = size_t(kind.width) * kind.height, plane = pixels / 8;
    std::vector<uint8_t> alpha(pixels, 0xFF);
    const Element* mono = kind.mask ? Find(elements, kind.mask) : nullptr;
    if (!mono || mono->data.size() < 2 * plane) return alpha;
    for (size_t i = 0; i < pixels; ++i)
        alpha[i] = (mono->data[plane + i / 8] >> (7 - i % 8)) & 1 ? 0xFF : 0;
    return alpha;
}

struct JpegSource {
    ByteView data;
    size_t at = 0;
};

OPJ_SIZE_T JpegRead(void* buffer, OPJ_SIZE_T wanted, void* user) {
    auto* source = static_cast<JpegSource*>(user);
    if (source->at >= source->data.size()) return OPJ_SIZE_T(-1);
    const size_t n = std::min<size_t>(wanted, source->data.size() - source->at);
    std::memcpy(buffer, source->data.data() + source->at, n);
    source->at += n;
    return n;
}

OPJ_OFF_T JpegSkip(OPJ_OFF_T n, void* user) {
    auto* source = static_cast<JpegSource*>(user);
    if (n < 0 || uint64_t(n) > source->data.size() - source->at) return -1;
    source->at += size_t(n);
    return n;
}

OPJ_BOOL JpegSeek(OPJ_OFF_T to, void* user) {
    auto* source = static_cast<JpegSource*>(user);
    if (to < 0 || uint64_t(to) > source->data.size()) return OPJ_FALSE;
    source->at = size_t(to);
    return OPJ_TRUE;
}

void Quiet(const char*, void*) {}

bool IsJpeg2000(ByteView data) {
    static const uint8_t kBox[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    static const uint8_t kStream[4] = {0xFF, 0x4F, 0xFF, 0x51};
    return (data.size() >= 12 && std::memcmp(data.data(), kBox, 12) == 0) ||
           (data.size() >= 4 && std::memcmp(data.data(), kStream, 4) == 0);
}

// A JPEG 2000 image (a .jp2 file or a bare code stream) as ARGB pixels:
// grey, grey and alpha, RGB or RGBA, each component scaled to 8 bits.
std::optional<std::string> DecodeJpeg2000(ByteView data, uint32_t& width, uint32_t& height,
                                          std::vector<uint32_t>& argb) {
    const bool box = data.size() >= 4 && data[0] == 0;
    JpegSource source{data};
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    opj_codec_t* codec = opj_create_decompress(box ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    opj_image_t* image = nullptr;
    std::optional<std::string> why;
    if (!stream || !codec) {
        why = "the JPEG 2000 decoder could not start";
    } else {
        opj_stream_set_user_data(stream, &source, nullptr);
        opj_stream_set_user_data_length(stream, data.size());
        opj_stream_set_read_function(stream, JpegRead);
        opj_stream_set_skip_function(stream, JpegSkip);
        opj_stream_set_seek_function(stream, JpegSeek);
        opj_set_error_handler(codec, Quiet, nullptr);
        opj_set_warning_handler(codec, Quiet, nullptr);
        opj_set_info_handler(codec, Quiet, nullptr);
        opj_dparameters_t parameters;
        opj_set_default_decoder_parameters(&parameters);
        if (!opj_setup_decoder(codec, &parameters) || !opj_read_header(stream, codec, &image) || !image)
            why = "its JPEG 2000 header is damaged";
    }
    if (!why) {
        const uint64_t w = image->x1 > image->x0 ? image->x1 - image->x0 : 0;
        const uint64_t h = image->y1 > image->y0 ? image->y1 - image->y0 : 0;
        const uint32_t n = image->numcomps;
        if (w == 0 || h == 0 || w > kMaxJpeg2000Side || h > kMaxJpeg2000Side)
            why = "its JPEG 2000 image is " + std::to_string(w) + " x " + std::to_string(h) + " pixels";
        else if (n == 0 || n > 4)
            why = "its JPEG 2000 image has " + std::to_string(n) + " components";
        else if (!SpendLoadBudget(w * h * 4 * (n + 1)))
            why = "the load's budget is spent";
        else if (!opj_decode(codec, stream, image) || !opj_end_decompress(codec, stream))
            why = "its JPEG 2000 data is damaged";
        if (!why) {
            for (uint32_t c = 0; c < n && !why; ++c) {
                const opj_image_comp_t& comp = image->comps[c];
                if (!comp.data || comp.w != w || comp.h != h || comp.prec == 0 || comp.prec > 16)
                    why = "its JPEG 2000 components differ in size or depth";
            }
        }
        if (!why) {
            width = uint32_t(w);
            height = uint32_t(h);
            argb.assign(size_t(w * h), 0);
            auto sample = [&](uint32_t c, size_t i) -> uint32_t {
                const opj_image_comp_t& comp = image->comps[c];
                int64_t v = comp.data[i];
                if (comp.sgnd) v += int64_t(1) << (comp.prec - 1);
                const int64_t top = (int64_t(1) << comp.prec) - 1;
                v = std::clamp<int64_t>(v, 0, top);
                return comp.prec == 8 ? uint32_t(v) : uint32_t((v * 255 + top / 2) / top);
            };
            for (size_t i = 0; i < argb.size(); ++i) {
                uint32_t r, g, b, a = 0xFF;
                if (n <= 2) {
                    r = g = b = sample(0, i);
                    if (n == 2) a = sample(1, i);
                } else {
                    r = sample(0, i);
                    g = sample(1, i);
                    b = sample(2, i);
                    if (n == 4) a = sample(3, i);
                }
                argb[i] = a << 24 | r << 16 | g << 8 | b;
            }
        }
    }
    if (image) opj_image_destroy(image);
    if (codec) opj_destroy_codec(codec);
    if (stream) opj_stream_destroy(stream);
    return why;
}

// One image element as ARGB pixels, or why it cannot be.
// A classic image also gives its palette indices (a 1-bit image's: 0 white,
// 1 black).
std::optional<std::string> DecodeElement(const std::vector<Element>& elements, const Element& element,
                                         const ElementKind& kind, uint32_t& width, uint32_t& height,
                                         std::vector<uint32_t>& argb, std::vector<uint8_t>& indices) {
    width = kind.width;
    height = kind.height;
    const size_t pixels = size_t(width) * height;
    ByteView data = element.data;
    if (IsJpeg2000(data)) return DecodeJpeg2000(data, width, height, argb);
    if (!SpendLoadBudget(pixels * 8)) return "the load's budget is spent";
    argb.assign(pixels, 0);
    if (kind.encoding == Encoding::Mono || kind.encoding == Encoding::Palette4 || kind.encoding == Encoding::Palette8)
        indices.assign(pixels, 0);
    switch (kind.encoding) {
    case Encoding::Mono: {
        const size_t plane = pixels / 8;
        if (data.size() < plane) return "its " + std::to_string(plane) + " bytes of 1-bit pixels are cut short";
        const bool masked = data.size() >= 2 * plane;
        for (size_t i = 0; i < pixels; ++i) {
            const bool black = (data[i / 8] >> (7 - i % 8)) & 1;
            const bool opaque = !masked || ((data[plane + i / 8] >> (7 - i % 8)) & 1);
            argb[i] = (opaque ? 0xFF000000u : 0u) | (black ? 0u : 0xFFFFFFu);
            indices[i] = black;
        }
        return std::nullopt;
    }
    case Encoding::Palette4:
    case Encoding::Palette8: {
        const bool four = kind.encoding == Encoding::Palette4;
        const size_t need = four ? pixels / 2 : pixels;
        if (data.size() < need) return "its " + std::to_string(need) + " bytes of pixels are cut short";
        const std::vector<uint8_t> alpha = MonoMask(elements, kind);
        for (size_t i = 0; i < pixels; ++i) {
            indices[i] = four ? (data[i / 2] >> (i % 2 ? 0 : 4)) & 0x0F : data[i];
            argb[i] = uint32_t(alpha[i]) << 24 | (four ? kPalette4[indices[i]] : Palette8(indices[i]));
        }
        return std::nullopt;
    }
    case Encoding::Packed24: {
        // The largest kind's data starts with four zero bytes.
        if (kind.width == 128 && data.size() >= 4 && BigU32(data, 0) == 0) data = data.subspan(4);
        std::vector<uint8_t> planes;
        if (!UnpackPlanes(data, pixels, 3, planes)) return std::string("its packed pixels are cut short");
        const Element* mask = Find(elements, kind.mask);
        const bool masked = mask && mask->data.size() >= pixels;
        for (size_t i = 0; i < pixels; ++i)
            argb[i] = uint32_t(masked ? mask->data[i] : 0xFF) << 24 | uint32_t(planes[i]) << 16 |
                      uint32_t(planes[pixels + i]) << 8 | planes[2 * pixels + i];
        return std::nullopt;
    }
    case Encoding::PackedArgb: {
        if (data.size() < 4 || std::memcmp(data.data(), "ARGB", 4) != 0)
            return std::string("it is neither PNG, JPEG 2000 nor packed ARGB");
        std::vector<uint8_t> planes;
        if (!UnpackPlanes(data.subspan(4), pixels, 4, planes)) return std::string("its packed pixels are cut short");
        for (size_t i = 0; i < pixels; ++i)
            argb[i] = uint32_t(planes[i]) << 24 | uint32_t(planes[pixels + i]) << 16 |
                      uint32_t(planes[2 * pixels + i]) << 8 | planes[3 * pixels + i];
        return std::nullopt;
    }
    case Encoding::Compressed: break;
    }
    return std::string("it is neither PNG nor JPEG 2000");
}

// The size a PNG's header states.
bool PngSize(ByteView png, uint32_t& width, uint32_t& height) {
    if (png.size() < 24) return false;
    width = BigU32(png, 16);
    height = BigU32(png, 20);
    return width > 0 && height > 0;
}

// A classic image as an icon image of its own depth: 4 bits a pixel for the
// 1- and 4-bit ones, 8 for the 8-bit ones, the classic palette, and the AND
// mask set where the image is transparent. Kept at its depth, so that the
// choosers of an image for a size prefer the 32-bit ones, as they do in any
// icon group.
Bytes IndexedIconDib(uint32_t width, uint32_t height, const ElementKind& kind, const std::vector<uint8_t>& indices,
                     const std::vector<uint32_t>& argb) {
    const uint16_t bits = kind.encoding == Encoding::Palette8 ? 8 : 4;
    const uint32_t colours = 1u << bits;
    const uint32_t row = (width * bits + 31) / 32 * 4, maskRow = (width + 31) / 32 * 4;
    Bytes dib;
    PutIconInfoHeader(dib, width, height, bits, (row + maskRow) * height);
    for (uint32_t i = 0; i < colours; ++i) {
        const uint32_t rgb = kind.encoding == Encoding::Palette8 ? Palette8(uint8_t(i))
                             : kind.encoding == Encoding::Palette4 ? kPalette4[i]
                             : i == 0 ? 0xFFFFFFu : 0u; // the 1-bit image: white, then black
        PutU32(dib, rgb); // B, G, R, 0
    }
    for (uint32_t y = height; y-- > 0;) {
        Bytes line(row, 0);
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t index = indices[size_t(y) * width + x];
            if (bits == 8)
                line[x] = index;
            else
                line[x / 2] |= uint8_t(x % 2 ? index : index << 4);
        }
        dib.insert(dib.end(), line.begin(), line.end());
    }
    PutAndMask(dib, width, height, argb);
    return dib;
}

uint8_t EntrySide(uint32_t side) { return side >= kStoredAsPng ? 0 : uint8_t(side); }

class IconFamilyReader : public KindReader {
public:
    explicit IconFamilyReader(const OpenedFile& file) : m_file(file) {}
    FileCounts Count(std::vector<ReadError>&) override {
        FileCounts c;
        ReadResult<int> counted = CountIconFamilyImages(m_file.bytes);
        c.iconGroups = counted.records > 0 ? 1 : 0;
        c.damage = counted.error;
        return c;
    }
    void Read(RecordKind kind, std::optional<uint16_t>, FileContents& c) override {
        if (kind != RecordKind::Icons || c.IconGroups.empty()) return;
        ReadResult<IconGroup> read = ParseIconFamily(m_file.bytes, m_file.owner);
        c.IconGroups[0] = std::move(read.records);
        c.IconGroups[0].Name = NameBeforeFirstDot(PathFileName(m_file.path));
        c.IconGroups[0].Named = true;
        c.NoteError(read.error);
    }

private:
    OpenedFile m_file;
};

} // namespace

bool LooksLikeIconFamily(const std::string&, ByteView bytes) {
    return bytes.size() >= kHeaderSize && std::memcmp(bytes.data(), "icns", 4) == 0;
}

ReadResult<int> CountIconFamilyImages(ByteView file) {
    ReadResult<std::vector<Element>> walk = Elements(file);
    ReadResult<int> result;
    result.error = walk.error;
    for (const Element& e : walk.records)
        if (ImageKindOf(e.type)) ++result.records;
    return result;
}

ReadResult<IconGroup> ParseIconFamily(ByteView file, const std::shared_ptr<const void>& owner) {
    const LoadBudget budget(file.size());
    ReadResult<std::vector<Element>> walk = Elements(file);
    ReadResult<IconGroup> result;
    for (const Element& element : walk.records) {
        const ElementKind* kind = ImageKindOf(element.type);
        if (!kind) continue; // a mask, the table of contents, a name or other data
        IconImage im;
        im.Planes = 1;
        im.BitCount = 32;
        uint32_t width = 0, height = 0;
        if (IsPng(element.data)) {
            if (!PngSize(element.data, width, height)) {
                result.Note(ReadError::Truncated(element.at + kHeaderSize, "the PNG header of element '" + element.type + "'", 24,
                                                 file.size()));
                ++result.failed;
                continue;
            }
            im.Data = owner ? SharedBytes(owner, element.data) : SharedBytes(Bytes(element.data.begin(), element.data.end()));
        } else {
            std::vector<uint32_t> argb;
            std::vector<uint8_t> indices;
            if (const std::optional<std::string> why =
                    DecodeElement(walk.records, element, *kind, width, height, argb, indices)) {
                result.Note(ReadError{ReadErrorKind::Invalid, element.at, "element '" + element.type + "': " + *why});
                ++result.failed;
                continue;
            }
            if (!indices.empty()) {
                im.Data = SharedBytes(IndexedIconDib(width, height, *kind, indices, argb));
                im.BitCount = kind->encoding == Encoding::Palette8 ? 8 : 4;
                im.ColorCount = im.BitCount == 4 ? 16 : 0;
            } else {
                im.Data = SharedBytes(width >= kStoredAsPng || height >= kStoredAsPng
                                          ? EncodePng(int32_t(width), int32_t(height), argb)
                                          : IconDibFromArgb(width, height, argb));
            }
        }
        im.ResId = uint16_t(std::min<size_t>(result.records.Images.size() + 1, 0xFFFF));
        im.Width = EntrySide(width);
        im.Height = EntrySide(height);
        im.BytesInRes = uint32_t(im.Data.view().size());
        im.Picture.Defer(true, im.Width, im.Height);
        result.records.Images.push_back(std::move(im));
    }
    if (walk.error) result.Note(*walk.error);
    return result;
}

std::unique_ptr<KindReader> OpenIconFamily(const OpenedFile& file) {
    return std::make_unique<IconFamilyReader>(file);
}

} // namespace gw
