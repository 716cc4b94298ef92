#pragma once
// The seed corpus of every fuzz harness, made by the same fixture builders
// the tests use: grabwell-fuzz-seeds writes it for the fuzzers, and the test
// run replays it for every harness no fuzzer has yet found an input against.
#include <map>
#include <string>
#include <vector>

#include "platform/ByteReader.h"

namespace gw::fuzz {

// Harness name -> its seed inputs, in a fixed order.
std::map<std::string, std::vector<Bytes>> SeedInputs();

} // namespace gw::fuzz
