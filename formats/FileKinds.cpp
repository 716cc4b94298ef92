#include "formats/FileKinds.h"

#include <algorithm>
#include <array>
#include <utility>

#include "formats/AniFile.h"
#include "formats/BmpManage.h"
#include "formats/CursorManage.h"
#include "formats/ExeHeader.h"
#include "formats/IcnsFile.h"
#include "formats/IconManage.h"
#include "formats/MuiResource.h"
#include "formats/NeResources.h"
#include "formats/PeResources.h"
#include "formats/ResFile.h"
#include "formats/ShellLink.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/ResourceModule.h"

namespace gw {

namespace {

constexpr uint64_t kMinFileSize = 64;
constexpr uint16_t kMinWindowsVersion = 0x0300;
// Linkers that do not state the expected Windows version leave the word 0;
// such modules are as readable as any other.
constexpr uint16_t kVersionNotStated = 0;

// The version information held in data, a resource within file: damage is
// placed in the file.
ReadResult<std::optional<VersionInfo>> VersionAt(ByteView file, std::optional<ByteView> data) {
    ReadResult<std::optional<VersionInfo>> result;
    if (!data) return result;
    const auto begin = reinterpret_cast<uintptr_t>(file.data()), at = reinterpret_cast<uintptr_t>(data->data());
    const uint64_t start = at >= begin && at - begin <= file.size() ? uint64_t(at - begin) : file.size();
    // Executables and 32-bit resource files hold the 32-bit layout, the rest
    // the 16-bit one; a resource that says otherwise by its root key is read
    // as it says.
    ReadResult<std::optional<VersionInfo>> read = ParseVersionInfo(*data);
    result.records = std::move(read.records);
    if (read.error) result.Note(read.error->At(start, file.size()));
    return result;
}

// The animated cursors and icons a container's reader found, with its damage.
void TakeAnimations(FileContents& c, ReadResult<std::vector<AnimatedCursor>> read) {
    c.Animations = std::move(read.records);
    c.NoteError(read.error);
}

// A file that is one object: an icon, cursor, bitmap or animated cursor
// file. Its one record is named after the file.
class SingleReader : public KindReader {
public:
    SingleReader(const OpenedFile& file, RecordKind holds) : m_file(file), m_holds(holds) {}
    FileCounts Count(std::vector<ReadError>&) override {
        FileCounts c;
        (m_holds == RecordKind::Icons     ? c.iconGroups
         : m_holds == RecordKind::Cursors ? c.cursorGroups
         : m_holds == RecordKind::Bitmaps ? c.bitmaps
                                          : c.animations) = 1;
        return c;
    }
    void Read(RecordKind kind, std::optional<uint16_t>, FileContents& c) override {
        if (kind != m_holds) return;
        const std::string fileName = PathFileName(m_file.path);
        switch (kind) {
        case RecordKind::Icons:
            LoadIconFile(c, m_file.bytes, m_file.owner);
            // An icon file's one group is named after the file, as a cursor file's group is.
            c.IconGroups[0].Name = NameBeforeFirstDot(fileName);
            c.IconGroups[0].Named = true;
            break;
        case RecordKind::Cursors: LoadCursorFile(c, m_file.bytes, fileName, m_file.owner); break;
        case RecordKind::Bitmaps: LoadBmpFile(c, m_file.bytes, fileName); break;
        case RecordKind::Animations: {
            ReadResult<AnimatedCursor> one = ParseAniFile(m_file.bytes, m_file.owner);
            one.records.Name = NameBeforeFirstDot(fileName);
            one.records.Named = true;
            c.Animations.clear();
            c.Animations.push_back(std::move(one.records));
            c.NoteError(one.error);
            break;
        }
        }
    }

private:
    OpenedFile m_file;
    RecordKind m_holds;
};

template <RecordKind holds>
std::unique_ptr<KindReader> OpenSingle(const OpenedFile& file) {
    return std::make_unique<SingleReader>(file, holds);
}

// A file of a kind that holds nothing Grabwell reads.
class EmptyReader : public KindReader {
public:
    FileCounts Count(std::vector<ReadError>&) override { return {}; }
    void Read(RecordKind, std::optional<uint16_t>, FileContents&) override {}
};

std::unique_ptr<KindReader> OpenEmpty(const OpenedFile&) { return std::make_unique<EmptyReader>(); }

// A 16-bit executable or library: its resource table.
class NeReader : public KindReader {
public:
    explicit NeReader(const OpenedFile& file) : m_file(file) {}
    FileCounts Count(std::vector<ReadError>&) override {
        FileCounts c;
        c.iconGroups = CountNEIconGroups(m_file.bytes);
        c.cursorGroups = CountNEResources(m_file.bytes, false);
        c.bitmaps = CountNEResources(m_file.bytes, true);
        c.animations = CountNEAnimations(m_file.bytes);
        return c;
    }
    void Read(RecordKind kind, std::optional<uint16_t>, FileContents& c) override {
        switch (kind) {
        case RecordKind::Icons: LoadIconsNE(c, m_file.bytes, m_file.path, m_file.owner); break;
        case RecordKind::Cursors: LoadCursorsNE(c, m_file.bytes, m_file.path, m_file.owner); break;
        case RecordKind::Bitmaps: LoadBitmapsNE(c, m_file.bytes, m_file.path); break;
        case RecordKind::Animations:
            TakeAnimations(c, ParseNeAnimations(m_file.bytes, m_file.path, m_file.owner));
            break;
        }
    }
    ReadResult<std::optional<VersionInfo>> Version(std::optional<uint16_t>) override {
        return VersionAt(m_file.bytes, FirstNeResource(m_file.bytes, kVersionResourceType));
    }

private:
    OpenedFile m_file;
};

// A compiled resource file, in the 16- or 32-bit layout.
class ResReader : public KindReader {
public:
    explicit ResReader(const OpenedFile& file) : m_file(file) {}
    FileCounts Count(std::vector<ReadError>&) override {
        FileCounts c;
        c.iconGroups = CountResEntries(m_file.bytes, RT_GROUP_ICON);
        c.cursorGroups = CountResEntries(m_file.bytes, RT_GROUP_CURSOR);
        c.bitmaps = CountResEntries(m_file.bytes, RT_BITMAP);
        c.animations = CountResAnimations(m_file.bytes);
        c.damage = ResFileDamage(m_file.bytes);
        return c;
    }
    void Read(RecordKind kind, std::optional<uint16_t> language, FileContents& c) override {
        switch (kind) {
        case RecordKind::Icons: LoadResIcons(c, m_file.bytes, m_file.owner, language); break;
        case RecordKind::Cursors: LoadResCursors(c, m_file.bytes, m_file.owner, language); break;
        case RecordKind::Bitmaps: LoadResBitmaps(c, m_file.bytes, m_file.owner, language); break;
        case RecordKind::Animations:
            TakeAnimations(c, ParseResAnimations(m_file.bytes, m_file.owner, language));
            break;
        }
    }
    ReadResult<std::optional<VersionInfo>> Version(std::optional<uint16_t>) override {
        return VersionAt(m_file.bytes, FirstResEntry(m_file.bytes, kVersionResourceType));
    }

private:
    OpenedFile m_file;
};

// A 32-bit executable or library: its resource directory. A
// language-neutral library (one holding a MUI resource) that holds none of
// a kind of image has them read from its resource file,
// SystemResources/<file name>.mun beside its folder, when that holds some.
class PeReader : public KindReader {
public:
    explicit PeReader(const OpenedFile& file) : m_file(file) {}

