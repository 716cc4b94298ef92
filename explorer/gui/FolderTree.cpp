#include "explorer/gui/FolderTree.h"

#include <QFileSystemWatcher>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <map>

#include "gui/FolderIcons.h"
#include "gui/LocalPaths.h"
#include "listing/FolderNames.h"
#include "platform/Paths.h"

namespace gw {

namespace {
// How long after a watched folder first changes its names are read again;
// changes in between are read with it.
constexpr int kRelistDelayMs = 1000;
} // namespace

struct FolderTree::Node {
    std::string name; // the file system's bytes; "/" for the top row
    QString shown;    // the name as the row shows it
    Node* parent = nullptr;
    int row = 0;
    bool listed = false;
    bool watched = false;
    std::vector<std::unique_ptr<Node>> children; // sorted by CompareFolderNames

    std::string Path() const {
        if (!parent || !parent->parent) return name; // the top row, "/"
        return JoinPath(parent->Path(), name);
    }
    void Renumber() {
        for (size_t i = 0; i < children.size(); ++i) children[i]->row = int(i);
    }
    static std::unique_ptr<Node> Make(const std::string& name, Node* parent) {
        auto node = std::make_unique<Node>();
        node->name = name;
        node->shown = FromLocal(name);
        node->parent = parent;
        return node;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        names.reserve(children.size());
        for (const auto& child : children) names.push_back(child->name);
        return names;
    }
};

FolderTree::FolderTree(QObject* parent) : QAbstractItemModel(parent), m_top(std::make_unique<Node>()) {
    setObjectName("DTree1Model");
    const FolderIconProvider pictures;
    m_folderIcon = pictures.icon(QAbstractFileIconProvider::Folder);
    m_driveIcon = pictures.icon(QAbstractFileIconProvider::Drive);
    m_top->listed = true;
    m_top->children.push_back(Node::Make("/", m_top.get()));

    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderTree::Changed);
    m_relist = new QTimer(this);
    m_relist->setSingleShot(true);
    m_relist->setInterval(kRelistDelayMs);
    connect(m_relist, &QTimer::timeout, this, &FolderTree::RelistMarked);
}

FolderTree::~FolderTree() = default;

// ---- the model ----

FolderTree::Node* FolderTree::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_top.get();
}

QModelIndex FolderTree::IndexOf(const Node* node) const {
    if (!node || node == m_top.get()) return {};
    return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex FolderTree::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = NodeOf(parent);
    if (column != 0 || row < 0 || size_t(row) >= node->children.size()) return {};
    return createIndex(row, 0, node->children[row].get());
}

QModelIndex FolderTree::parent(const QModelIndex& child) const {
    return child.isValid() ? IndexOf(NodeOf(child)->parent) : QModelIndex();
}

int FolderTree::rowCount(const QModelIndex& parent) const {
    return parent.column() > 0 ? 0 : int(NodeOf(parent)->children.size());
}

int FolderTree::columnCount(const QModelIndex&) const { return 1; }

// A folder not listed yet may have sub-folders: the view offers to expand it.
bool FolderTree::hasChildren(const QModelIndex& parent) const {
    const Node* node = NodeOf(parent);
    return !node->listed || !node->children.empty();
}

bool FolderTree::canFetchMore(const QModelIndex& parent) const { return !NodeOf(parent)->listed; }

void FolderTree::fetchMore(const QModelIndex& parent) { List(NodeOf(parent)); }

QVariant FolderTree::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const Node* node = NodeOf(index);
    if (role == Qt::DisplayRole) return node->shown;
    if (role == Qt::DecorationRole) return node->parent == m_top.get() ? m_driveIcon : m_folderIcon;
    return {};
}

Qt::ItemFlags FolderTree::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

// ---- paths ----

void FolderTree::List(Node* node) {
    if (node->listed) return;
    node->listed = true;
    const std::string path = node->Path();
    const std::vector<std::string> names = SubfolderNames(path);
    if (!names.empty()) {
        beginInsertRows(IndexOf(node), 0, int(names.size()) - 1);
        for (const std::string& name : names) node->children.push_back(Node::Make(name, node));
        node->Renumber();
        endInsertRows();
    }
    emit directoryLoaded(FromLocal(path));
}

