// The MD5 of platform/Md5 against RFC 1321's vectors, which icon a file is
// fingerprinted by, and the difference hash checked bit for bit against
// Pillow (Debian's python3-pil) over built and real icon images.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "batch/core/GroupCommands.h"
#include "formats/Document.h"
#include "formats/DocumentEdits.h"
#include "formats/IconFormat.h"
#include "pictures/IconHash.h"
#include "platform/Md5.h"
#include "tests/support/Builders.h"
#include "tests/support/RunCommand.h"

using namespace gw;
using namespace gw::test;

namespace {

ByteView Text(const std::string& s) { return ByteView(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }

// A pattern with no structure, so rounding differences would show.
uint32_t Noise(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x9E3779B1u ^ uint32_t(y) * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

std::shared_ptr<Document> IconFile(const std::vector<IcoEntry>& entries) {
    return Document::OfBytes("test.ico", BuildIcoFile(entries));
}

IcoEntry DibEntry(int w, int h, int bits, std::function<uint32_t(int, int)> pixel) {
    DibLayout d;
    d.width = w;
    d.height = h;
    d.bitCount = bits;
    d.pixel = std::move(pixel);
    return IcoEntry{BuildDib(d), uint8_t(w & 0xFF), uint8_t(h & 0xFF), 0, 0, 1, uint16_t(bits)};
}

// Reads the manifest of raw RGBA files and prints, for each, its name, the
// 72 grey values of the 9 x 8 picture and the hash in hexadecimal.
constexpr std::string_view kPillowScript = R"(
import os, sys
from PIL import Image
lanczos = getattr(Image, "Resampling", Image).LANCZOS
folder = sys.argv[1]
for line in open(os.path.join(folder, "manifest")):
    name, w, h = line.split()
    data = open(os.path.join(folder, name), "rb").read()
    small = Image.frombytes("RGBA", (int(w), int(h)), data).convert("L").resize((9, 8), lanczos)
    px = list(small.getdata())
    bits = 0
    for y in range(8):
        for x in range(8):
            bits = (bits << 1) | (1 if px[y * 9 + x] > px[y * 9 + x + 1] else 0)
    print(name, "".join("%d," % v for v in px), "%016x" % bits)
)";

IcoEntry PngEntry(int w, int h, std::function<uint32_t(int, int)> argb) {
    return IcoEntry{BuildPng(w, h, argb), uint8_t(w & 0xFF), uint8_t(h & 0xFF), 0, 0, 1, 32};
}

} // namespace

TEST(Md5, GivesTheDigestsOfRfc1321) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : vectors) EXPECT_EQ(Md5Hex(Text(text)), digest) << '"' << text << '"';
}

