#pragma once
// The pictures and type texts of folders: a folder tree holds folders only,
// so every row shares one folder picture (and the root one drive picture),
// looked up in the icon theme once rather than for every row.
#include <QAbstractFileIconProvider>
#include <QIcon>

namespace gw {

class FolderIconProvider : public QAbstractFileIconProvider {
public:
    FolderIconProvider();
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

private:
    QIcon m_folder;
    QIcon m_drive;
};

} // namespace gw
