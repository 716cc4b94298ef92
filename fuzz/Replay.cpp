#include "fuzz/Replay.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace gw::fuzz {

int ReplayMain(int argc, char** argv, const std::vector<Harness>& harnesses) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s HARNESS FILE...\nharnesses:", argc > 0 ? argv[0] : "replay");
        for (const Harness& h : harnesses) std::fprintf(stderr, " %s", h.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    const Harness* harness = nullptr;
    for (const Harness& h : harnesses)
        if (std::strcmp(h.name, argv[1]) == 0) harness = &h;
    if (!harness) {
        std::fprintf(stderr, "no harness named %s\n", argv[1]);
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read %s\n", harness->name, argv[i]);
            return 2;
        }
        const std::vector<char> read((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // A buffer of exactly the input's size, as libFuzzer gives: a read one
        // byte past the end is caught under AddressSanitizer, which a vector's
        // spare capacity would hide.
        const std::unique_ptr<uint8_t[]> bytes(new uint8_t[read.size()]);
        if (!read.empty()) std::memcpy(bytes.get(), read.data(), read.size());
        const int status = harness->run(bytes.get(), read.size());
        if (status != 0) {
            std::fprintf(stderr, "%s: %s: the harness returned %d\n", harness->name, argv[i], status);
            return 1;
        }
    }
    return 0;
}

} // namespace gw::fuzz
