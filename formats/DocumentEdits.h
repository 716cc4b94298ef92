#pragma once
// The records of an open document as Grabwell's own windows change them
// (a workdesk's bitmaps decoded on demand, an edited group): the public
// document hands its records out read-only.

namespace gw {

class Document;
struct FileContents;

FileContents& EditContents(Document& document);

} // namespace gw