    FileCounts Count(std::vector<ReadError>& noted) override {
        FileCounts c;
        std::string why;
        m_module = ResourceModule::FromBytes(m_file.bytes, &why, m_file.owner);
        if (!m_module) {
            c.damage = ReadError{ReadErrorKind::Invalid, 0, why.empty() ? "not a readable executable" : why};
            return c;
        }
        c.iconGroups = m_module->Count(RT_GROUP_ICON);
        c.cursorGroups = m_module->Count(RT_GROUP_CURSOR);
        c.bitmaps = m_module->Count(RT_BITMAP);
        c.animations = CountPeAnimations(*m_module);
        c.damage = m_module->Damage();
        const std::optional<ReadError> redirectDamage = RedirectToResourceFile(c);
        if (!c.damage) c.damage = redirectDamage;
        if (redirectDamage) noted.push_back(*redirectDamage);
        return c;
    }

    void Read(RecordKind kind, std::optional<uint16_t> language, FileContents& c) override {
        if (!m_module) return;
        const ResourceModule& module = *ModuleOf(kind);
        switch (kind) {
        case RecordKind::Icons: LoadIconsPE(c, module, language); break;
        case RecordKind::Cursors: LoadCursorsPE(c, module, language); break;
        case RecordKind::Bitmaps: LoadBitmapsPE(c, module, language); break;
        case RecordKind::Animations: {
            const bool redirected = m_redirected[size_t(kind)];
            TakeAnimations(c, ParsePeAnimations(module, redirected ? m_resourcesBytes : m_file.bytes,
                                                redirected ? m_resourcesOwner : m_file.owner, language));
            break;
        }
        }
    }

