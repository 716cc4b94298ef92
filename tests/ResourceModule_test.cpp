#include <gtest/gtest.h>

#include <list>

#include "formats/ResTypes.h"
#include "platform/ResourceModule.h"
#include "tests/support/Builders.h"
#include "tests/support/PeBuilder.h"

using namespace gw;
using namespace gw::test;

namespace {

Bytes Filled(size_t n, uint8_t v) { return Bytes(n, v); }

void SetU16(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

PeResource Res(uint16_t type, ResourceKey name, Bytes data, uint16_t language = 0x0409) {
    return {ResourceKey::Id(type), std::move(name), language, std::move(data)};
}

// Icon groups with names and ids given out of order, one name in two
// languages, a non-ASCII name, image resources and a named type.
PeLayout MixedSpec(bool pe32Plus) {
    PeLayout layout;
    layout.pe32Plus = pe32Plus;
    layout.resources = {
        Res(RT_GROUP_ICON, ResourceKey::Id(32512), Filled(20, 0x01)),
        Res(RT_GROUP_ICON, ResourceKey::Named("ZETA"), Filled(20, 0x02)),
        Res(RT_GROUP_ICON, ResourceKey::Id(5), Filled(20, 0x03)),
        Res(RT_GROUP_ICON, ResourceKey::Named("MAINICON"), Filled(20, 0x04), 0x0409),
        Res(RT_GROUP_ICON, ResourceKey::Named("MAINICON"), Filled(21, 0x05), 0x0407),
        Res(RT_GROUP_ICON, ResourceKey::Named("\xC3\x84RGER"), Filled(3, 0x06)), // "ÄRGER"
        Res(RT_ICON, ResourceKey::Id(1), Filled(40, 0x07)),
        Res(RT_ICON, ResourceKey::Id(2), Filled(41, 0x08)),
        {ResourceKey::Named("PNG"), ResourceKey::Id(1), 0x0409, Filled(8, 0x09)},
    };
    return layout;
}

std::vector<std::string> Texts(const std::vector<ResourceKey>& names) {
    std::vector<std::string> out;
    for (const ResourceKey& n : names) out.push_back(n.isId ? "#" + n.Text() : n.Text());
    return out;
}

// Offset (relative to the root) of the sub-directory that entry i of the
// directory at dirOffset points to.
uint32_t SubDir(const PeImage& pe, uint32_t dirOffset, uint32_t i) {
    return PeekU32(pe.bytes, DirEntryAt(pe, dirOffset, i) + 4) & 0x7FFFFFFFu;
}

std::unique_ptr<ResourceModule> Module(const Bytes& bytes) {
    std::string error;
    auto module = ResourceModule::FromBytes(bytes, &error);
    EXPECT_TRUE(module) << error;
    return module;
}

} // namespace

TEST(ResourceModule, NamesInDirectoryOrderAndLookupsPe32AndPe32Plus) {
    for (bool pe32Plus : {false, true}) {
        SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
        const PeImage pe = BuildPe(MixedSpec(pe32Plus));
        auto module = Module(pe.bytes);
        ASSERT_TRUE(module);

        EXPECT_EQ(Texts(module->EnumNames(RT_GROUP_ICON)),
                  (std::vector<std::string>{"MAINICON", "ZETA", "\xC3\x84RGER", "#5", "#32512"}));
        EXPECT_EQ(module->Count(RT_GROUP_ICON), 5);
        EXPECT_EQ(module->Count(RT_ICON), 2);
        EXPECT_EQ(module->Count(RT_BITMAP), 0);

        // The first language of a name (0x0407 sorts before 0x0409); names
        // match case-insensitively.
        auto main = module->Find(RT_GROUP_ICON, ResourceKey::Named("mainIcon"));
        ASSERT_TRUE(main);
        EXPECT_EQ(Bytes(main->begin(), main->end()), Filled(21, 0x05));
        auto byId = module->Find(RT_GROUP_ICON, ResourceKey::Id(32512));
        ASSERT_TRUE(byId);
        EXPECT_EQ(Bytes(byId->begin(), byId->end()), Filled(20, 0x01));
        auto umlaut = module->Find(RT_GROUP_ICON, ResourceKey::Named("\xC3\x84rger"));
        ASSERT_TRUE(umlaut);
        EXPECT_EQ(umlaut->size(), 3u);

        EXPECT_FALSE(module->Find(RT_GROUP_ICON, ResourceKey::Id(6)));
        EXPECT_FALSE(module->Find(RT_GROUP_ICON, ResourceKey::Named("MAIN")));
        EXPECT_FALSE(module->Find(RT_ICON, ResourceKey::Named("ZETA")));
        // Only numeric types are asked for; the named type "PNG" is no type 1.
        EXPECT_FALSE(module->Find(RT_CURSOR, ResourceKey::Id(1)));

        // The table answers the same lookups.
        const auto table = module->Table(RT_ICON);
        EXPECT_EQ(Texts(table.Names()), (std::vector<std::string>{"#1", "#2"}));
        ASSERT_TRUE(table.Find(ResourceKey::Id(2)));
        EXPECT_EQ(table.Find(ResourceKey::Id(2))->size(), 41u);
    }
}

TEST(ResourceModule, OpeningChecksHeadersButNotResources) {
    PeLayout layout = MixedSpec(false);
    layout.resourceDirectory = false;
    const Bytes withoutDirectory = BuildPe(layout).bytes;
    auto none = Module(withoutDirectory);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->Count(RT_GROUP_ICON), 0);

