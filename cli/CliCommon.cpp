#include "cli/CliCommon.h"

#include <iostream>

namespace gw::cli {

void Complain(const std::string& path, const std::string& what) {
    std::cerr << "grabwell-cli: " << path << ": " << what << "\n";
}

std::shared_ptr<Document> OpenOrComplain(const std::string& path) {
    auto opened = Document::Open(path);
    if (opened->Readable()) return opened;
    Complain(path, opened->OpenError());
    return nullptr;
}

bool ComplainOfDamage(const Document& file, const LoadResult& result) {
    for (const ReadError& e : file.Errors()) Complain(file.Path(), e.Describe());
    if (!file.Damaged() && !result.ok) Complain(file.Path(), result.error);
    return file.Damaged() || !result.ok;
}

} // namespace gw::cli
