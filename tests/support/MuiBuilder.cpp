#include "tests/support/MuiBuilder.h"

namespace gw::test {

namespace {

void PutU32At(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

void PadTo8(Bytes& b) {
    while (b.size() % 8) b.push_back(0);
}

void PutText(Bytes& b, const std::string& ascii) {
    for (char c : ascii) {
        b.push_back(uint8_t(c));
        b.push_back(0);
    }
    b.push_back(0);
    b.push_back(0);
}

} // namespace

Bytes BuildMuiResource(const MuiLayout& layout) {
    Bytes b(136, 0);
    PutU32At(b, 0, 0xFECDFECD);
    PutU32At(b, 8, 0x00010000);
    PutU32At(b, 16, layout.fileType);
    PutU32At(b, 24, layout.fallbackLocation);
    for (size_t i = 0; i < 32; ++i) b[28 + i] = uint8_t(0xA0 + i); // the two checksums
    uint32_t part = 0;
    auto placePart = [&](auto write, bool present) {
        const size_t at = b.size();
        if (present) {
            write();
            PutU32At(b, 84 + 8 * part, uint32_t(at));
            PutU32At(b, 88 + 8 * part, uint32_t(b.size() - at));
            PadTo8(b);
        }
        ++part;
    };
    auto names = [&](const std::vector<std::string>& list) {
        return [&b, &list] {
            for (const std::string& n : list) PutText(b, n);
            b.insert(b.end(), {0, 0, 0, 0});
        };
    };
    auto ids = [&](const std::vector<uint32_t>& list) {
        return [&b, &list] {
            for (uint32_t id : list) b.insert(b.end(), {uint8_t(id), uint8_t(id >> 8), uint8_t(id >> 16), uint8_t(id >> 24)});
        };
    };
    placePart(names(layout.mainTypeNames), !layout.mainTypeNames.empty());
    placePart(ids(layout.mainTypeIds), !layout.mainTypeIds.empty());
    const std::vector<std::string> noNames;
    placePart(names(noNames), false);
    placePart(ids(layout.muiTypeIds), !layout.muiTypeIds.empty());
    placePart([&] { PutText(b, layout.language); }, !layout.language.empty());
    placePart([&] { PutText(b, layout.fallbackLanguage); }, !layout.fallbackLanguage.empty());
    PutU32At(b, 4, uint32_t(b.size()));
    return b;
}

} // namespace gw::test
