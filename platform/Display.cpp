#include "platform/Display.h"

#include <atomic>

namespace gw::Display {
namespace {
std::atomic<int> g_depth{32};
std::atomic<int> g_large{32};
std::atomic<int> g_small{16};
} // namespace

int Depth() { return g_depth; }
void SetDepth(int bitsPerPixel) { g_depth = bitsPerPixel; }
int LargeIconSize() { return g_large; }
int SmallIconSize() { return g_small; }
void SetIconSizes(int large, int small) {
    g_large = large;
    g_small = small;
}

} // namespace gw::Display
