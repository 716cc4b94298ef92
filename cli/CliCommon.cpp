#include "cli/CliCommon.h"

#include <iostream>

namespace gw::cli {

std::string ComplaintText(const std::string& path, const std::string& what) {
    return "grabwell-cli: " + path + ": " + what + "\n";
}

void Complain(const std::string& path, const std::string& what) { std::cerr << ComplaintText(path, what); }

std::string DamageText(const Document& file) {
    std::string text;
    for (const ReadError& e : file.Errors()) text += ComplaintText(file.Path(), e.Describe());
    return text;
}

bool ComplainOfDamage(const Document& file) {
    std::cerr << DamageText(file);
    return file.Damaged();
}

} // namespace gw::cli
