#include "cli/CliCommon.h"

#include <iostream>

namespace gw::cli {

void Complain(const std::string& path, const std::string& what) {
    std::cerr << "grabwell-cli: " << path << ": " << what << "\n";
}

std::shared_ptr<Document> OpenOrComplain(const std::string& path) {
    auto opened = Document::Open(path);
    if (opened->Readable()) return opened;
    Complain(path, NothingShownReason(*opened, "cannot be read"));
    return nullptr;
}

bool ComplainOfDamage(const Document& file) {
    for (const ReadError& e : file.Errors()) Complain(file.Path(), e.Describe());
    return file.Damaged();
}

} // namespace gw::cli
