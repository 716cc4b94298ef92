#include "formats/ResourceTable.h"

#include "platform/PeLayout.h"

#include <algorithm>

#include "formats/ExeHeader.h"
#include "platform/ResourceDirectory.h"
#include "formats/ResFile.h"
#include "formats/ResTypes.h"

namespace gw {

namespace {

using namespace pe_layout;

// Memory flags a resource compiler gives new entries: images moveable and
// discardable, everything else also pure.
constexpr uint16_t kImageMemoryFlags = 0x1010;
constexpr uint16_t kOtherMemoryFlags = 0x1030;



// Type, name, then language: the order of a PE directory.
bool EntryLess(const ResourceEntry* a, const ResourceEntry* b) {
    if (!(a->type == b->type)) return KeyBefore(a->type, b->type);
    if (!(a->name == b->name)) return KeyBefore(a->name, b->name);
    return a->language < b->language;
}

std::vector<const ResourceEntry*> InDirectoryOrder(const ResourceTable& table) {
    std::vector<const ResourceEntry*> order;
    order.reserve(table.entries.size());
    for (const ResourceEntry& e : table.entries) order.push_back(&e);
    std::stable_sort(order.begin(), order.end(), EntryLess);
    return order;
}

// The same type, name and language twice: a directory no writer makes, and
// one that a replacement could not tell apart.
std::optional<ReadError> Duplicate(const ResourceTable& table) {
    const std::vector<const ResourceEntry*> order = InDirectoryOrder(table);
    for (size_t i = 1; i < order.size(); ++i)
        if (!EntryLess(order[i - 1], order[i]))
            return ReadError{ReadErrorKind::Invalid, 0,
                             "resource " + order[i]->type.Text() + "/" + order[i]->name.Text() + "/" +
                                 std::to_string(order[i]->language) + " appears twice"};
    return std::nullopt;
}

uint16_t DefaultMemoryFlags(const ResourceKey& type) {
    return type.isId && (type.id == RT_ICON || type.id == RT_CURSOR) ? kImageMemoryFlags : kOtherMemoryFlags;
}

} // namespace

ResourceTableRead ReadPeResourceTable(ByteView file) {
    ResourceTableRead out;
    out.table.container = ResourceContainer::Pe;
    WholeDirectoryRead whole = ReadWholeResourceDirectory(file);
    out.table.entries.reserve(whole.entries.size());
    for (ResourceInFile& r : whole.entries) {
        ResourceEntry e;
        e.type = std::move(r.type);
        e.name = std::move(r.name);
        e.language = r.language;
        e.data.assign(r.data.begin(), r.data.end());
        e.dataAt = r.dataAt;
        e.codePage = r.codePage;
        out.table.entries.push_back(std::move(e));
    }
    out.error = std::move(whole.error);
    if (!out.error) out.error = Duplicate(out.table);
    return out;
}

ResourceTableRead ReadResResourceTable(ByteView file) {
    ResourceTableRead out;
    out.table.container = ResourceContainer::Res32;
    if (!IsRes32(file)) {
        out.error = ReadError{ReadErrorKind::Invalid, 0, "not a 32-bit resource file"};
        return out;
    }
    out.table.leading.assign(file.begin(), file.begin() + kRes32LeadSize);
    uint64_t pos = kRes32LeadSize;
    const uint64_t size = file.size();
    while (pos < size) {
        if (OnlyZerosFrom(file, pos)) {
            out.table.trailing.assign(file.begin() + pos, file.end());
            break;
        }
        const std::string what = "the resource entry at " + GroupedNumber(pos);
        std::optional<Res32Entry> read = ReadRes32Entry(file, pos);
        if (!read) {
            out.error = ReadError::Truncated(pos, what, 8, size);
            break;
        }
        const Res32Frame* frame = &read->frame;
        const uint32_t dataSize = frame->dataSize;
        if (!InBounds(pos, frame->headerSize, size)) {
            out.error = ReadError::Truncated(pos, "the header of " + what.substr(4), frame->headerSize, size);
            break;
        }
        if (!read->fieldsWhole) {
            out.error = ReadError::Invalid(pos, "the header of " + what.substr(4) + " is too short for its fields", size);
            break;
        }
        ResourceEntry e;
        e.type = std::move(read->type);
        e.name = std::move(read->name);
        e.dataVersion = read->dataVersion;
        e.memoryFlags = read->memoryFlags;
        e.language = read->language;
        e.version = read->version;
        e.characteristics = read->characteristics;
        const uint64_t dataStart = frame->DataStart();
        if (!InBounds(dataStart, dataSize, size)) {
            out.error = ReadError::Truncated(dataStart, "the data of " + what.substr(4), dataSize, size);
            break;
        }
        const uint64_t end = std::min<uint64_t>(frame->Next(), size);
        e.data.assign(file.begin() + dataStart, file.begin() + dataStart + dataSize);
        e.dataAt = dataStart;
        e.stored.assign(file.begin() + pos, file.begin() + end);
        out.table.entries.push_back(std::move(e));
        pos = end;
    }
    return out;
}

ResourceTableRead ReadResourceTable(ByteView file) {
    if (IsRes32(file)) return ReadResResourceTable(file);
    if (const std::optional<ExeHeader> exe = ReadExeHeader(file)) {
        if (exe->signature == kNeSignature) {
            ResourceTableRead out;
            out.error = ReadError{ReadErrorKind::Unsupported, 0,
                                  "16-bit (NE) programs and libraries cannot be changed, only read"};
            return out;
        }
        if (exe->signature == kPeSignature16) return ReadPeResourceTable(file);
    }
    ResourceTableRead out;
    out.error = ReadError{ReadErrorKind::Unsupported, 0,
                          "neither a 32-bit or 64-bit program or library nor a 32-bit resource file"};
    return out;
}

ResourceEntry* FindResource(ResourceTable& table, const ResourceKey& type, const ResourceKey& name,
                            uint16_t language) {
    for (ResourceEntry& e : table.entries)
        if (e.language == language && KeyMatches(e.type, type) && KeyMatches(e.name, name)) return &e;
    return nullptr;
}

const ResourceEntry* FindResource(const ResourceTable& table, const ResourceKey& type, const ResourceKey& name,
                                  uint16_t language) {
    return FindResource(const_cast<ResourceTable&>(table), type, name, language);
}

void ReplaceResource(ResourceTable& table, const ResourceKey& type, const ResourceKey& name, uint16_t language,
                     Bytes data) {
    if (ResourceEntry* e = FindResource(table, type, name, language)) {
        e->data = std::move(data);
        e->dataAt = 0;
        e->stored.clear();
        return;
    }
    table.entries.push_back(NewResource(type, name, language, std::move(data)));
}

bool SameResources(const ResourceTable& a, const ResourceTable& b) {
    if (a.entries.size() != b.entries.size()) return false;
    const std::vector<const ResourceEntry*> x = InDirectoryOrder(a), y = InDirectoryOrder(b);
    for (size_t i = 0; i < x.size(); ++i)
        if (!(x[i]->type == y[i]->type) || !(x[i]->name == y[i]->name) || x[i]->language != y[i]->language ||
            x[i]->codePage != y[i]->codePage || x[i]->data != y[i]->data)
            return false;
    return true;
}

ResourceEntry NewResource(const ResourceKey& type, const ResourceKey& name, uint16_t language, Bytes data) {
    ResourceEntry e;
    e.type = type;
    e.name = name;
    e.language = language;
    e.data = std::move(data);
    e.memoryFlags = DefaultMemoryFlags(type);
    return e;
}

bool RemoveResource(ResourceTable& table, const ResourceKey& type, const ResourceKey& name, uint16_t language) {
    ResourceEntry* e = FindResource(table, type, name, language);
    if (!e) return false;
    table.entries.erase(table.entries.begin() + (e - table.entries.data()));
    return true;
}

} // namespace gw
