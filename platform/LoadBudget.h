#pragma once
// What the load of one file may spend, in all, on copies of image bytes and
// on decoded pixels.
//
// Each image on its own is bounded by the bytes it is read from. But the
// directory entries of a group only point at image data, and any number of
// them may point at the same bytes: a few kilobytes of entries over one large
// image would cost their count times its size, in memory and in time. A
// budget set up for a load makes every copy and every decode draw from one
// amount that grows linearly with the file. What no longer fits is treated
// as what it resembles: an image that does not decode, or the end of a
// damaged group.
#include <cstdint>

namespace gw {

// A file may spend this much plus kLoadBudgetPerFileByte for each of its
// bytes. The base covers every real icon library seen (a few hundred groups
// of 256x256 images); the share per byte covers files of large images.
constexpr uint64_t kLoadBudgetBaseBytes = uint64_t(128) << 20;
constexpr uint64_t kLoadBudgetPerFileByte = 16;

// The budget of the loads run on this thread while it exists. When a budget
// is already in place (a load inside a larger one), this one adds nothing and
// the outer amount stays the one drawn from.
class LoadBudget {
public:
    explicit LoadBudget(uint64_t fileSize);
    ~LoadBudget();
    LoadBudget(const LoadBudget&) = delete;
    LoadBudget& operator=(const LoadBudget&) = delete;

private:
    bool m_installed = false;
};

// Takes bytes from this thread's load budget: false, taking nothing, when
// they do not fit. Always true when no load budget is in place.
bool SpendLoadBudget(uint64_t bytes);

} // namespace gw
