// Sets a program's icon from an .ico file, as grabwell-cli set-icon does: the
// icon group GROUP of PROGRAM (a number is an id, anything else a name; the
// first group when none is given) takes the images of ICON.ico, and the
// changed program is written to OUT, PROGRAM itself left as it is. What
// changed goes to standard output; what went wrong to standard error, with
// exit status 1 (2 for a wrong command line).
//   set-icon PROGRAM ICON.ico OUT [GROUP]
#include <cstdio>
#include <string>

#include <grabwell/grabwell.h>

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: set-icon PROGRAM ICON.ico OUT [GROUP]\n");
        return 2;
    }
    gw::SetGroupRequest request;
    request.kind = gw::GroupKind::Icon;
    request.program = argv[1];
    request.imageFile = argv[2];
    request.output = argv[3];
    if (argc == 5) {
        gw::ResourceKey name;
        if (!gw::ParseGroupName(argv[4], name)) {
            std::fprintf(stderr, "set-icon: not a group id or name: %s\n", argv[4]);
            return 2;
        }
        request.target.name = name;
    }
    const gw::SetGroupOutcome outcome = gw::SetProgramGroup(request);
    if (!outcome.ok) {
        std::fprintf(stderr, "set-icon: %s\n", outcome.error.c_str());
        return 1;
    }

    // The group, its languages, the images it now names and the old ones
    // that went with it, and the file's size before and after.
    const gw::GroupChange& change = outcome.change;
    std::printf("%s: icon group %s%s\n", outcome.written.c_str(), change.name.Text().c_str(),
                change.created ? " (new)" : "");
    for (uint16_t language : change.languages) std::printf("  language %s\n", gw::LanguageName(language).c_str());
    std::string ids;
    for (uint16_t id : change.imageIds) ids += (ids.empty() ? "" : ", ") + std::to_string(id);
    std::printf("  %zu images (ids %s), %zu old images removed\n", change.imageIds.size(), ids.c_str(),
                change.removedImages);
    std::printf("  %llu -> %llu bytes\n", static_cast<unsigned long long>(outcome.sizeBefore),
                static_cast<unsigned long long>(outcome.sizeAfter));
    for (const std::string& note : outcome.notes) std::printf("  note: %s\n", note.c_str());
    return 0;
}
