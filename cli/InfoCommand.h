#pragma once
// grabwell-cli info: what each file holds, as text or one JSON object a line,
// over the arguments, a list of names and folder trees, several files at a
// time but always said in the order the names came.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/FileList.h"

namespace gw::cli {

enum class InfoOutput {
    Text,
    Json,      // one object per line for each file that could be opened
    JsonLines, // one object per line for every name, an unreadable one too
};

struct InfoRequest {
    FileListRequest files;
    InfoOutput output = InfoOutput::Text;
    // Only the kind and the counts the explorer shows: touches the headers
    // and resource directories, never the images (unless hash asks for the
    // icon groups).
    bool counts = false;
    bool decode = false; // decode every image and say whether it decodes
    bool hash = false;   // the fingerprints of each file's icon
    // The language (LANGID) records are shown in when they are held in it.
    std::optional<uint16_t> language;
    // Files read at the same time (at least 1).
    unsigned jobs = 1;
};

// Describes each file on standard output and says what is wrong with it on
// standard error, both in the order of the names. 1 when a file was
// unreadable or damaged (or the list could not be read), else 0.
int RunInfo(const InfoRequest& request);

} // namespace gw::cli
