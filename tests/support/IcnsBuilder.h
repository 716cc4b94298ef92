#pragma once
// Icon families (.icns) built element by element, with the run-length
// packing of their 24-bit and ARGB images, for the reader's tests and the
// fuzzer's seeds.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ByteReader.h"

namespace gw::test {

// "icns", the family's length, then each (type, data) element.
Bytes BuildIcns(const std::vector<std::pair<std::string, Bytes>>& elements);

// Packs planes of bytes as the 24-bit and ARGB images store them: runs of
// three or more equal bytes repeated, the rest copied.
Bytes PackPlanes(const std::vector<Bytes>& planes);

// The planes of w x h ARGB pixels: alpha, red, green, blue.
std::vector<Bytes> ArgbPlanes(int w, int h, const std::function<uint32_t(int x, int y)>& argb);

// A family of one image of each way of storing one: ics# (1-bit with its
// mask), ics4 and ics8 (the classic palettes, masked by ics#), is32 with
// s8mk, ic04 as packed ARGB and ic07 as PNG, with a table of contents and a
// name element that are not images.
Bytes SampleIconFamily();

} // namespace gw::test
