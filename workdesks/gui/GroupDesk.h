#pragma once
// What the workdesks share: the list model that draws each group's picture
// for the view shown when the list first asks for it, and the window with
// its menus, tool bar, format box, orders and commands. Each workdesk names
// its controls and plugs in its records; the Bitmap Workdesk leaves out the
// views, the orders and the extract and convert commands.
#include <QAbstractListModel>
#include <QGuiApplication>
#include <QDialog>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <optional>
#include <type_traits>
#include <vector>

#include "batch/core/ActionFlags.h"
#include "batch/core/BatchWriter.h"
#include "formats/FileContents.h"
#include "gui/QtImages.h"
#include "formats/Document.h"
#include "formats/DocumentEdits.h"
#include "gui/DamageReport.h"
#include "gui/ImageTransfer.h"
#include "gui/LocalPaths.h"
#include "gui/ViewRequest.h"
#include "gui/WindowPlaces.h"
#include "pictures/IconExtract.h"
#include "pictures/RowPicture.h"
#include "pictures/Thumbnail.h"
#include "workdesks/core/IconDesk.h"
#include "batch/core/GroupCommands.h"
#include "batch/core/OutputNames.h"

class QAction;
class QComboBox;
class QLabel;
class QListView;
class QMenu;
class QStatusBar;
class QToolBar;
class QToolButton;
class QVBoxLayout;

namespace gw {

class Prompts;

enum class DeskView { Specific, Raw, Desktop, Windows };

// The picture of an icon group at size x size: its best image for that size, scaled.
QImage GroupIcon(const IconGroup& group, int size);
// The widest image of a group that decodes, as stored; null when none does.
template <class Group>
QImage LargestPicture(const Group& group) {
    const std::optional<size_t> best = LargestDecodedImage(group);
    return best ? ToQImage(*group.Images[*best].Handle()) : QImage();
}

// A tile of the given size with its baseline drawn; on a dense screen it
// holds pixelRatio times the pixels, so pictures drawn into it stay sharp.
QPixmap BlankTile(int64_t width, int64_t height, int64_t baseline, qreal pixelRatio = 1);

// The play mark of an animated cursor's picture: a small white triangle on
// a dark disc in the tile's top right corner.
void MarkAnimated(QPixmap& tile);

// The groups of the open file in the list's order, with one picture each for
// the view shown, drawn when the list first asks for it.
template <class Group>
class GroupDeskModel : public QAbstractListModel {
public:
    explicit GroupDeskModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    void SetGroups(const std::vector<Group>* groups) {
        beginResetModel();
        m_groups = groups;
        m_order.clear();
        if (groups)
            for (size_t i = 0; i < groups->size(); ++i) m_order.push_back(i);
        m_strip = groups ? RawStripSize(*groups) : TileSize{};
        m_pictures.assign(groups ? groups->size() : 0, std::nullopt);
        endResetModel();
    }

    // Groups from this index on are animated cursors, shown by their first
    // frame: their pictures carry a play mark and their tooltips say so.
    // Set before SetGroups.
    void SetAnimatedFrom(size_t first) { m_animatedFrom = first; }

    void SetView(DeskView view, const DeskFormat* format) {
        beginResetModel();
        m_view = view;
        m_format = format ? std::optional<DeskFormat>(*format) : std::nullopt;
        std::fill(m_pictures.begin(), m_pictures.end(), std::nullopt);
        endResetModel();
    }

    // The selection and the current item follow their groups to their new
    // rows, so the commands keep acting on the group the user picked.
    void Sort(DeskSortMode mode, const DeskFormat* format) {
        if (!m_groups) return;
        emit layoutAboutToBeChanged();
        const QModelIndexList before = persistentIndexList();
        std::vector<size_t> groupsBefore;
        for (const QModelIndex& index : before) groupsBefore.push_back(m_order[size_t(index.row())]);
        std::stable_sort(m_order.begin(), m_order.end(), [&](size_t a, size_t b) {
            const int byMode = CompareDeskGroups((*m_groups)[a], (*m_groups)[b], mode, format);
            return byMode != 0 ? byMode < 0 : a < b;
        });
        QModelIndexList after;
        for (size_t group : groupsBefore) after.push_back(index(RowOf(group), 0));
        changePersistentIndexList(before, after);
        emit layoutChanged();
    }

