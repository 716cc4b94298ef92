#pragma once
// Stands in for the program's owner of the viewer windows: keeps every
// request a window makes and hands it to `open`, when set.
#include <functional>
#include <vector>

#include "gui/ViewRequest.h"

namespace gw::test {

struct RecordingViewers : Viewers {
    std::vector<ViewRequest> requests;
    std::function<void(const ViewRequest&)> open;

    void Open(const ViewRequest& request) override {
        requests.push_back(request);
        if (open) open(request);
    }
};

} // namespace gw::test
