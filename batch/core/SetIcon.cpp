#include "batch/core/SetIcon.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "formats/ResourceWriter.h"
#include "formats/VersionInfo.h"
#include "platform/FileIo.h"
#include "platform/Paths.h"

namespace gw {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string SystemError(const std::string& what, const std::string& path, int error) {
    return "cannot " + what + " \"" + path + "\": " + std::strerror(error);
}

// Writes bytes to a new temporary file beside path with the given
// permission bits, flushes it, then renames it over path. "" on success;
// nothing is left behind on failure.
std::string WriteWhole(const std::string& path, ByteView bytes, mode_t mode) {
    static std::atomic<uint64_t> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 64 && fd < 0; ++attempt) {
        temporary = JoinPath(FolderOf(path), ".grabwell-set-" + std::to_string(getpid()) + "-" +
                                                 std::to_string(counter.fetch_add(1)) + ".tmp");
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return SystemError("create a file beside", path, errno);
    int error = 0;
    for (size_t done = 0; done < bytes.size() && !error;) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) error = n < 0 ? errno : ENOSPC;
        else done += size_t(n);
    }
    if (!error && ::fchmod(fd, mode) != 0) error = errno;
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(temporary.c_str());
        return SystemError("write", path, error);
    }
    return {};
}

// What every change to a program shares: the target checked (never the
// program itself unless in place), the program mapped, edit(program bytes)
// run, the notes of the write said and the result written whole with the
// program's permission bits. error names the file its damage is in.
template <class Outcome, class Edit>
Outcome EditProgram(const std::string& program, const std::string& output, bool inPlace, Edit edit) {
    Outcome outcome;
    const std::string target = inPlace ? program : output;
    if (target.empty()) {
        outcome.error = "no output file given";
        return outcome;
    }
    struct stat programStat {};
    if (::stat(program.c_str(), &programStat) != 0) {
        outcome.error = SystemError("read", program, errno);
        return outcome;
    }
    struct stat targetStat {};
    if (!inPlace && ::stat(target.c_str(), &targetStat) == 0 && targetStat.st_dev == programStat.st_dev &&
        targetStat.st_ino == programStat.st_ino) {
        outcome.error = "\"" + target + "\" is the file being changed; it is changed only when asked to (in place)";
        return outcome;
    }
    MappedFile mapped(program);
    if (!mapped.IsOpen()) {
        outcome.error = mapped.error();
        return outcome;
    }
    outcome.sizeBefore = mapped.size();
    std::string damagedFile = program;
    const ResourceWrite write = edit(mapped.bytes(), outcome, damagedFile);
    if (!outcome.error.empty()) return outcome;
    if (write.error) {
        outcome.error = damagedFile + ": " + write.error->Describe();
        outcome.refusedSigned = write.refusedSigned;
        return outcome;
    }
    if (write.signatureRemoved) outcome.notes.push_back(program + ": the digital signature was removed");
    if (write.sectionAdded)
        outcome.notes.push_back(program +
                                ": the resources were not in the last section; they now stand in a new last "
                                "section, and the old ones stay in the file unused");
    if (write.overlayKept)
        outcome.notes.push_back(program + ": the " + GroupedNumber(write.overlayKept) +
                                " bytes after the last section (data appended to the program, such as an "
                                "installer's payload or a symbol table) were kept, byte for byte, at the end of "
                                "the file");

    const std::string failed = WriteWhole(target, write.bytes, programStat.st_mode & 07777);
    if (!failed.empty()) {
        outcome.error = failed;
        return outcome;
    }
    outcome.ok = true;
    outcome.written = target;
    outcome.sizeAfter = write.bytes.size();
    return outcome;
}

} // namespace