    layout = MixedSpec(true);
    layout.numberOfRvaAndSizes = 2; // no resource entry in the data directories
    const Bytes withTwoDirectories = BuildPe(layout).bytes;
    auto fewDirectories = Module(withTwoDirectories);
    ASSERT_TRUE(fewDirectories);
    EXPECT_EQ(fewDirectories->Count(RT_GROUP_ICON), 0);

    const PeImage good = BuildPe(MixedSpec(false));
    auto rejects = [&](const char* what, auto damage) {
        Bytes bytes = good.bytes;
        damage(bytes);
        std::string error;
        EXPECT_FALSE(ResourceModule::FromBytes(bytes, &error)) << what;
        EXPECT_FALSE(error.empty()) << what;
    };
    rejects("no MZ", [](Bytes& b) { b[0] = 'X'; });
    rejects("header offset past the end", [](Bytes& b) { PatchU32(b, 0x3C, uint32_t(b.size() - 10)); });
    rejects("header offset overflowing", [](Bytes& b) { PatchU32(b, 0x3C, 0xFFFFFFF0u); });
    rejects("no PE signature", [](Bytes& b) { b[0x81] = 'X'; });
    rejects("unknown magic", [](Bytes& b) { SetU16(b, 0x98, 0x107); });
    rejects("section table past the end", [](Bytes& b) { b[0x86] = 0xFF; b[0x87] = 0xFF; });

    // The resource section's bytes lie outside the file: opens, no resources.
    Bytes outside = good.bytes;
    PatchU32(outside, good.sectionTable + 40 + 20, 0xFFFFFF00u);
    auto module = Module(outside);
    ASSERT_TRUE(module);
    EXPECT_EQ(module->Count(RT_GROUP_ICON), 0);
    EXPECT_FALSE(module->Find(RT_ICON, ResourceKey::Id(1)));

    // A resource directory RVA inside no section: no resources either.
    Bytes nowhere = good.bytes;
    PatchU32(nowhere, good.dataDirectory, 0x00F00000u);
    module = Module(nowhere);
    ASSERT_TRUE(module);
    EXPECT_EQ(module->Count(RT_GROUP_ICON), 0);
}

