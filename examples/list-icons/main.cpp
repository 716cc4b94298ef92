// Lists the icon groups of a file (name, then each image's size and colour
// depth) and writes its first icon as a PNG of SIZE x SIZE pixels (32 unless
// given). Damage the reads found goes to standard error, and exit status 1.
//   list-icons FILE [OUT.png [SIZE]]
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <grabwell/grabwell.h>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: list-icons FILE [OUT.png [SIZE]]\n");
        return 2;
    }
    std::shared_ptr<gw::Document> doc = gw::Document::Open(argv[1]);
    doc->Load(gw::RecordKind::Icons);
    std::printf("%s: %s, %d icon groups\n", argv[1], gw::FileKindText(doc->Kind()), doc->Counts().iconGroups);
    for (const gw::IconGroup& group : doc->Contents().IconGroups) {
        if (group.Name.empty() && group.Images.empty()) continue; // an entry the read did not reach
        std::printf("%s%s\n", group.Name.c_str(), group.Named ? "" : " (id)");
        for (const gw::IconImage& image : group.Images)
            std::printf("  %ux%u, %u bits%s\n", gw::DrawnSide(image.Width), gw::DrawnSide(image.Height),
                        unsigned(image.BitCount), image.Missing ? " (missing)" : "");
    }
    bool ok = doc->Errors().empty();
    for (const gw::ReadError& error : doc->Errors())
        std::fprintf(stderr, "damaged: %s\n", error.Describe().c_str());

    if (argc >= 3) {
        const int size = argc == 4 ? std::atoi(argv[3]) : 32;
        gw::FirstIcon first = gw::ExtractFirstIcon(*doc, size);
        gw::Bytes png = first.kind == gw::FirstIconKind::Icon ? gw::IconImagePng(*first.icon) : gw::Bytes{};
        if (png.empty()) {
            std::fprintf(stderr, "%s: no icon to write\n", argv[1]);
            return 1;
        }
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "%s: cannot write\n", argv[2]);
            return 1;
        }
    }
    return ok ? 0 : 1;
}