    // The row that shows a group (its index in file order); -1 for none.
    int RowOf(size_t group) const {
        const auto at = std::find(m_order.begin(), m_order.end(), group);
        return at == m_order.end() ? -1 : int(at - m_order.begin());
    }

    QSize PictureSize() const {
        switch (m_view) {
        case DeskView::Desktop: return {kLargeTile, kLargeTile};
        case DeskView::Windows: return {kCompositeTile, kCompositeTile};
        case DeskView::Raw:
            return {int(std::max<int64_t>(m_strip.width, 1)), int(std::max<int64_t>(m_strip.height, 1))};
        case DeskView::Specific: {
            if (!m_format) return {kLargeTile, kLargeTile};
            const gw::TileSize t = SpecificTileSize(*m_format);
            return {int(t.width), int(t.height)};
        }
        }
        return {kLargeTile, kLargeTile};
    }

    // The group shown at a row (its index in file order); nullopt for none.
    std::optional<size_t> GroupAt(int row) const {
        if (row < 0 || size_t(row) >= m_order.size()) return std::nullopt;
        return m_order[size_t(row)];
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_order.size()); }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QAbstractListModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const std::optional<size_t> group = GroupAt(index.row());
        if (!group || !m_groups) return {};
        const bool animated = *group >= m_animatedFrom;
        if (role == Qt::DisplayRole) return QString::fromStdString((*m_groups)[*group].Name);
        if (role == Qt::ToolTipRole)
            return ToolTip((*m_groups)[*group]) + (animated ? "\nAnimated: shown by its first frame" : "");
        if (role != Qt::DecorationRole) return {};
        // Drawn when the list first shows the row, then kept for this view.
        std::optional<QPixmap>& picture = m_pictures[*group];
        if (!picture) {
            picture = Draw((*m_groups)[*group]);
            if (animated) MarkAnimated(*picture);
        }
        return *picture;
    }

private:
    static qreal PixelRatio() { return qApp ? qApp->devicePixelRatio() : 1.0; }

    // The group's name, and how many of its images cannot be shown.
    static QString ToolTip(const Group& group) {
        QString tip = QString::fromStdString(group.Name);
        const auto troubled = std::count_if(group.Images.begin(), group.Images.end(),
                                            [](const auto& im) { return im.Missing || !im.Handle(); });
        if (troubled > 0)
            tip += QStringLiteral("\n%1 of %2 images cannot be shown: damaged or not in the file")
                       .arg(troubled)
                       .arg(group.Images.size());
        return tip;
    }

    template <class Image>
    static void DrawImage(QPainter& painter, const Image& im, int64_t x, int64_t y) {
        if (im.Missing) return;
        if (const Handle& picture = im.Handle()) painter.drawImage(int(x), int(y), ToQImage(*picture));
    }

    QPixmap Draw(const Group& group) const {
        if constexpr (std::is_same_v<Group, IconGroup>) {
            // The pictures of these views are chosen for the screen's pixels:
            // at twice the density a 32-pixel tile draws the group's 64- or
            // 256-pixel image rather than an enlarged 32-pixel one.
            const qreal ratio = PixelRatio();
            const auto picture = [&](int side) { return GroupIcon(group, int(std::lround(side * ratio))); };
            const auto place = [](QPainter& painter, int x, int y, int side, const QImage& image) {
                if (!image.isNull()) painter.drawImage(QRectF(x, y, side, side), image);
            };
            if (m_view == DeskView::Desktop) {
                QPixmap tile = BlankTile(kLargeTile, kLargeTile, -1, ratio);
                QPainter painter(&tile);
                place(painter, 0, 0, kLargeTile, picture(kLargeTile));
                return tile;
            }
            if (m_view == DeskView::Windows) {
                QPixmap tile = BlankTile(kCompositeTile, kCompositeTile, kCompositeBaseline, ratio);
                QPainter painter(&tile);
                place(painter, kCompositeSmallX, kCompositeSmallY, kSmallTile, picture(kSmallTile));
                place(painter, kCompositeLargeX, kCompositeLargeY, kLargeTile, picture(kLargeTile));
                return tile;
            }
        }
        if (m_view == DeskView::Specific && m_format) {
            const gw::TileSize size = SpecificTileSize(*m_format);
            QPixmap tile = BlankTile(size.width, size.height, SpecificBaseline(*m_format));
            const int image = SpecificImageOf(group, *m_format);
            if (image >= 0) {
                QPainter painter(&tile);
                DrawImage(painter, group.Images[size_t(image)], kSpecificMargin, kSpecificMargin);
            }
            return tile;
        }
        QPixmap tile = BlankTile(m_strip.width, m_strip.height, m_strip.height - 2);
        QPainter painter(&tile);
        const std::vector<int64_t> xs = RawStripPositions(group, m_strip.width);
        for (size_t i = 0; i < xs.size(); ++i) DrawImage(painter, group.Images[i], xs[i], kStripTop);
        return tile;
    }

    const std::vector<Group>* m_groups = nullptr;
    size_t m_animatedFrom = SIZE_MAX;
    std::vector<size_t> m_order;
    DeskView m_view = DeskView::Raw;
    std::optional<DeskFormat> m_format;
    TileSize m_strip;
    mutable std::vector<std::optional<QPixmap>> m_pictures; // by group, for the current view
};

