#pragma once
// The pictures and type texts of the folder tree. The tree holds folders
// only, so every row shares one folder picture, looked up in the icon theme
// once; the toolkit's own provider looks the theme up again for every row
// each time a watched folder changes, which keeps a window busy while another
// program churns files in a folder on screen.
#include <QAbstractFileIconProvider>
#include <QIcon>
#include <QObject>

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

// The provider as a child of the window that shows the tree: made after the
// model, it is deleted after it (children go in the order they were made),
// so the model's background reader never asks a provider that is gone.
class FolderIcons : public QObject {
public:
    using QObject::QObject;
    FolderIconProvider* Provider() { return &m_provider; }

private:
    FolderIconProvider m_provider;
};

} // namespace gw