    // The first version resource: its first name, in the language asked for
    // when it is held in it, else in its first language.
    ReadResult<std::optional<VersionInfo>> Version(std::optional<uint16_t> language) override {
        ReadResult<std::optional<VersionInfo>> result;
        if (!m_module) return result;
        const ResourceModule::TypeTable table = m_module->Table(kVersionResourceType);
        if (table.Names().empty()) return result;
        ReadError why;
        const std::optional<ByteView> data = table.Find(table.Names().front(), language, nullptr, &why);
        if (!data) {
            result.Note(why);
            return result;
        }
        return VersionAt(m_file.bytes, data);
    }

    const ResourceModule* Module() const override { return m_module.get(); }
    const ResourceModule* ModuleOf(RecordKind kind) const override {
        return m_redirected[size_t(kind)] ? m_resources.get() : m_module.get();
    }
    const std::string& ResourcesFrom() const override { return m_resourcesFrom; }

private:
    // Only the kinds the library holds none of, and only when the resource
    // file holds some. The damage found on the way: a damaged MUI resource,
    // a resource file that cannot be read or is not a PE file (each leaving
    // the library as it is), or a damaged resource file.
    std::optional<ReadError> RedirectToResourceFile(FileCounts& c) {
        const std::optional<ReadResult<MuiResource>> mui = ReadModuleMui(*m_module, m_file.bytes);
        if (!mui) return std::nullopt;
        if (mui->error) return mui->error;
        int* counts[kRecordKinds] = {&c.iconGroups, &c.cursorGroups, &c.bitmaps, &c.animations};
        if (std::none_of(std::begin(counts), std::end(counts), [](int* n) { return *n == 0; })) return std::nullopt;
        const std::optional<std::string> munPath = FindMunFile(m_file.path);
        if (!munPath) return std::nullopt;
        auto file = std::make_shared<MappedFile>();
        if (!file->Open(*munPath))
            return ReadError{ReadErrorKind::Io, 0, "cannot read the resource file \"" + *munPath + "\": " + file->reason()};
        std::string why;
        std::unique_ptr<ResourceModule> module = ResourceModule::FromBytes(file->bytes(), &why, file);
        if (!module)
            return ReadError::Invalid(0, "the resource file " + *munPath + " is not a PE file: " + why,
                                      m_file.bytes.size());
        const int held[kRecordKinds] = {module->Count(RT_GROUP_ICON), module->Count(RT_GROUP_CURSOR),
                                        module->Count(RT_BITMAP), CountPeAnimations(*module)};
        bool any = false;
        for (size_t k = 0; k < kRecordKinds; ++k) {
            if (*counts[k] != 0 || held[k] == 0) continue;
            *counts[k] = held[k];
            m_redirected[k] = true;
            any = true;
        }
        if (!any) return std::nullopt;
        std::optional<ReadError> damage = module->Damage();
        m_resourcesFrom = *munPath;
        m_resourcesBytes = file->bytes();
        m_resourcesOwner = std::move(file);
        m_resources = std::move(module);
        return damage;
    }