// The names and texts that tell one workdesk window from the other, the
// key its places are remembered under and the viewers its items open in.
// Each workdesk fills it field by field (designated initialisers).
struct DeskWindowNames {
    const char* objectName = nullptr;
    const char* caption = nullptr;
    const char* placesRole = nullptr;   // "IconWorkdesk": its size and view in the settings
    const char* menuPrefix = nullptr;   // "m2", "m5": menu items m2Exit, m2TB, ...
    const char* arrangeMenu = nullptr;  // "&Arrange Icons"; null: one picture style, no orders
    const char* list = nullptr;         // "ListView1"
    const char* formatBox = nullptr;    // "cbIFormat"; null with arrangeMenu
    const char* toolBar = nullptr;      // "ToolBar2"
    const char* statusBar = nullptr;    // "StatusBar2"
    int statusPanel1Width = 0;
    const char* exitButton = nullptr;   // "SpeedButton1"
    const char* exitHint = nullptr;     // "Exit"
    bool pictureViews = false;          // the Desktop and Windows views
    const char* buttonPrefix = nullptr; // "sb2", "sb5": sb2SaveOne, ...
    const char* saveOneHint = nullptr;
    const char* saveAllHint = nullptr;
    const char* extractOneHint = nullptr; // null: no extract and convert commands
    const char* extractAllHint = nullptr;
    // The File menu's text for Extract All where its hint reads as another
    // command's (null: the hint).
    const char* extractAllMenu = nullptr;
    const char* convertOneHint = nullptr;
    const char* convertAllHint = nullptr;
    const char* editHint = nullptr;
    Viewer manager = Viewer::IconManager; // a double-click, Enter or Edit on an item
    Viewer sheet = Viewer::IconSheet;     // Properties on an item
};

class DeskWindow : public QDialog {
    Q_OBJECT
public:
    // viewers: where the manager and the property sheet of an item are
    // asked for; null opens neither.
    DeskWindow(const DeskWindowNames& names, ActionFlags& flags, Prompts& prompts, Viewers* viewers,
               QWidget* parent = nullptr);

    // Opens the file at path and shows its items of this workdesk's kind.
    // False, having said why, when nothing of the file can be shown; the
    // caller shows the workdesk otherwise.
    bool Open(const std::string& path);
    // The file the workdesk has open (null while closed).
    const std::shared_ptr<Document>& File() const { return m_file; }

