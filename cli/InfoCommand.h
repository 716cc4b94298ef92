#pragma once
// grabwell-cli info: what each file holds, as text or one JSON object a line.
#include <string>
#include <vector>

namespace gw::cli {

// Kind, counts, groups, images, bitmaps and animated cursors of each file;
// decode also decodes every image. 1 when a file is unreadable or damaged.
int RunInfo(const std::vector<std::string>& paths, bool asJson, bool decode);

// Only the kind and the counts the explorer shows: touches the headers and
// resource directories, never the images. 1 on damage, as RunInfo.
int RunCounts(const std::vector<std::string>& paths, bool asJson);

} // namespace gw::cli