SetGroupOutcome SetProgramGroup(const SetGroupRequest& request) {
    return EditProgram<SetGroupOutcome>(
        request.program, request.output, request.inPlace,
        [&](ByteView program, SetGroupOutcome& outcome, std::string& damagedFile) -> ResourceWrite {
            MappedFile image(request.imageFile);
            if (!image.IsOpen()) {
                outcome.error = image.error();
                return {};
            }
            FileGroupReplace replace = ReplaceGroupInFile(program, request.kind, image.bytes(), request.target,
                                                          ResourceWriteOptions{request.stripSignature});
            outcome.change = replace.change;
            // Damage in the image file is said of it, anything else of the program.
            if (replace.inImageFile) damagedFile = request.imageFile;
            return std::move(replace.write);
        });
}

SetVersionOutcome SetProgramVersion(const SetVersionRequest& request) {
    return EditProgram<SetVersionOutcome>(
        request.program, request.output, request.inPlace,
        [&](ByteView program, SetVersionOutcome& outcome, std::string&) -> ResourceWrite {
            ResourceTableRead read = ReadResourceTable(program);
            if (read.error) {
                ResourceWrite refused;
                refused.error = read.error;
                return refused;
            }
            // The version resource of the language asked for, else the
            // first in the file; a file without one gets one in US English.
            const ResourceKey versionType = ResourceKey::Id(kVersionResourceType);
            ResourceKey name = ResourceKey::Id(1);
            uint16_t language = request.language.value_or(kUsEnglish);
            const ResourceEntry* existing = nullptr;
            for (const ResourceEntry& e : read.table.entries)
                if (e.type == versionType && (!request.language || e.language == *request.language)) {
                    existing = &e;
                    break;
                }
            VersionInfo info;
            if (existing) {
                name = existing->name;
                language = existing->language;
                ReadResult<std::optional<VersionInfo>> parsed = ParseVersionInfo(ByteView(existing->data));
                if (parsed.error || !parsed.records) {
                    ResourceWrite refused;
                    refused.error = parsed.error ? *parsed.error
                                                 : ReadError::Invalid(0, "the version information is empty", 0);
                    return refused;
                }
                info = std::move(*parsed.records);
                outcome.created = false;
            } else {
                outcome.created = true;
            }
            std::string why;
            if (!request.fileVersion.empty() && !SetFileVersion(info, request.fileVersion, &why)) {
                outcome.error = "--file-version: " + why;
                return {};
            }
            if (!request.productVersion.empty() && !SetProductVersion(info, request.productVersion, &why)) {
                outcome.error = "--product-version: " + why;
                return {};
            }
            if (!info.fixed) info.fixed.emplace(); // a new block always has its fixed part
            // The strings go into the table of the resource's language, else
            // the first table (a neutral resource's table names a language).
            std::optional<uint16_t> tableLanguage;
            for (const VersionStringTable& table : info.tables)
                if (table.language.size() >= 4 &&
                    std::strtoul(table.language.substr(0, 4).c_str(), nullptr, 16) == language)
                    tableLanguage = language;
            for (const auto& [key, value] : request.strings)
                if (!SetVersionString(info, key, value, tableLanguage)) {
                    outcome.error = "--string: a key is needed before \"=\"";
                    return {};
                }
            if (info.tables.empty() && info.translations.empty())
                info.translations.push_back(VersionTranslation{});
            outcome.language = language;
            return ReplaceResourceInFile(program, versionType, name, language, WriteVersionInfo(info),
                                         ResourceWriteOptions{request.stripSignature});
        });
}

bool ParseGroupName(const std::string& text, ResourceKey& out) {
    const std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    const bool number = !digits.empty() && digits.size() <= 5 &&
                        digits.find_first_not_of("0123456789") == std::string::npos;
    if (number) {
        const unsigned long value = std::stoul(digits);
        if (value > 0xFFFF) return false;
        out = ResourceKey::Id(uint16_t(value));
        return true;
    }
    if (text.empty() || text[0] == '#' || text.find('\0') != std::string::npos) return false;
    out = ResourceKey::NamedUtf8(text);
    return !out.name.empty() && out.name.size() <= 0xFFFF;
}

bool ParseLanguage(const std::string& text, uint16_t& out) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
        return false;
    const unsigned long value = std::stoul(digits, nullptr, hex ? 16 : 10);
    if (value > 0xFFFF) return false;
    out = uint16_t(value);
    return true;
}

} // namespace gw
