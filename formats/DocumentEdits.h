#pragma once
// The records of an open document as Grabwell's own windows change them
// (a workdesk's bitmaps decoded on demand, an edited group): the public
// document hands its records out read-only.
#include "formats/Document.h"

namespace gw {

FileContents& EditContents(Document& document);

} // namespace gw