    QListView* List() const { return m_list; }
    QComboBox* Formats() const { return m_formatBox; }
    QString StatusText(int panel) const;
    const DamageIndicator* Damage() const { return m_damage; }
    int RowCount() const;
    std::vector<std::string> Captions() const;

    void reject() override;

public slots:
    void SortByName();
    void SortByImageCount();
    void SortByFormat();
    void ShowProperties();
    void ShowHelp();
    void ShowFileInformation();
    void ChangeFormat();
    void ShowSpecificView();
    void ShowRawView();
    void ShowDesktopView();
    void ShowWindowsView();
    void SaveSelected();
    void SaveAllItems();
    void ExtractSelected();
    void ExtractAllItems();
    void ConvertSelected();
    void ConvertAllItems();
    void OpenInManager();
    void CopySelected();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // What each workdesk does with its own records. A "group" is an item
    // of the list: an icon group, a cursor group, a bitmap.
    virtual RecordKind Records() const = 0;
    virtual void ShowGroups(bool loaded) = 0;
    virtual QSize ModelPictureSize() const = 0;
    virtual std::optional<size_t> ModelGroupAt(int row) const = 0;
    virtual int ModelRowOf(size_t group) const = 0;
    virtual BatchResult SaveOne(size_t group) = 0;
    virtual BatchResult SaveAll() = 0;
    // The item as the clipboard and a drag carry it; nullopt when it has no picture.
    virtual std::optional<ImageTransfer> TransferOf(size_t item) = 0;
    // Only for a workdesk with formats, views and orders.
    virtual std::vector<DeskFormat> FormatsOfFile() const { return {}; }
    virtual void SetModelView(DeskView, const DeskFormat*) {}
    virtual void SortModel(DeskSortMode, const DeskFormat*) {}
    // Only for a workdesk with the extract and convert commands.
    virtual BatchResult Extract(std::optional<size_t>) { return {}; }
    virtual BatchResult Convert(std::optional<size_t>) { return {}; }
    // What the manager and the sheet are asked to show of an item: its
    // group of the open file by default.
    virtual ViewRequest ItemRequest(size_t item) {
        return {.file = m_file, .shown = Shown::Group, .item = item};
    }
    void AttachModel(QAbstractItemModel* model);
    FileContents& Contents() { return EditContents(*m_file); }
    // The File menu, and the separator above its Close and Exit, where a
    // workdesk adds commands of its own.
    QMenu* FileMenu() const { return m_fileMenu; }
    QAction* CloseSeparator() const { return m_closeSeparator; }

    ActionFlags& m_flags;
    Prompts& m_prompts;
    std::shared_ptr<Document> m_file;

private:
    void BuildMenus(QVBoxLayout* layout);
    void BuildToolBar(QVBoxLayout* layout);
    void BuildViewButtons();
    QToolButton* AddTool(QToolButton* button, void (DeskWindow::*handler)());
    void ShowView(DeskView view);
    void FitGrid();
    void Resort();
    const DeskFormat* ChosenFormat() const;
    void Release();
    void RememberPlaces() const;
    std::optional<size_t> SelectedGroup() const;
    void SelectGroup(std::optional<size_t> group);
    void UpdateSelectionCommands();
    void AskFor(Viewer target);
    PlacesKey Places() const;

    const DeskWindowNames& m_names;
    Viewers* m_viewers;
    std::vector<DeskFormat> m_formats;
    DeskSortMode m_sortMode = DeskSortMode::ByName;
    DeskView m_view = DeskView::Raw;

