#pragma once
// Paths between the core (bytes, as the file system stores them) and Qt
// (QString): through the locale's file-name encoding, so that a name that is
// not valid UTF-8 still opens the file it names.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

namespace gw {

inline QString FromLocal(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
inline std::string ToLocal(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace gw