TEST(Md5, FeedingInPiecesGivesTheDigestOfTheWhole) {
    // Lengths around the 56- and 64-byte edges of the padding, fed in pieces
    // that straddle block edges.
    for (size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
        Bytes bytes(length);
        for (size_t i = 0; i < length; ++i) bytes[i] = uint8_t(Noise(int(i), 0, 7));
        for (size_t piece : {1u, 3u, 63u, 64u, 100u}) {
            Md5 md5;
            for (size_t at = 0; at < length; at += piece)
                md5.Update(ByteView(bytes).subspan(at, std::min(piece, length - at)));
            EXPECT_EQ(DigestHex(md5.Finish()), Md5Hex(bytes)) << length << " in pieces of " << piece;
        }
    }
    // A million "a", the long vector.
    Md5 md5;
    const std::string a(1000, 'a');
    for (int i = 0; i < 1000; ++i) md5.Update(Text(a));
    EXPECT_EQ(DigestHex(md5.Finish()), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(IconHash, FingerprintsTheLargestImageOfTheFirstGroupThatHasOne) {
    const auto doc = IconFile({DibEntry(16, 16, 4, [](int x, int y) { return uint32_t(x ^ y) & 15; }),
                               DibEntry(32, 32, 4, [](int x, int y) { return uint32_t(x + y) & 15; }),
                               DibEntry(32, 32, 8, [](int x, int y) { return uint32_t(x * y) & 255; }),
                               DibEntry(32, 32, 8, [](int x, int y) { return uint32_t(x) & 255; }),
                               DibEntry(24, 40, 32, [](int x, int y) { return 0xFF000000u | Noise(x, y, 1); })});
    doc->Load(RecordKind::Icons);
    // 32 x 32 (1024) beats 24 x 40 (960); the 8-bit one beats the 4-bit one;
    // the first of the two 8-bit ones wins.
    IconGroup& group = EditContents(*doc).IconGroups.at(0);
    std::optional<IconHash> hash = IconHashOf(*doc);
    ASSERT_TRUE(hash);
    EXPECT_EQ(hash->rawMd5, Md5Hex(group.Images[2].Data));
    EXPECT_EQ(hash->icoMd5, Md5Hex(GroupSaveFile(group).bytes));
    const Handle& picture = group.Images[2].Handle();
    ASSERT_TRUE(picture);
    EXPECT_EQ(hash->dhash, DifferenceHashHex(DifferenceHash(picture->width, picture->height, picture->argb)));

    // Missing images are passed over, and the .ico is the group without them,
    // as Save writes it; a group with no image in the file is passed over.
    group.Images[2].Missing = true;
    group.Images[3].Missing = true;
    IconGroup empty;
    empty.Name = "EMPTY";
    empty.Images.push_back(group.Images[2]);
    EditContents(*doc).IconGroups.insert(doc->Contents().IconGroups.begin(), empty);
    hash = IconHashOf(*doc);
    ASSERT_TRUE(hash);
    const IconGroup& now = doc->Contents().IconGroups[1];
    EXPECT_EQ(hash->rawMd5, Md5Hex(now.Images[1].Data));
    EXPECT_EQ(hash->icoMd5, Md5Hex(GroupSaveFile(now).bytes));
    EXPECT_EQ(hash->icoMd5, Md5Hex(WriteIconGroup(WithoutMissingImages(now))));
    EXPECT_NE(hash->icoMd5, Md5Hex(WriteIconGroup(now)));
}

TEST(IconHash, NoneWithoutAnIconAndNoDhashForAnImageThatDoesNotDecode) {
    DibLayout bmp;
    bmp.icon = false;
    bmp.bitCount = 24;
    EXPECT_FALSE(IconHashOf(*Document::OfBytes("picture.bmp", BuildBmpFile(BuildDib(bmp)))));
    EXPECT_FALSE(IconHashOf(*Document::OfBytes("empty.ico", BuildIcoFile({}))));
    EXPECT_FALSE(IconHashOf(*Document::Open("/nonexistent/grabwell/file.ico")));

    const Bytes garbage(200, 0x5A);
    const auto doc = IconFile({IcoEntry{garbage, 32, 32, 0, 0, 1, 32}});
    const std::optional<IconHash> hash = IconHashOf(*doc);
    ASSERT_TRUE(hash);
    EXPECT_EQ(hash->rawMd5, Md5Hex(garbage));
    EXPECT_EQ(hash->dhash, "");
}

TEST(IconHash, DifferenceHashComparesNeighboursRowByRowFromTheMostSignificantBit) {
    // Brighter to the left everywhere: every bit set.
    std::vector<uint32_t> ramp(64 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x) ramp[size_t(y * 64 + x)] = 0xFF000000u | uint32_t(255 - x * 4) * 0x010101u;
    EXPECT_EQ(DifferenceHashHex(DifferenceHash(64, 16, ramp)), "ffffffffffffffff");
    // Flat: none; the alpha does not count.
    std::vector<uint32_t> flat(20 * 20, 0x00808080u);
    flat[0] = 0xFF808080u;
    EXPECT_EQ(DifferenceHash(20, 20, flat), 0u);
    // At 9 x 8 nothing is resampled: only the top row's first pair differs.
    std::vector<uint32_t> exact(72, 0xFF000000u);
    exact[0] = 0xFFFFFFFFu;
    EXPECT_EQ(DifferenceHashHex(DifferenceHash(9, 8, exact)), "8000000000000000");
    // Green weighs most, blue least, as the luma rounds them.
    exact[0] = 0xFF000000u | (1u << 8); // green 1: luma (38470 + 0x8000) >> 16 = 1
    exact[1] = 0xFF000000u | 3u;        // blue 3: luma (22413 + 0x8000) >> 16 = 0
    EXPECT_EQ(DifferenceHashHex(DifferenceHash(9, 8, exact)), "8000000000000000");
    EXPECT_EQ(DifferenceHash(9, 8, std::vector<uint32_t>(71)), 0u);
    EXPECT_EQ(DifferenceHash(0, 8, {}), 0u);
}

// Every decoded image is written as raw RGBA; Pillow converts each to "L",
// resizes it to 9 x 8 with LANCZOS and says the 72 grey values and the hash.
TEST(IconHash, DifferenceHashEqualsPillowsBitForBit) {
    struct Sample {
        std::string name;
        Handle picture;
    };
    std::vector<Sample> samples;
    std::vector<std::shared_ptr<Document>> keep;
    auto addAll = [&](const std::string& name, const std::shared_ptr<Document>& doc) {
        doc->Load(RecordKind::Icons);
        keep.push_back(doc);
        int k = 0;
        for (const IconGroup& g : doc->Contents().IconGroups)
            for (const IconImage& im : g.Images)
                if (const Handle& p = im.Handle()) samples.push_back({name + "#" + std::to_string(k++), p});
    };
    // Built images: BMP images of every depth, PNG images, sizes from 1 to
    // 256, odd sizes, one side kept (one pass), and upscaling.
    const std::pair<int, int> sizes[] = {{16, 16}, {32, 32}, {48, 48}, {20, 24}, {4, 4},  {9, 8},   {9, 30},
                                         {40, 8},  {1, 1},  {3, 200}, {64, 64}, {7, 5},  {255, 3}, {100, 77}};
    uint32_t seed = 0;
    for (const auto& [w, h] : sizes) {
        ++seed;
        for (int bits : {1, 4, 8, 24, 32}) {
            const uint32_t mask = bits == 32 ? 0xFFFFFFFFu : bits == 24 ? 0xFFFFFFu : (1u << bits) - 1;
            addAll("noise" + std::to_string(w) + "x" + std::to_string(h) + "-" + std::to_string(bits),
                   IconFile({DibEntry(w, h, bits, [=](int x, int y) { return Noise(x, y, seed) & mask; })}));
        }
        addAll("smooth" + std::to_string(w) + "x" + std::to_string(h),
               IconFile({DibEntry(w, h, 24, [=](int x, int y) { return uint32_t(x * 255 / w) << 16 | uint32_t(y * 255 / h) << 8; })}));
        addAll("png" + std::to_string(w) + "x" + std::to_string(h),
               IconFile({PngEntry(w, h, [=](int x, int y) { return Noise(x, y, seed + 100); })}));
    }
    addAll("png256", IconFile({PngEntry(256, 256, [](int x, int y) { return Noise(x / 8, y / 8, 5) | 0xFF000000u; })}));
    addAll("png128", IconFile({PngEntry(128, 128, [](int x, int y) { return Noise(x, y, 6); })}));
    addAll("hard256", IconFile({DibEntry(256, 256, 32, [](int x, int y) { return (x / 32 + y / 32) % 2 ? 0xFFFFFFFFu : 0xFF000000u; })}));
    const size_t built = samples.size();
    // Real icons, when the machine has Debian's libwine.
    const std::string wine = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
    if (DIR* dir = opendir(wine.c_str())) {
        std::vector<std::string> names;
        while (const dirent* e = readdir(dir)) names.emplace_back(e->d_name);
        closedir(dir);
        std::sort(names.begin(), names.end());
        for (const std::string& n : names)
            if (n.ends_with(".dll") || n.ends_with(".exe")) addAll(n, Document::Open(wine + "/" + n));
    }

    TempDir dir;
    std::ofstream manifest(dir.file("manifest"));
    std::map<std::string, std::string> expected;
    for (size_t i = 0; i < samples.size(); ++i) {
        const DecodedImage& p = *samples[i].picture;
        const std::string file = std::to_string(i) + ".rgba";
        Bytes rgba;
        rgba.reserve(p.argb.size() * 4);
        for (const uint32_t c : p.argb)
            for (int shift : {16, 8, 0, 24}) rgba.push_back(uint8_t(c >> shift));
        ASSERT_TRUE(WriteFile(dir.file(file), rgba));
        manifest << file << " " << p.width << " " << p.height << "\n";
        std::ostringstream line;
        for (const uint8_t g : DifferenceHashPicture(p.width, p.height, p.argb)) line << int(g) << ",";
        line << " " << DifferenceHashHex(DifferenceHash(p.width, p.height, p.argb));
        expected[file] = line.str();
    }
    manifest.close();
    ASSERT_TRUE(WriteFile(dir.file("pillow.py"), Bytes(kPillowScript.begin(), kPillowScript.end())));

    // Debian's interpreter: the one python3-pil installs for.
    const RunResult r = RunCommand("/usr/bin/python3 " + dir.file("pillow.py") + " " + dir.path());
    ASSERT_EQ(r.status, 0) << "python3-pil (tools/deps.sh) is needed: " << r.out;
    std::istringstream lines(r.out);
    std::string file, grey, hash;
    size_t compared = 0;
    while (lines >> file >> grey >> hash) {
        ++compared;
        EXPECT_EQ(grey + " " + hash, expected[file]) << samples[std::stoul(file)].name;
    }
    EXPECT_EQ(compared, samples.size());
    std::printf("[          ] %zu images compared with Pillow (%zu built, %zu from libwine)\n", compared, built,
                samples.size() - built);
}
