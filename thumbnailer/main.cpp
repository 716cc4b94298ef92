// grabwell-thumbnailer: a PNG picture of a file's first icon, for the file
// managers' thumbnail convention (grabwell-thumbnailer -s SIZE INPUT OUTPUT).
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("grabwell-thumbnailer %s\n", GRABWELL_VERSION);
        return 0;
    }
    std::fprintf(stderr, "usage: grabwell-thumbnailer [-s SIZE] INPUT OUTPUT\n");
    return 2;
}