    OpenedFile m_file;
    std::unique_ptr<ResourceModule> m_module;
    std::string m_resourcesFrom;
    std::shared_ptr<const void> m_resourcesOwner;
    ByteView m_resourcesBytes;
    std::unique_ptr<ResourceModule> m_resources;
    bool m_redirected[kRecordKinds] = {};
};

template <class Reader>
std::unique_ptr<KindReader> Open(const OpenedFile& file) {
    return std::make_unique<Reader>(file);
}

// An icon or cursor file's header: reserved 0, its type, at least one image.
template <uint16_t type>
bool IconDirectoryHeader(const std::string&, ByteView bytes) {
    if (bytes.size() < kMinFileSize) return false;
    ByteReader head(bytes.first(kMinFileSize));
    const uint16_t reserved = head.u16(), stated = head.u16(), count = head.u16();
    return reserved == 0 && stated == type && count > 0;
}

bool NeWithResources(const std::string&, ByteView bytes) {
    if (bytes.size() < kMinFileSize) return false;
    const std::optional<ExeHeader> h = ReadExeHeader(bytes);
    if (!h || h->signature != kNeSignature) return false;
    const bool supported = h->windowsVersion == kVersionNotStated || h->windowsVersion >= kMinWindowsVersion;
    return supported && h->HasNeResources();
}

bool PeExecutable(const std::string&, ByteView bytes) {
    if (bytes.size() < kMinFileSize) return false;
    const std::optional<ExeHeader> h = ReadExeHeader(bytes);
    return h && h->signature == kPeSignature16;
}

bool AnyBytes(const std::string&, ByteView) { return true; }
bool AniBytes(const std::string&, ByteView bytes) { return IsAniData(bytes); }
bool ShortcutBytes(const std::string&, ByteView bytes) { return LooksLikeShellLink(bytes); }

// In the order classification asks: the kinds their extension decides,
// then those told by their bytes, the fallback last.
constexpr auto kRows = std::to_array<FileKindRow>({
    {FileKind::AnimatedCursor, "Animated Cursor File", "", "Animated Cursor", ".ani", true,
     "application/x-navi-animation", FileListing::Alone, RecordKind::Animations, false, AniBytes,
     OpenSingle<RecordKind::Animations>},
    {FileKind::Bitmap, "Bitmap File", "", "Bitmap", ".bmp", true, "image/bmp", FileListing::Alone,
     RecordKind::Bitmaps, false, AnyBytes, OpenSingle<RecordKind::Bitmaps>},
    {FileKind::Resource, "Resource File", "", "Resource File", ".res .r32 .r16 .dcr", true, "",
     FileListing::Resources, RecordKind::Icons, false, AnyBytes, Open<ResReader>},
    {FileKind::Icon, "Icon File", "Icon File", "Icon", ".ico", true, "image/vnd.microsoft.icon;image/x-icon", FileListing::Alone,
     RecordKind::Icons, false, IconDirectoryHeader<1>, OpenSingle<RecordKind::Icons>},
    {FileKind::Cursor, "Cursor File", "", "Cursor", ".cur", true, "image/x-win-bitmap", FileListing::Alone,
     RecordKind::Cursors, false, IconDirectoryHeader<2>, OpenSingle<RecordKind::Cursors>},
    {FileKind::IconFamily, "Icon Family File", "Icon Family File", "Icon Family", ".icns", false, "image/x-icns",
     FileListing::Holder, RecordKind::Icons, false, LooksLikeIconFamily, OpenIconFamily},
    {FileKind::Ne, "NE File", "NE File", nullptr, "", false,
     "application/x-ms-ne-executable", FileListing::Holder, RecordKind::Icons, true, NeWithResources, Open<NeReader>},
    {FileKind::Pe, "PE File", "PE File", nullptr, "", false,
     "application/x-ms-dos-executable;application/x-msdownload;application/x-dosexec;"
     "application/vnd.microsoft.portable-executable", FileListing::Holder, RecordKind::Icons, true, PeExecutable, Open<PeReader>},
    {FileKind::Shortcut, "Shortcut", "", "Shortcut", ".lnk", false, "application/x-ms-shortcut", FileListing::None,
     RecordKind::Icons, false, ShortcutBytes, OpenEmpty},
    {FileKind::NonExecutable, "Non Executable", "Non Executable", "Non Executable", "", false, "", FileListing::None,
     RecordKind::Icons, false, nullptr, OpenEmpty},
});

// Whether ext (".ico", lower case) is one of a row's extensions.
bool NamesExtension(const FileKindRow& row, const std::string& ext) {
    if (ext.empty()) return false;
    const std::string_view list = row.extensions;
    for (size_t at = 0; at < list.size();) {
        size_t end = list.find(' ', at);
        if (end == std::string_view::npos) end = list.size();
        if (list.substr(at, end - at) == ext) return true;
        at = end + 1;
    }
    return false;
}

} // namespace

std::span<const FileKindRow> FileKindRows() { return kRows; }

const FileKindRow& RowOf(FileKind kind) {
    for (const FileKindRow& row : kRows)
        if (row.kind == kind) return row;
    return kRows.back();
}

const FileKindRow* RowNamedBy(const std::string& path) {
    const std::string ext = LowerExtension(path);
    for (const FileKindRow& row : kRows)
        if (NamesExtension(row, ext)) return &row;
    return nullptr;
}

const FileKindRow& ClassifyFile(const std::string& path, ByteView bytes) {
    if (const FileKindRow* named = RowNamedBy(path); named && named->byExtension)
        return named->recognise(path, bytes) ? *named : RowOf(FileKind::NonExecutable);
    for (const FileKindRow& row : kRows)
        if (!row.byExtension && row.recognise && row.recognise(path, bytes)) return row;
    return RowOf(FileKind::NonExecutable);
}

const char* FileKindText(FileKind kind) { return RowOf(kind).text; }
const char* DeskKindText(FileKind kind) { return RowOf(kind).deskText; }
FileKind GetFileKindOfBytes(const std::string& name, ByteView bytes) { return ClassifyFile(name, bytes).kind; }

} // namespace gw
