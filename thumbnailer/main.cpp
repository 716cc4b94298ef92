// grabwell-thumbnailer: a PNG picture of a file's first icon, for the file
// managers' thumbnail convention (grabwell-thumbnailer -s SIZE INPUT OUTPUT).
// Exit status: 0 written, 1 no thumbnail (nothing written), 2 usage error.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "platform/FileIo.h"
#include "thumbnailer/Limits.h"
#include "thumbnailer/Thumbnail.h"

namespace {

constexpr const char* kUsage =
    "usage: grabwell-thumbnailer [-s SIZE] INPUT OUTPUT\n"
    "Writes OUTPUT, a PNG picture of at most SIZE x SIZE pixels (1..4096, default 128)\n"
    "of the first icon of INPUT: an executable or library (PE or NE), an icon library,\n"
    "a compiled resource file, an icon file, a cursor file (its first cursor), or a\n"
    "Windows shortcut (the icon it shows, found through the Wine prefix it lies in).\n"
    "Exit status: 0 written, 1 no picture (nothing written), 2 usage error.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// A size of decimal digits only, within 1..kMaxThumbnailSize; 0 otherwise.
int ParseSize(const char* text) {
    if (!*text || std::strlen(text) > 4) return 0;
    int n = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return 0;
        n = n * 10 + (*p - '0');
    }
    return n >= 1 && n <= gw::kMaxThumbnailSize ? n : 0;
}

} // namespace

int main(int argc, char** argv) {
    int size = gw::kDefaultThumbnailSize;
    std::vector<std::string> files;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (options && std::strcmp(a, "--") == 0) {
            options = false;
        } else if (options && (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0)) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (options && std::strcmp(a, "--version") == 0) {
            std::printf("grabwell-thumbnailer %s\n", GRABWELL_VERSION);
            return 0;
        } else if (options && std::strncmp(a, "-s", 2) == 0) {
            const char* value = a[2] ? a + 2 : (i + 1 < argc ? argv[++i] : "");
            if (!(size = ParseSize(value))) return Usage();
        } else if (options && a[0] == '-' && a[1]) {
            return Usage();
        } else {
            files.emplace_back(a);
        }
    }
    if (files.size() != 2) return Usage();
    const std::string& input = files[0];
    const std::string& output = files[1];

    struct stat st {};
    const uint64_t inputSize = ::stat(input.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0;
    gw::LimitThumbnailer(inputSize);

    std::string why;
    std::optional<gw::Bytes> png;
    try {
        png = gw::ThumbnailPng(input, size, &why);
    } catch (const std::exception& e) {
        why = e.what();
    }
    if (!png) {
        std::fprintf(stderr, "grabwell-thumbnailer: %s: %s\n", input.c_str(), why.c_str());
        return 1;
    }
    gw::ShieldOutputWrite();
    const std::string error = gw::WriteFileAtomic(output, *png);
    if (!error.empty()) {
        std::fprintf(stderr, "grabwell-thumbnailer: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