    DragListView* m_list = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_closeSeparator = nullptr;
    QMenu* m_languageMenu = nullptr;          // View > Language, shown for files of several languages
    std::optional<uint16_t> m_language;       // the language chosen for m_languagePath
    std::string m_languagePath;
    QDialog* m_fileInformation = nullptr;     // while "File Information..." is up
    void FillLanguageMenu();
    QComboBox* m_formatBox = nullptr;
    QToolBar* m_toolBar = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_panel0 = nullptr;
    QLabel* m_panel1 = nullptr;
    DamageIndicator* m_damage = nullptr;
    QAction* m_byName = nullptr;
    QAction* m_byImage = nullptr;
    QAction* m_byFormat = nullptr;
    QAction* m_properties = nullptr;
    QToolButton* m_specific = nullptr;
    QToolButton* m_raw = nullptr;
    QToolButton* m_desk = nullptr;
    QToolButton* m_win = nullptr;
    std::vector<QToolButton*> m_selectionCommands; // need a selected item
    std::vector<QAction*> m_selectionActions;      // their menu items
};

// A workdesk over one kind of group: its model, its commands and its
// hand-over to the Manager and property sheet.
template <class Group>
class GroupDesk : public DeskWindow {
public:
    GroupDesk(const DeskWindowNames& names, ActionFlags& flags, Prompts& prompts, Viewers* viewers, QWidget* parent)
        : DeskWindow(names, flags, prompts, viewers, parent), m_model(new GroupDeskModel<Group>(this)) {
        AttachModel(m_model);
    }

protected:
    GroupDeskModel<Group>* Model() const { return m_model; }

    // The items of the list: the file's groups of this workdesk's kind.
    virtual std::vector<Group>& Groups() {
        if constexpr (std::is_same_v<Group, IconGroup>)
            return Contents().IconGroups;
        else
            return Contents().CursorGroups;
    }
    RecordKind Records() const override {
        return std::is_same_v<Group, IconGroup> ? RecordKind::Icons : RecordKind::Cursors;
    }

    std::vector<DeskFormat> FormatsOfFile() const override {
        return DeskFormatsOf(const_cast<GroupDesk*>(this)->Groups());
    }
    void ShowGroups(bool loaded) override { m_model->SetGroups(loaded ? &Groups() : nullptr); }
    void SetModelView(DeskView view, const DeskFormat* format) override { m_model->SetView(view, format); }
    void SortModel(DeskSortMode mode, const DeskFormat* format) override { m_model->Sort(mode, format); }
    QSize ModelPictureSize() const override { return m_model->PictureSize(); }
    std::optional<size_t> ModelGroupAt(int row) const override { return m_model->GroupAt(row); }
    int ModelRowOf(size_t group) const override { return m_model->RowOf(group); }

    BatchResult SaveOne(size_t group) override { return SaveDeskGroup(Groups()[group], m_prompts); }
    BatchResult SaveAll() override { return SaveAllDeskGroups(Groups(), m_flags, m_prompts); }
    BatchResult Extract(std::optional<size_t> group) override {
        return ExtractDeskImages(Selection(group), m_flags, m_prompts);
    }
    BatchResult Convert(std::optional<size_t> group) override {
        return ConvertDeskImages(Selection(group), m_flags, m_prompts);
    }
    // The group under its name: the sheet names it so.
    ViewRequest ItemRequest(size_t item) override {
        ViewRequest request = DeskWindow::ItemRequest(item);
        request.name = Groups()[item].Name;
        return request;
    }
    // The group's file as Save writes it, and its largest picture.
    std::optional<ImageTransfer> TransferOf(size_t item) override {
        const Group& group = Groups()[item];
        SavedFile file = GroupSaveFile(group);
        if (file.bytes.empty()) return std::nullopt;
        return ImageTransfer{LargestPicture(group), file.mimeType, std::move(file.bytes),
                             FromLocal(SafeBaseName(group.Name) + file.ext)};
    }

    // What Extract and Convert work on: the selected item, or all.
    virtual GroupSelection<Group> Selection(std::optional<size_t> group) {
        GroupSelection<Group> selection;
        selection.one = group.has_value();
        if (group) {
            selection.groups.push_back(&Groups()[*group]);
            return selection;
        }
        for (const Group& g : Groups()) selection.groups.push_back(&g);
        return selection;
    }

private:
    GroupDeskModel<Group>* m_model;
};

} // namespace gw
