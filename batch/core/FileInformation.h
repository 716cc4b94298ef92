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

// When the language the document is read in (Document::SetLanguage) is held
// by none of its records, so that each was read in its first language
// instead: the language asked, those used and those the file holds, e.g.
// "German (Germany), 0x0407 is not in the file; used English (United
// States), 0x0409 instead (the file holds English (United States), 0x0409)".
// Empty when no language was asked, a record holds it, or the file tells no
// languages (NE files, 16-bit resource files). Reads every record.
std::string LanguageNotHeldText(Document& doc);

} // namespace gw
