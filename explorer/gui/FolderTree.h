#pragma once
// The explorer's folder tree: folders only, "/" as the single top row, each
// folder's sub-folders listed the first time they are needed. The folders
// whose rows are shown (expanded in the view) are watched; a change only
// marks its folder, and the marked folders' sub-folder names are read again
// at most once a second. When a folder's names are the same, the view hears
// nothing; otherwise only the rows that changed are removed or inserted, so
// the selection and the expanded rows stay. A folder that other programs keep
// changing (a temporary folder) costs one listing of names a second, never a
// look at each of its files.
#include <QAbstractItemModel>
#include <QIcon>
#include <QPointer>
#include <QSet>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QFileSystemWatcher;
class QTimer;
class QTreeView;

namespace gw {

class FolderTree : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderTree(QObject* parent = nullptr);
    ~FolderTree() override;

    // The row of a folder, listing the folders on the way to it. Invalid when
    // the path is not absolute, does not exist or passes a hidden folder.
    QModelIndex index(const QString& path) const;
    // The same for a path in the file system's bytes.
    QModelIndex IndexOfLocal(const std::string& path) const;
    // The folder of a row as text (names that are not UTF-8 show replacement
    // characters) and in the file system's bytes, which always open it.
    QString filePath(const QModelIndex& index) const;
    std::string LocalPath(const QModelIndex& index) const;

    // Watches the folders the view shows the rows of (those it expands) and,
    // before a row goes, moves the view's current row off it to the nearest
    // folder that stays.
    void FollowView(QTreeView* view);

    // How many folders have been read again because they changed; for tests.
    int Relistings() const { return m_relistings; }
    // The folders watched for changes (those waiting to be read again too).
    QStringList WatchedFolders() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // A folder's sub-folders have been listed for the first time.
    void directoryLoaded(const QString& path);

private:
    struct Node;

    Node* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const Node* node) const;
    // Lists a node's sub-folders if that was not done yet.
    void List(Node* node);
    // The listed node at a path, without listing anything; null if none.
    Node* FindListed(const std::string& path) const;
    Node* ChildNamed(const Node* node, const std::string& name) const;
    void Watch(const QModelIndex& index, bool watch);
    void Unwatch(const Node* node); // the node and every folder below it
    void StopWatching(const QString& path);
    void Changed(const QString& path);
    void RelistMarked();
    void MoveCurrentOffRemoved(const std::vector<std::pair<std::string, std::vector<std::string>>>& listings);

    std::unique_ptr<Node> m_top; // holds "/" as its only child
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_relist = nullptr;
    QSet<QString> m_marked;      // watched folders changed since the last re-reading
    QSet<QString> m_paused;      // marked folders not watched until they are read again
    QPointer<QTreeView> m_view;
    QIcon m_folderIcon;
    QIcon m_driveIcon;
    bool m_relisting = false;
    int m_relistings = 0;
};

} // namespace gw
