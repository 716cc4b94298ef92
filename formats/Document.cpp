#include "formats/Document.h"

#include <algorithm>
#include <utility>

#include "formats/BmpManage.h"
#include "formats/CursorManage.h"
#include "formats/FileKind.h"
#include "formats/IconManage.h"
#include "formats/MuiResource.h"
#include "formats/NeResources.h"
#include "formats/PeResources.h"
#include "formats/ResFile.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/ResourceModule.h"

namespace gw {

namespace {

size_t ListSize(int32_t count) { return size_t(std::max(count, 0)); }

// The version information of an opened file: the first version resource
// of a PE file (its first name, in the document's Language() when it is
// held in it, else in its first language), of an NE file or of a resource
// file in either layout (the first in file order); nullopt for other kinds
// and for files that hold none. Damage is placed in the file.
ReadResult<std::optional<VersionInfo>> ReadVersionInfo(const Document& doc) {
    ReadResult<std::optional<VersionInfo>> result;
    const ByteView file = doc.Bytes();
    std::optional<ByteView> data;
    switch (doc.Kind()) {
    case FileKind::Pe: {
        const ResourceModule* module = doc.Module();
        if (!module) break;
        const ResourceModule::TypeTable table = module->Table(kVersionResourceType);
        if (table.Names().empty()) break;
        ReadError why;
        data = table.Find(table.Names().front(), doc.Language(), nullptr, &why);
        if (!data) result.Note(why);
        break;
    }
    case FileKind::Ne: data = FirstNeResource(file, kVersionResourceType); break;
    case FileKind::Resource: data = FirstResEntry(file, kVersionResourceType); break;
    default: break;
    }
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

// Bytes read into memory, for files opened from bytes.
struct OwnedBytes {
    Bytes bytes;
};

} // namespace

std::shared_ptr<Document> Document::Open(const std::string& path) {
    std::shared_ptr<Document> opened(new Document(path));
    auto file = std::make_shared<MappedFile>();
    if (file->Open(path)) {
        opened->m_readable = true;
        opened->m_bytes = file->bytes();
        opened->m_owner = std::move(file);
    } else {
        // The front ends name the file; the error says why alone.
        opened->m_contents.NoteError(ReadError{ReadErrorKind::Io, 0, file->reason()});
    }
    opened->Classify();
    opened->m_openedErrors = opened->m_contents.Errors;
    return opened;
}

std::shared_ptr<Document> Document::OfBytes(const std::string& path, gw::Bytes bytes) {
    std::shared_ptr<Document> opened(new Document(path));
    auto owned = std::make_shared<OwnedBytes>(OwnedBytes{std::move(bytes)});
    opened->m_readable = true;
    opened->m_bytes = owned->bytes;
    opened->m_owner = std::move(owned);
    opened->Classify();
    opened->m_openedErrors = opened->m_contents.Errors;
    return opened;
}

Document::~Document() = default;

std::string Document::FileName() const { return PathFileName(m_path); }

// The kind and the counts the explorer shows, from the bytes alone: only
// the headers and resource directories are touched.
void Document::Classify() {
    FileCounts& c = m_counts;
    std::optional<ReadError> redirectDamage; // a language-neutral library's resource file's
    if (!m_readable) return;
    if (UpperExtension(m_path) == ".ANI") {
        if (IsAniData(m_bytes)) {
            c.kind = FileKind::AnimatedCursor;
            c.animations = 1;
        }
        return;
    }
    if (UpperExtension(m_path) == ".BMP") {
        c.kind = FileKind::Bitmap;
        c.bitmaps = 1;
        return;
    }
    if (IsResourceFileName(m_path)) {
        c.kind = FileKind::Resource;
        c.iconGroups = CountResEntries(m_bytes, RT_GROUP_ICON);
        c.cursorGroups = CountResEntries(m_bytes, RT_GROUP_CURSOR);
        c.bitmaps = CountResEntries(m_bytes, RT_BITMAP);
        c.animations = CountResAnimations(m_bytes);
        c.damage = ResFileDamage(m_bytes);
    } else {
        switch (GetFileKindOfBytes(m_path, m_bytes)) {
        case FileKind::Icon:
            c.kind = FileKind::Icon;
            c.iconGroups = 1;
            break;
        case FileKind::Cursor:
            c.kind = FileKind::Cursor;
            c.cursorGroups = 1;
            break;
        case FileKind::Ne:
            c.kind = FileKind::Ne;
            c.iconGroups = CountNEIconGroups(m_bytes);
            c.cursorGroups = CountNEResources(m_bytes, false);
            c.bitmaps = CountNEResources(m_bytes, true);
            c.animations = CountNEAnimations(m_bytes);
            break;
        case FileKind::Pe: {
            c.kind = FileKind::Pe;
            std::string why;
            m_module = ResourceModule::FromBytes(m_bytes, &why, m_owner);
            if (!m_module) {
                c.damage = ReadError{ReadErrorKind::Invalid, 0, why.empty() ? "not a readable executable" : why};
                break;
            }
            c.iconGroups = m_module->Count(RT_GROUP_ICON);
            c.cursorGroups = m_module->Count(RT_GROUP_CURSOR);
            c.bitmaps = m_module->Count(RT_BITMAP);
            c.animations = CountPeAnimations(*m_module);
            c.damage = m_module->Damage();
            redirectDamage = RedirectToResourceFile();
            if (!c.damage) c.damage = redirectDamage;
            break;
        }
        default: break;
        }
    }
    m_contents.NoteError(c.damage);
    m_contents.NoteError(redirectDamage);
    m_contents.IconGroupCount = c.iconGroups;
    m_contents.CursorGroupCount = c.cursorGroups;
    m_contents.BitmapCount = c.bitmaps;
}

// A language-neutral library's images from its resource file: only the
// kinds the library holds none of, and only when the file holds some. The
// damage found on the way: a damaged MUI resource, a resource file that
// cannot be read or is not a PE file (each leaving the library as it is), or
// a damaged resource file.
std::optional<ReadError> Document::RedirectToResourceFile() {
    FileCounts& c = m_counts;
    const std::optional<ReadResult<MuiResource>> mui = ReadModuleMui(*m_module, m_bytes);
    if (!mui) return std::nullopt;
    if (mui->error) return mui->error;
    int* counts[4] = {&c.iconGroups, &c.cursorGroups, &c.bitmaps, &c.animations};
    if (std::none_of(std::begin(counts), std::end(counts), [](int* n) { return *n == 0; })) return std::nullopt;
    const std::optional<std::string> munPath = FindMunFile(m_path);
    if (!munPath) return std::nullopt;
    auto file = std::make_shared<MappedFile>();
    if (!file->Open(*munPath))
        return ReadError{ReadErrorKind::Io, 0, "cannot read the resource file \"" + *munPath + "\": " + file->reason()};
    std::string why;
    std::unique_ptr<ResourceModule> module = ResourceModule::FromBytes(file->bytes(), &why, file);
    if (!module)
        return ReadError::Invalid(0, "the resource file " + *munPath + " is not a PE file: " + why, m_bytes.size());
    const int held[4] = {module->Count(RT_GROUP_ICON), module->Count(RT_GROUP_CURSOR), module->Count(RT_BITMAP),
                         CountPeAnimations(*module)};
    bool any = false;
    for (size_t k = 0; k < 4; ++k) {
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

const ResourceModule* Document::ModuleOf(RecordKind kind) const {
    return m_redirected[size_t(kind)] ? m_resources.get() : m_module.get();
}

void Document::SetLanguage(std::optional<uint16_t> language) {
    if (language == m_language) return;
    m_language = language;
    if (std::none_of(std::begin(m_loaded), std::end(m_loaded), [](const auto& l) { return l.has_value(); }) &&
        !m_version)
        return;
    for (auto& loaded : m_loaded) loaded.reset();
    m_version.reset(); // read again in the new language
    m_contents.IconGroups.clear();
    m_contents.CursorGroups.clear();
    m_contents.Bitmaps.clear();
    m_contents.Animations.clear();
    m_contents.Errors = m_openedErrors;
}

const std::vector<ReadError>& Document::Load(RecordKind kind) {
    std::optional<std::vector<ReadError>>& loaded = m_loaded[size_t(kind)];
    if (!loaded) {
        // The read notes its damage into an empty list, which becomes this
        // kind's; the file's list keeps each piece of damage once.
        std::vector<ReadError> earlier = std::exchange(m_contents.Errors, {});
        Read(kind);
        loaded = std::exchange(m_contents.Errors, std::move(earlier));
        for (const ReadError& e : *loaded) m_contents.NoteError(e);
    }
    return *loaded;
}

const std::vector<ReadError>& Document::LoadAll() {
    for (RecordKind kind : {RecordKind::Icons, RecordKind::Cursors, RecordKind::Bitmaps, RecordKind::Animations})
        Load(kind);
    Version();
    return Errors();
}

const std::optional<VersionInfo>& Document::Version() {
    if (!m_version) {
        ReadResult<std::optional<VersionInfo>> read = ReadVersionInfo(*this);
        m_version = std::move(read.records);
        m_contents.NoteError(read.error);
    }
    return *m_version;
}

const std::vector<ReadError>& Document::LoadAsImageFile(FileKind kind) {
    const RecordKind records = kind == FileKind::Icon     ? RecordKind::Icons
                               : kind == FileKind::Cursor ? RecordKind::Cursors
                                                          : RecordKind::Bitmaps;
    if (m_readable && m_counts.kind != kind) {
        m_counts = FileCounts{};
        m_counts.kind = kind;
        m_counts.iconGroups = m_contents.IconGroupCount = records == RecordKind::Icons;
        m_counts.cursorGroups = m_contents.CursorGroupCount = records == RecordKind::Cursors;
        m_counts.bitmaps = m_contents.BitmapCount = records == RecordKind::Bitmaps;
        for (auto& loaded : m_loaded) loaded.reset();
        m_version.reset();
    }
    return Load(records);
}

// One kind's records through the reader of the file's kind, over the bytes
// opened once; each reader notes its damage in the contents.
void Document::Read(RecordKind kind) {
    FileContents& c = m_contents;
    const FileKind k = m_counts.kind;
    const std::string fileName = FileName();
    switch (kind) {
    case RecordKind::Icons:
        if (m_counts.iconGroups <= 0) break;
        c.IconGroups.resize(ListSize(c.IconGroupCount));
        if (k == FileKind::Icon) {
            LoadIconFile(c, m_bytes, m_owner);
            // An icon file's one group is named after the file, as a cursor file's group is.
            c.IconGroups[0].Name = NameBeforeFirstDot(fileName);
            c.IconGroups[0].Named = true;
        } else if (k == FileKind::Ne) {
            LoadIconsNE(c, m_bytes, m_path, m_owner);
        } else if (k == FileKind::Pe && m_module) {
            LoadIconsPE(c, *ModuleOf(kind), m_language);
        } else if (k == FileKind::Resource) {
            LoadResIcons(c, m_bytes, m_owner, m_language);
        }
        break;
    case RecordKind::Cursors:
        if (m_counts.cursorGroups <= 0) break;
        c.CursorGroups.resize(ListSize(c.CursorGroupCount));
        if (k == FileKind::Cursor)
            LoadCursorFile(c, m_bytes, fileName, m_owner);
        else if (k == FileKind::Ne)
            LoadCursorsNE(c, m_bytes, m_path, m_owner);
        else if (k == FileKind::Pe && m_module)
            LoadCursorsPE(c, *ModuleOf(kind), m_language);
        else if (k == FileKind::Resource)
            LoadResCursors(c, m_bytes, m_owner, m_language);
        break;
    case RecordKind::Bitmaps:
        if (m_counts.bitmaps <= 0) break;
        c.MaxBmpWidth = 0;
        c.MaxBmpHeight = 0;
        c.Bitmaps.resize(ListSize(c.BitmapCount));
        if (k == FileKind::Bitmap)
            LoadBmpFile(c, m_bytes, fileName);
        else if (k == FileKind::Ne)
            LoadBitmapsNE(c, m_bytes, m_path);
        else if (k == FileKind::Pe && m_module)
            LoadBitmapsPE(c, *ModuleOf(kind), m_language);
        else if (k == FileKind::Resource)
            LoadResBitmaps(c, m_bytes, m_owner, m_language);
        break;
    case RecordKind::Animations: {
        if (m_counts.animations <= 0) break;
        ReadResult<std::vector<AnimatedCursor>> read;
        if (k == FileKind::AnimatedCursor) {
            ReadResult<AnimatedCursor> one = ParseAniFile(m_bytes, m_owner);
            one.records.Name = NameBeforeFirstDot(fileName);
            one.records.Named = true;
            read.records.push_back(std::move(one.records));
            read.error = one.error;
        } else if (k == FileKind::Ne) {
            read = ParseNeAnimations(m_bytes, m_path, m_owner);
        } else if (k == FileKind::Pe && m_module) {
            const bool redirected = m_redirected[size_t(kind)];
            read = ParsePeAnimations(*ModuleOf(kind), redirected ? m_resourcesBytes : m_bytes,
                                     redirected ? m_resourcesOwner : m_owner, m_language);
        } else if (k == FileKind::Resource) {
            read = ParseResAnimations(m_bytes, m_owner, m_language);
        }
        c.Animations = std::move(read.records);
        c.NoteError(read.error);
        break;
    }
    }
}

std::string NothingShownReason(const Document& file, const std::string& holdsNothing) {
    if (!file.Readable() && file.Damaged()) return "cannot be read: " + file.Errors().front().message;
    if (file.Damaged()) return file.Errors().front().Describe();
    return holdsNothing;
}

} // namespace gw