TEST(ResourceModule, HostileDirectoriesEndTheWalkWithWhatWasRead) {
    const PeImage pe = BuildPe(MixedSpec(false));
    // Root entries: the named type "PNG" first, then RT_ICON, then RT_GROUP_ICON,
    // whose names are MAINICON, ZETA, ÄRGER, 5, 32512.
    const uint32_t iconNames = SubDir(pe, 0, 1);
    const uint32_t groupNames = SubDir(pe, 0, 2);
    const uint32_t mainLanguages = SubDir(pe, groupNames, 0);

    // FromBytes reads the caller's bytes: each patched copy is kept for the test's length.
    std::list<Bytes> kept;
    auto withPatch = [&](uint32_t at, uint32_t value) -> const Bytes& {
        Bytes& b = kept.emplace_back(pe.bytes);
        PatchU32(b, at, value);
        return b;
    };

    // A type pointing back at the root, a name pointing at its own name
    // directory, a name pointing at the root.
    auto m = Module(withPatch(DirEntryAt(pe, 0, 2) + 4, 0x80000000u));
    EXPECT_EQ(m->Count(RT_GROUP_ICON), 0);
    m = Module(withPatch(DirEntryAt(pe, groupNames, 1) + 4, 0x80000000u | groupNames));
    EXPECT_EQ(Texts(m->EnumNames(RT_GROUP_ICON)), (std::vector<std::string>{"MAINICON", "\xC3\x84RGER", "#5", "#32512"}));
    m = Module(withPatch(DirEntryAt(pe, groupNames, 3) + 4, 0x80000000u));
    EXPECT_EQ(m->Count(RT_GROUP_ICON), 4);

    // A data entry where the name level wants a directory: that name is no resource.
    m = Module(withPatch(DirEntryAt(pe, groupNames, 4) + 4, mainLanguages));
    EXPECT_EQ(m->Count(RT_GROUP_ICON), 4);
    EXPECT_FALSE(m->Find(RT_GROUP_ICON, ResourceKey::Id(32512)));

    // A directory where the language level wants a data entry (a fourth
    // level): the name is listed, its data is not found, and it is not
    // counted with those that can be read.
    m = Module(withPatch(DirEntryAt(pe, mainLanguages, 0) + 4, 0x80000000u | mainLanguages));
    EXPECT_EQ(m->EnumNames(RT_GROUP_ICON).size(), 5u);
    EXPECT_EQ(m->Count(RT_GROUP_ICON), 4);
    EXPECT_FALSE(m->Find(RT_GROUP_ICON, ResourceKey::Named("MAINICON")));

    // Entry counts larger than the bytes hold: only the entries really there.
    Bytes counts = pe.bytes;
    SetU16(counts, pe.rsrcOffset + groupNames + 12, 0xFFFF);
    SetU16(counts, pe.rsrcOffset + groupNames + 14, 0xFFFF);
    SetU16(counts, pe.rsrcOffset + 14, 0xFFFF);
    m = Module(counts);
    const auto names = m->EnumNames(RT_GROUP_ICON);
    ASSERT_GE(names.size(), 5u);
    EXPECT_LE(names.size(), (pe.bytes.size() - pe.rsrcOffset - groupNames) / 8);
    EXPECT_EQ(Texts(std::vector<ResourceKey>(names.begin(), names.begin() + 5)),
              (std::vector<std::string>{"MAINICON", "ZETA", "\xC3\x84RGER", "#5", "#32512"}));

    // Name strings and data past the end of the file, or overflowing.
    m = Module(withPatch(DirEntryAt(pe, groupNames, 0), 0x80000000u | 0x7FFFFFF0u));
    EXPECT_EQ(m->Count(RT_GROUP_ICON), 4);
    Bytes longName = pe.bytes;
    SetU16(longName, pe.rsrcOffset + (PeekU32(pe.bytes, DirEntryAt(pe, groupNames, 1)) & 0x7FFFFFFFu), 0xFFFF);
    m = Module(longName);
    EXPECT_EQ(m->Count(RT_GROUP_ICON), 4);
    const uint32_t icon1Languages = SubDir(pe, iconNames, 0);
    const uint32_t icon1Data = PeekU32(pe.bytes, DirEntryAt(pe, icon1Languages, 0) + 4);
    for (auto [field, value] : {std::pair{0u, 0xFFFFFFF0u}, {4u, 0xFFFFFFFFu}, {4u, uint32_t(pe.bytes.size())}}) {
        m = Module(withPatch(pe.rsrcOffset + icon1Data + field, value));
        EXPECT_FALSE(m->Find(RT_ICON, ResourceKey::Id(1)));
        EXPECT_TRUE(m->Find(RT_ICON, ResourceKey::Id(2)));
    }
}

