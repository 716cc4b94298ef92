#pragma once
// What the commands of grabwell-cli share: the exit statuses, and how a file
// that cannot be read, or is damaged, is said on standard error.
#include <memory>
#include <string>

#include "formats/FileContents.h"
#include "formats/Document.h"

namespace gw::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// "grabwell-cli: <path>: <what>" on standard error.
void Complain(const std::string& path, const std::string& what);
// The same line as text (with its line break), for saying it later.
std::string ComplaintText(const std::string& path, const std::string& what);

// Says what reading a file found wrong and where; false when it found
// nothing.
bool ComplainOfDamage(const Document& file);
// Those complaints as text, one line each; empty when it found nothing.
std::string DamageText(const Document& file);

} // namespace gw::cli