FolderTree::Node* FolderTree::ChildNamed(const Node* node, const std::string& name) const {
    const auto at = std::lower_bound(node->children.begin(), node->children.end(), name,
                                     [](const std::unique_ptr<Node>& child, const std::string& wanted) {
                                         return CompareFolderNames(child->name, wanted) < 0;
                                     });
    return at != node->children.end() && (*at)->name == name ? at->get() : nullptr;
}

namespace {
// The names of an absolute path, "." left out; empty and false when the path
// is not absolute.
bool SplitPath(const std::string& path, std::vector<std::string>& names) {
    if (path.empty() || path[0] != '/') return false;
    size_t start = 1;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string name = path.substr(start, end - start);
        if (!name.empty() && name != ".") names.push_back(name);
        start = end + 1;
    }
    return true;
}
} // namespace

QModelIndex FolderTree::index(const QString& path) const { return IndexOfLocal(ToLocal(path)); }

QModelIndex FolderTree::IndexOfLocal(const std::string& path) const {
    std::vector<std::string> names;
    if (!SplitPath(path, names)) return {};
    auto* self = const_cast<FolderTree*>(this);
    Node* node = m_top->children.front().get();
    for (const std::string& name : names) {
        if (IsHiddenName(name)) return {}; // ".." too: callers pass clean paths
        self->List(node);
        Node* child = ChildNamed(node, name);
        if (!child) {
            // Made since the folder was listed: add its row now, the others
            // come with the folder's next reading.
            const std::string childPath = JoinPath(node->Path(), name);
            if (!IsFolder(childPath)) return {};
            const auto at = std::lower_bound(node->children.begin(), node->children.end(), name,
                                             [](const std::unique_ptr<Node>& c, const std::string& wanted) {
                                                 return CompareFolderNames(c->name, wanted) < 0;
                                             });
            const int row = int(at - node->children.begin());
            self->beginInsertRows(IndexOf(node), row, row);
            child = node->children.insert(at, Node::Make(name, node))->get();
            node->Renumber();
            self->endInsertRows();
        }
        node = child;
    }
    return IndexOf(node);
}

QString FolderTree::filePath(const QModelIndex& index) const {
    return index.isValid() ? FromLocal(NodeOf(index)->Path()) : QString();
}

std::string FolderTree::LocalPath(const QModelIndex& index) const {
    return index.isValid() ? NodeOf(index)->Path() : std::string();
}

FolderTree::Node* FolderTree::FindListed(const std::string& path) const {
    std::vector<std::string> names;
    if (!SplitPath(path, names)) return nullptr;
    Node* node = m_top->children.front().get();
    for (const std::string& name : names) {
        node = ChildNamed(node, name);
        if (!node) return nullptr;
    }
    return node;
}

// ---- watching ----

void FolderTree::FollowView(QTreeView* view) {
    m_view = view;
    connect(view, &QTreeView::expanded, this, [this](const QModelIndex& index) { Watch(index, true); });
    connect(view, &QTreeView::collapsed, this, [this](const QModelIndex& index) { Watch(index, false); });
}

QStringList FolderTree::WatchedFolders() const {
    QStringList folders = m_watcher->directories();
    for (const QString& path : m_paused) folders.append(path);
    return folders;
}

void FolderTree::Watch(const QModelIndex& index, bool watch) {
    if (!index.isValid() || index.model() != this) return;
    Node* node = NodeOf(index);
    if (node->watched == watch) return;
    node->watched = watch;
    const QString path = FromLocal(node->Path());
    if (!watch) {
        StopWatching(path);
        return;
    }
    // A name that is not UTF-8 cannot be handed to the watcher; that folder
    // is then read again only when it is listed anew.
    if (ToLocal(path) != node->Path()) return;
    if (!node->listed) {
        m_watcher->addPath(path); // before the view lists it
        return;
    }
    // Listed earlier and not watched since: read it again soon, and watch it
    // from just before that reading.
    m_paused.insert(path);
    m_marked.insert(path);
    if (!m_relist->isActive()) m_relist->start();
}

void FolderTree::StopWatching(const QString& path) {
    if (!m_paused.remove(path)) m_watcher->removePath(path);
}

