// A replay program with one harness, "planted", for the tests of the fuzz
// replay itself: it crashes, hangs or fails on the inputs planted for it
// and passes every other. It is built apart from the real harnesses, so no
// input to those can reach it.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "fuzz/Replay.h"

namespace {

int Planted(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input == "null-write") {
        volatile int* volatile target = nullptr;
        *target = 1;
    }
    if (input == "abort") std::abort();
    if (input == "hang")
        for (;;) ::pause();
    if (input == "fail") return 1;
    return 0;
}

} // namespace

int main(int argc, char** argv) { return gw::fuzz::ReplayMain(argc, argv, {{"planted", Planted}}); }
