// libFuzzer entry point; the harness itself is shared with the regression replay.
#include "fuzz/Harnesses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return gw::fuzz::FuzzIconFamily(data, size); }
