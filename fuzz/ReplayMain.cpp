// grabwell-fuzz-replay HARNESS FILE...: one harness over kept inputs, in a
// process of its own. The test run starts it once per input; by hand, it
// replays a fuzzer's finding under a debugger without clang or libFuzzer.
#include "fuzz/Harnesses.h"
#include "fuzz/Replay.h"

int main(int argc, char** argv) { return gw::fuzz::ReplayMain(argc, argv, gw::fuzz::Harnesses()); }
