#include "batch/core/SetIcon.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "formats/ResourceWriter.h"
#include "platform/FileIo.h"
#include "platform/PngDecode.h"
#include "platform/Paths.h"

namespace gw {

namespace {

std::string SystemError(const std::string& what, const std::string& path, int error) {
    return "cannot " + what + " \"" + path + "\": " + std::strerror(error);
}

// What every change to a program shares: the target checked (never the
// program itself unless in place), a link resolved to the file it names
// (which is changed, the link kept), the program locked for the whole
// read-change-write when it is changed in place (a second change waits,
// then reads the first one's result), mapped, edit(program bytes) run, and
// the result written whole with the program's permission bits; in place
// also with its owner, group, ACLs and extended attributes. The notes of
// the write are said only once it is written. error names the file its
// damage is in.
template <class Outcome, class Edit>
Outcome EditProgram(const std::string& programPath, const std::string& output, bool inPlace, Edit edit) {
    Outcome outcome;
    auto systemFailure = [&](std::string message, const std::string& file, int error) {
        outcome.error = std::move(message);
        outcome.systemError = error;
        outcome.systemErrorPath = file;
        return outcome;
    };
    const std::string program = LinkTarget(programPath);
    const std::string target = inPlace ? program : output.empty() ? output : LinkTarget(output);
    if (target.empty()) {
        outcome.error = "no output file given";
        return outcome;
    }
    struct stat programStat {};
    if (::stat(program.c_str(), &programStat) != 0)
        return systemFailure(SystemError("read", programPath, errno), programPath, errno);
    if (S_ISDIR(programStat.st_mode))
        return systemFailure(SystemError("read", programPath, EISDIR), programPath, EISDIR);
    struct stat targetStat {};
    if (!inPlace && ::stat(target.c_str(), &targetStat) == 0 && targetStat.st_dev == programStat.st_dev &&
        targetStat.st_ino == programStat.st_ino) {
        outcome.error = "\"" + output + "\" is the file being changed; it is changed only when asked to (in place)";
        return outcome;
    }
    FileLock lock;
    if (inPlace) {
        int error = 0;
        if (std::string failed = lock.Acquire(program, &error); !failed.empty())
            return systemFailure(failed, programPath, error);
        if (::stat(program.c_str(), &programStat) != 0)
            return systemFailure(SystemError("read", programPath, errno), programPath, errno);
    }
    MappedFile mapped(program);
    if (!mapped.IsOpen()) return systemFailure(mapped.error(), programPath, mapped.systemError());
    outcome.sizeBefore = mapped.size();
    std::string damagedFile = programPath;
    const ResourceWrite write = edit(mapped.bytes(), outcome, damagedFile);
    if (!outcome.error.empty()) return outcome;
    if (write.error) {
        outcome.error = damagedFile + ": " + write.error->Describe();
        outcome.refusedSigned = write.refusedSigned;
        outcome.refusedInstaller = write.refusedInstaller;
        return outcome;
    }
    const ReplaceOutcome written = ReplaceFileWhole(target, write.bytes, programStat.st_mode & 07777,
                                                    inPlace ? &program : nullptr);
    if (!written.error.empty())
        return systemFailure(written.error, inPlace ? programPath : output, written.systemError);
    if (write.signatureRemoved) outcome.notes.push_back(programPath + ": the digital signature was removed");
    if (write.sectionAdded)
        outcome.notes.push_back(programPath +
                                ": the resources were not in the last section; they now stand in a new last "
                                "section, and the old ones stay in the file unused");
    if (write.overlayKept)
        outcome.notes.push_back(programPath + ": the " + GroupedNumber(write.overlayKept) +
                                " bytes after the last section (data appended to the program, such as an "
                                "installer's payload or a symbol table) were kept, byte for byte, at the end of "
                                "the file");
    if (write.installerCrcUpdated)
        outcome.notes.push_back(programPath +
                                ": it is an installer that checks a CRC of its own file; the CRC was brought up "
                                "to date, so it still installs");
    outcome.ok = true;
    outcome.written = inPlace ? programPath : output;
    outcome.sizeAfter = write.bytes.size();
    return outcome;
}

} // namespace

SetGroupOutcome SetProgramGroup(const SetGroupRequest& request) {
    return EditProgram<SetGroupOutcome>(
        request.program, request.output, request.inPlace,
        [&](ByteView program, SetGroupOutcome& outcome, std::string& damagedFile) -> ResourceWrite {
            // The .ico or .cur, or the PNG images an icon group is made of.
            std::vector<std::string> paths = {request.imageFile};
            paths.insert(paths.end(), request.morePngFiles.begin(), request.morePngFiles.end());
            std::vector<MappedFile> images(paths.size());
            std::vector<ByteView> views;
            for (size_t i = 0; i < paths.size(); ++i) {
                if (!images[i].Open(paths[i])) {
                    outcome.error = images[i].error();
                    outcome.systemError = images[i].systemError();
                    outcome.systemErrorPath = paths[i];
                    return {};
                }
                views.push_back(images[i].bytes());
            }
            const char* wanted = request.kind == GroupKind::Icon ? "an .ico file" : "a .cur file";
            Bytes made;
            ByteView imageBytes = views.front();
            if (request.kind == GroupKind::Icon && IsPng(imageBytes)) {
                PngIcoFile ico = IcoFileFromPngs(views);
                if (ico.error) {
                    outcome.error = paths[ico.failed] + ": " + ico.error->message;
                    return {};
                }
                made = std::move(ico.ico);
                imageBytes = made;
            } else if (paths.size() > 1) {
                outcome.error = "only PNG images are taken more than one at a time; give one " + std::string(wanted);
                return {};
            } else if (const std::string other = OtherImageKind(imageBytes); !other.empty()) {
                outcome.error = request.imageFile + " is " + other + ", not " + wanted;
                return {};
            }
            FileGroupReplace replace = ReplaceGroupInFile(program, request.kind, imageBytes, request.target,
                                                          ResourceWriteOptions{request.stripSignature, request.ignoreInstallerCheck});
            outcome.change = replace.change;
            if (!replace.refusal.empty()) {
                outcome.error = request.program + ": " + replace.refusal;
                return {};
            }
            // Damage in the image file is said of it, anything else of the program.
            if (replace.inImageFile) damagedFile = request.imageFile;
            return std::move(replace.write);
        });
}

SetVersionOutcome SetProgramVersion(const SetVersionRequest& request) {
    // Edits that set nothing are refused before any file is read.
    if (request.Empty()) {
        SetVersionOutcome nothing;
        nothing.error = kNoVersionEdits;
        return nothing;
    }
    return EditProgram<SetVersionOutcome>(
        request.program, request.output, request.inPlace,
        [&](ByteView program, SetVersionOutcome& outcome, std::string&) -> ResourceWrite {
            FileVersionReplace replace = ReplaceVersionInFile(
                program, request, ResourceWriteOptions{request.stripSignature, request.ignoreInstallerCheck});
            outcome.created = replace.created;
            outcome.language = replace.language;
            if (!replace.refusal.empty()) {
                outcome.error = replace.refusal;
                return {};
            }
            return std::move(replace.write);
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
    out = ResourceKey::Named(text);
    return !out.name.empty() && out.name.size() <= 0xFFFF;
}

} // namespace gw
