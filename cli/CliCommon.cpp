#include "cli/CliCommon.h"

#include <iostream>

namespace gw::cli {

void Complain(const std::string& path, const std::string& what) {
    std::cerr << "grabwell-cli: " << path << ": " << what << "\n";
}

std::shared_ptr<OpenedFile> OpenOrComplain(const std::string& path) {
    auto opened = OpenedFile::Open(path);
    if (opened->Readable()) return opened;
    Complain(path, opened->OpenError());
    return nullptr;
}

bool ComplainOfDamage(const OpenedFile& file, const LoadResult& result) {
    for (const ReadError& e : file.Errors()) Complain(file.Path(), e.Describe());
    if (!file.Damaged() && !result.ok) Complain(file.Path(), result.error);
    return file.Damaged() || !result.ok;
}

} // namespace gw::cli
