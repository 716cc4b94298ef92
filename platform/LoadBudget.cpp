#include "platform/LoadBudget.h"

#include <algorithm>

namespace gw {

namespace {

struct Remaining {
    bool active = false;
    uint64_t bytes = 0;
};

thread_local Remaining t_budget;

} // namespace

LoadBudget::LoadBudget(uint64_t fileSize) {
    if (t_budget.active) return;
    // No file is near this cap; it only keeps the sum inside 64 bits.
    const uint64_t perByte = std::min(fileSize, UINT64_MAX / 32) * kLoadBudgetPerFileByte;
    t_budget = {true, kLoadBudgetBaseBytes + perByte};
    m_installed = true;
}

LoadBudget::~LoadBudget() {
    if (m_installed) t_budget = {};
}

bool SpendLoadBudget(uint64_t bytes) {
    if (!t_budget.active) return true;
    if (bytes > t_budget.bytes) return false;
    t_budget.bytes -= bytes;
    return true;
}

} // namespace gw
