#pragma once
// Paths between the core (bytes, as the file system stores them) and Qt
// (QString), through the locale's file-name encoding. A name that is not
// valid UTF-8 does not survive the way there and back (Qt turns its stray
// bytes into U+FFFD): what must open such a file keeps the path's bytes, as
// the explorer's lists and ToLocalLike below do.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

namespace gw {

inline QString FromLocal(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
inline std::string ToLocal(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The bytes of a path the user chose in a dialog that was offered `offered`.
// Qt shows bytes that are not UTF-8 as U+FFFD and cannot give them back, so
// the folder and the name the user kept keep the offered bytes (and a name
// the dialog only completed with a suffix keeps its start); what was typed
// anew is encoded as usual.
inline std::string ToLocalLike(const QString& chosen, const std::string& offered) {
    const qsizetype slash = chosen.lastIndexOf('/');
    const size_t offeredSlash = offered.find_last_of('/');
    const std::string offeredFolder = offeredSlash == std::string::npos ? std::string() : offered.substr(0, offeredSlash);
    const std::string offeredName = offeredSlash == std::string::npos ? offered : offered.substr(offeredSlash + 1);
    const QString chosenFolder = slash < 0 ? QString() : chosen.first(slash);
    const QString chosenName = slash < 0 ? chosen : chosen.sliced(slash + 1);
    const std::string folder = FromLocal(offeredFolder) == chosenFolder ? offeredFolder : ToLocal(chosenFolder);
    const QString kept = FromLocal(offeredName);
    const std::string name = !kept.isEmpty() && chosenName.startsWith(kept)
                                 ? offeredName + ToLocal(chosenName.sliced(kept.size()))
                                 : ToLocal(chosenName);
    return slash < 0 ? name : folder + "/" + name;
}

} // namespace gw
