// grabwell-bench: measurements of the readers, decoders, writers and the rescaler.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
