#include "listing/FolderNames.h"

#include <algorithm>

#include "platform/Paths.h"

namespace gw {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
unsigned char Folded(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : static_cast<unsigned char>(c); }

// Adds a name to the run that ends just before index, or starts a new run.
void AddToRuns(std::vector<FolderNameEdits::Run>& runs, size_t index, const std::string& name) {
    if (runs.empty() || runs.back().first + runs.back().names.size() != index) runs.push_back({index, {}});
    runs.back().names.push_back(name);
}

} // namespace

int CompareFolderNames(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            // Compare the runs of digits by value: leading zeros skipped, then
            // the longer run is the larger number, then digit by digit.
            size_t ai = i, bj = j;
            while (ai < a.size() && a[ai] == '0') ++ai;
            while (bj < b.size() && b[bj] == '0') ++bj;
            size_t ae = ai, be = bj;
            while (ae < a.size() && IsDigit(a[ae])) ++ae;
            while (be < b.size() && IsDigit(b[be])) ++be;
            if (ae - ai != be - bj) return ae - ai < be - bj ? -1 : 1;
            for (; ai < ae; ++ai, ++bj)
                if (a[ai] != b[bj]) return a[ai] < b[bj] ? -1 : 1;
            i = ae;
            j = be;
            continue;
        }
        const unsigned char ca = Folded(a[i]), cb = Folded(b[j]);
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
    return a.compare(b) < 0 ? -1 : a == b ? 0 : 1; // "A" and "a", "1" and "01": byte order decides
}

std::vector<std::string> SubfolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (FolderEntry& entry : ListFolder(folder))
        if (entry.IsFolder() && !IsHiddenName(entry.name)) names.push_back(std::move(entry.name));
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareFolderNames(a, b) < 0; });
    return names;
}

FolderNameEdits DiffFolderNames(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    FolderNameEdits edits;
    size_t i = 0, j = 0;
    while (i < before.size() || j < after.size()) {
        const int order = i == before.size() ? 1 : j == after.size() ? -1 : CompareFolderNames(before[i], after[j]);
        if (order == 0) {
            ++i;
            ++j;
        } else if (order < 0) {
            AddToRuns(edits.removed, i, before[i]);
            ++i;
        } else {
            AddToRuns(edits.inserted, j, after[j]);
            ++j;
        }
    }
    return edits;
}

} // namespace gw
