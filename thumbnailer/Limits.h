#pragma once
// The limits the thumbnailer runs under: it reads files nobody chose to
// open, so a file that makes it hungry or slow ends it rather than the
// session that started it.
#include <cstdint>

namespace gw {

// Address space beyond the mapping of the input file (not set in builds
// with the address sanitizer, which reserves terabytes of shadow memory).
constexpr uint64_t kThumbnailerMemoryBytes = uint64_t(512) << 20;
// Processor time (the soft limit; the hard one is a second later).
constexpr unsigned kThumbnailerCpuSeconds = 5;
// Time on the clock.
constexpr unsigned kThumbnailerWallSeconds = 10;

// Sets the three limits for this process: inputSize bytes of address space
// for the input's mapping come on top of the memory limit. False when a
// limit could not be set.
bool LimitThumbnailer(uint64_t inputSize);

// Before the output is written: the clock's and the processor's limits no
// longer end the process, so that it is never ended between writing the
// temporary file and renaming it.
void ShieldOutputWrite();

} // namespace gw
