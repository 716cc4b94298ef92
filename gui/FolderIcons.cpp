#include "gui/FolderIcons.h"

#include <QFileIconProvider>
#include <QFileInfo>

namespace gw {

FolderIconProvider::FolderIconProvider() {
    const QFileIconProvider theme;
    m_folder = theme.icon(QAbstractFileIconProvider::Folder);
    m_drive = theme.icon(QAbstractFileIconProvider::Drive);
}

QIcon FolderIconProvider::icon(IconType type) const { return type == Drive || type == Computer ? m_drive : m_folder; }

// The root stands for the whole file system, as a drive does; everything
// else the tree shows is a folder.
QIcon FolderIconProvider::icon(const QFileInfo& info) const { return info.isRoot() ? m_drive : m_folder; }

QString FolderIconProvider::type(const QFileInfo& info) const { return info.isRoot() ? "Drive" : "Folder"; }

} // namespace gw
