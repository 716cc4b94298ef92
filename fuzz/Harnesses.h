#pragma once
// The fuzz harnesses, one per entry point a file reaches. Each takes any
// bytes and must return without a crash, a hang, a sanitizer report or an
// allocation beyond its limits. The libFuzzer programs (fuzz_*.cpp) call
// them, and the ordinary test run replays every input kept under
// tests/fuzz-regressions/<name>/ through them.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gw::fuzz {

int FuzzFileKind(const uint8_t* data, size_t size);
int FuzzIco(const uint8_t* data, size_t size);
int FuzzCur(const uint8_t* data, size_t size);
int FuzzBmp(const uint8_t* data, size_t size);
int FuzzIconImage(const uint8_t* data, size_t size);
int FuzzPng(const uint8_t* data, size_t size);
int FuzzNe(const uint8_t* data, size_t size);
int FuzzPe(const uint8_t* data, size_t size);
int FuzzRes(const uint8_t* data, size_t size);
int FuzzExtractIcon(const uint8_t* data, size_t size);
int FuzzRoundTrip(const uint8_t* data, size_t size);
int FuzzThumbnail(const uint8_t* data, size_t size);
int FuzzOpened(const uint8_t* data, size_t size);
int FuzzAni(const uint8_t* data, size_t size);
int FuzzResourceRewrite(const uint8_t* data, size_t size);
int FuzzMui(const uint8_t* data, size_t size);
int FuzzVersionInfo(const uint8_t* data, size_t size);
int FuzzShellLink(const uint8_t* data, size_t size);
int FuzzIconFamily(const uint8_t* data, size_t size);

struct Harness {
    const char* name;
    int (*run)(const uint8_t* data, size_t size);
};
const std::vector<Harness>& Harnesses();

} // namespace gw::fuzz