void FolderTree::Unwatch(const Node* node) {
    if (node->watched) StopWatching(FromLocal(node->Path()));
    for (const auto& child : node->children) Unwatch(child.get());
}

// A change only marks the folder: however often it changes, its names are
// read again once when the timer, started by the first change, runs out.
// Until then the folder is not watched, so a folder whose files churn wakes
// the window once per reading, not once per change.
void FolderTree::Changed(const QString& path) {
    m_marked.insert(path);
    if (m_watcher->directories().contains(path)) {
        m_watcher->removePath(path);
        m_paused.insert(path);
    }
    if (!m_relist->isActive()) m_relist->start();
}

void FolderTree::RelistMarked() {
    if (m_relisting) { // a change handled while the selection moved: read it on the next round
        m_relist->start();
        return;
    }
    m_relisting = true;
    const QSet<QString> marked = std::exchange(m_marked, {});
    std::vector<std::string> pending;
    for (const QString& path : marked) {
        pending.push_back(ToLocal(path));
        // Watched again before the names are read: a change after the
        // reading is then seen.
        if (m_paused.remove(path)) {
            const Node* node = FindListed(pending.back());
            if (node && node->watched) m_watcher->addPath(path);
        }
    }

    // The new names of every folder whose names changed. A folder that has
    // gone is left to its parent, which is read instead.
    std::vector<std::pair<std::string, std::vector<std::string>>> listings;
    std::vector<std::string> done;
    while (!pending.empty()) {
        const std::string path = std::move(pending.back());
        pending.pop_back();
        if (std::find(done.begin(), done.end(), path) != done.end()) continue;
        done.push_back(path);
        const Node* node = FindListed(path);
        if (!node || !node->listed) continue;
        if (!IsFolder(path)) {
            if (node->parent != m_top.get()) pending.push_back(node->parent->Path());
            continue;
        }
        std::vector<std::string> names = SubfolderNames(path);
        ++m_relistings;
        if (names != node->Names()) listings.emplace_back(path, std::move(names));
    }

    MoveCurrentOffRemoved(listings);

    for (const auto& [path, names] : listings) {
        Node* node = FindListed(path);
        if (!node || !node->listed) continue;
        const FolderNameEdits edits = DiffFolderNames(node->Names(), names);
        const QModelIndex parent = IndexOf(node);
        for (auto run = edits.removed.rbegin(); run != edits.removed.rend(); ++run) {
            const int first = int(run->first), last = int(run->first + run->names.size()) - 1;
            beginRemoveRows(parent, first, last);
            for (int row = first; row <= last; ++row) Unwatch(node->children[row].get());
            node->children.erase(node->children.begin() + first, node->children.begin() + last + 1);
            node->Renumber();
            endRemoveRows();
        }
        for (const FolderNameEdits::Run& run : edits.inserted) {
            const int first = int(run.first);
            beginInsertRows(parent, first, first + int(run.names.size()) - 1);
            int row = first;
            for (const std::string& name : run.names) node->children.insert(node->children.begin() + row++, Node::Make(name, node));
            node->Renumber();
            endInsertRows();
        }
    }
    m_relisting = false;
}

// When the view's current folder, or a folder above it, is about to go, the
// current row moves to the nearest folder above it that stays, before the
// rows go (the view would otherwise move it to a neighbour).
void FolderTree::MoveCurrentOffRemoved(const std::vector<std::pair<std::string, std::vector<std::string>>>& listings) {
    if (!m_view || listings.empty()) return;
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid() || current.model() != this) return;
    std::vector<const Node*> chain; // from the top row down to the current one
    for (const Node* node = NodeOf(current); node && node != m_top.get(); node = node->parent) chain.push_back(node);
    std::reverse(chain.begin(), chain.end());
    for (size_t i = 1; i < chain.size(); ++i) {
        const std::string parentPath = chain[i - 1]->Path();
        for (const auto& [path, names] : listings) {
            if (path != parentPath) continue;
            const bool stays = std::binary_search(names.begin(), names.end(), chain[i]->name,
                                                  [](const std::string& a, const std::string& b) {
                                                      return CompareFolderNames(a, b) < 0;
                                                  });
            if (!stays) {
                m_view->setCurrentIndex(IndexOf(chain[i - 1]));
                return;
            }
        }
    }
}

} // namespace gw
