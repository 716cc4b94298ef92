#pragma once
// What the workdesks' "File Information..." says of a file: its kind and
// counts, where its images come from, its version information, the
// languages its resources are held in, and its damage, as lines of text.
#include <set>
#include <string>

#include "formats/Document.h"

namespace gw {

// Reads what it needs (the records and the version information); lines end
// with "\n".
std::string FileInformationText(Document& doc);

// Every language a record of the file is held in, when any record's
// language is worth saying (held in several, or in one other than neutral):
// what a language choice offers. Reads the records.
std::set<uint16_t> LanguagesHeld(Document& doc);
// The same for the records of one kind (what a workdesk shows).
std::set<uint16_t> LanguagesHeld(Document& doc, RecordKind kind);

} // namespace gw
