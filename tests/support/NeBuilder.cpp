#include "tests/support/NeBuilder.h"

#include <algorithm>
#include <cstring>

namespace gw::test {
namespace {

constexpr uint64_t kNeHeaderSize = 64;
constexpr uint16_t kResourceTableRel = 64; // the resource table follows the NE header

void PutAt(Bytes& b, uint64_t at, const Bytes& data) {
    if (data.empty()) return;
    if (b.size() < at + data.size()) b.resize(size_t(at + data.size()), 0);
    std::memcpy(b.data() + at, data.data(), data.size());
}

void PutU16At(Bytes& b, uint64_t at, uint16_t v) { PutAt(b, at, Bytes{uint8_t(v), uint8_t(v >> 8)}); }

uint64_t AlignUp(uint64_t v, uint64_t align) { return (v + align - 1) / align * align; }

uint64_t ResourceTableSize(const NeLayout& layout) {
    uint64_t size = 2; // alignment shift
    for (const NeTypeSpec& t : layout.types) size += 8 + 12 * t.resources.size();
    return size + (layout.endOfTypes ? 2 : 0);
}

Bytes ResidentNames(const NeLayout& layout) {
    Bytes b;
    auto put = [&](const std::string& text, uint16_t ordinal) {
        PutU8(b, uint8_t(text.size()));
        b.insert(b.end(), text.begin(), text.end());
        PutU16(b, ordinal);
    };
    put(layout.moduleName, 0);
    for (const NeName& n : layout.names) put(n.text, n.ordinal);
    if (layout.endOfNames) PutU8(b, 0);
    return b;
}

} // namespace

NeFile BuildNeFile(const NeLayout& layout) {
    NeFile out;
    Bytes& b = out.bytes;
    b.assign(64, 0);
    b[0] = 'M';
    b[1] = 'Z';
    PutU16At(b, 0x18, layout.relocationOffset);
    PutAt(b, 0x3C, Bytes{uint8_t(layout.neOffset), uint8_t(layout.neOffset >> 8), uint8_t(layout.neOffset >> 16),
                         uint8_t(layout.neOffset >> 24)});

    const uint64_t ne = layout.neOffset;
    const uint16_t residentRel = uint16_t(kResourceTableRel + ResourceTableSize(layout));
    out.resourceTable = ne + kResourceTableRel;
    out.residentNames = ne + residentRel;
    if (b.size() < ne + kNeHeaderSize) b.resize(size_t(ne + kNeHeaderSize), 0);
    b[ne] = 'N';
    b[ne + 1] = 'E';
    PutU16At(b, ne + 0x24, layout.noResources ? residentRel : kResourceTableRel);
    PutU16At(b, ne + 0x26, residentRel);
    PutU16At(b, ne + 0x3E, layout.windowsVersion);

    const Bytes names = ResidentNames(layout);
    PutAt(b, out.residentNames, names);

    // Data after everything else, each block at a multiple of the alignment.
    const uint64_t align = uint64_t(1) << std::min<uint16_t>(layout.alignShift, 62);
    uint64_t end = out.residentNames + names.size();
    Bytes table;
    PutU16(table, layout.alignShift);
    for (const NeTypeSpec& t : layout.types) {
        PutU16(table, t.typeId);
        PutU16(table, t.count.value_or(uint16_t(t.resources.size())));
        PutU32(table, t.reserved);
        out.dataAt.emplace_back();
        for (const NeResourceSpec& r : t.resources) {
            uint64_t at;
            uint16_t offset;
            if (r.offset) {
                offset = *r.offset;
                at = uint64_t(offset) << std::min<uint16_t>(layout.alignShift, 47);
            } else {
                at = AlignUp(std::max<uint64_t>(end, b.size()), align);
                offset = uint16_t(at / align);
            }
            PutAt(b, at, r.data);
            end = std::max(end, at + r.data.size());
            out.dataAt.back().push_back(at);
            PutU16(table, offset);
            PutU16(table, r.length.value_or(uint16_t(AlignUp(r.data.size(), align) / align)));
            PutU16(table, 0x0030); // moveable, pure
            PutU16(table, r.id);
            PutU16(table, 0);
            PutU16(table, 0);
        }
    }
    if (layout.endOfTypes) PutU16(table, 0);
    PutAt(b, out.resourceTable, table);
    return out;
}

} // namespace gw::test