TEST(ResourceModule, NamesSharingOneLongStringCannotOutgrowTheFile) {
    PeLayout layout;
    const std::string longName(300, 'N');
    layout.resources.push_back(Res(RT_BITMAP, ResourceKey::Named(longName), Filled(4, 1)));
    for (uint16_t id = 1; id <= 40; ++id) layout.resources.push_back(Res(RT_BITMAP, ResourceKey::Id(id), Filled(4, 2)));
    const PeImage pe = BuildPe(layout);
    // Every id entry is turned into a name pointing at the one long string.
    Bytes b = pe.bytes;
    const uint32_t names = SubDir(pe, 0, 0);
    const uint32_t stringField = PeekU32(b, DirEntryAt(pe, names, 0));
    for (uint32_t i = 1; i <= 40; ++i) PatchU32(b, DirEntryAt(pe, names, i), stringField);
    auto m = Module(b);
    const auto enumerated = m->EnumNames(RT_BITMAP);
    size_t total = 0;
    for (const ResourceKey& n : enumerated) total += n.name.size();
    EXPECT_GT(enumerated.size(), 1u);
    EXPECT_LT(enumerated.size(), 41u);
    EXPECT_LE(total, b.size());
    EXPECT_EQ(m->Count(RT_BITMAP), int(enumerated.size()));
}

TEST(ResourceModule, EveryTruncationIsReadSafely) {
    for (bool pe32Plus : {false, true}) {
        const Bytes full = BuildPe(MixedSpec(pe32Plus)).bytes;
        for (size_t n = 0; n <= full.size(); ++n) {
            const Bytes prefix(full.begin(), full.begin() + n);
            auto m = ResourceModule::FromBytes(prefix);
            if (!m) continue;
            for (uint16_t type : {RT_CURSOR, RT_BITMAP, RT_ICON, RT_GROUP_CURSOR, RT_GROUP_ICON}) {
                // Counted are the names whose data the prefix holds.
                int found = 0;
                for (const ResourceKey& name : m->EnumNames(type)) {
                    const auto data = m->Find(type, name);
                    if (data) {
                        ++found;
                        ASSERT_GE(data->data(), prefix.data());
                        ASSERT_LE(data->data() + data->size(), prefix.data() + prefix.size());
                    }
                }
                ASSERT_EQ(m->Count(type), found) << n;
            }
        }
    }
}

TEST(ResourceModule, OpenKeepsTheMappingAlive) {
    TempDir dir;
    const std::string path = dir.file("lib.dll");
    ASSERT_TRUE(WriteFile(path, BuildPe(MixedSpec(true)).bytes));
    std::string error;
    auto module = ResourceModule::Open(path, &error);
    ASSERT_TRUE(module) << error;
    const auto table = module->Table(RT_ICON);
    module.reset(); // the table holds the module's bytes
    const auto data = table.Find(ResourceKey::Id(1));
    ASSERT_TRUE(data);
    EXPECT_EQ(Bytes(data->begin(), data->end()), Filled(40, 0x07));

    EXPECT_FALSE(ResourceModule::Open(dir.file("missing.dll"), &error));
    EXPECT_NE(error.find("missing.dll"), std::string::npos);
}
