#include "managers/gui/PropertySheet.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/DamageReport.h"
#include "gui/LocalPaths.h"
#include "gui/QtImages.h"
#include "formats/Document.h"
#include "platform/Display.h"

namespace gw {

namespace {

constexpr int kSheetWidth = 259;
constexpr int kValueX = 72;
constexpr int kLineStep = 16;

QLabel* PlacedLabel(QWidget* page, const QString& text, int x, int y, int w = 180, int h = 13) {
    auto* label = new QLabel(text, page);
    label->setGeometry(x, y, w, h + 3);
    return label;
}

void Bevel(QWidget* page, int y) {
    auto* line = new QFrame(page);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(4, y, 239, 2);
}

} // namespace

template <class Group>
SheetRequest<Group> SheetRequestFor(const ViewRequest& request) {
    SheetRequest<Group> sheet;
    sheet.image = request.image;
    sheet.source = request.askedBy == AskedBy::Workdesk          ? SheetSource::Workdesk
                   : request.askedBy == AskedBy::WorkdeskManager ? SheetSource::WorkdeskManager
                                                                 : SheetSource::FileManager;
    sheet.base = request.name;
    if (!request.file) return sheet;
    sheet.fileName = ViewerFileName(*request.file);
    const FileContents& contents = request.file->Contents();
    if (request.shown == Shown::Animation) {
        if constexpr (std::is_same_v<Group, CursorGroup>) {
            if (request.item >= contents.Animations.size()) return sheet;
            const AnimatedCursor& animation = contents.Animations[request.item];
            if (request.frame >= animation.Frames.size()) return sheet;
            sheet.group = &animation.Frames[request.frame].Images;
            sheet.animation = &animation;
            sheet.frame = request.frame;
        }
        return sheet;
    }
    const std::vector<Group>& groups = ManagerKind<Group>::Groups(contents);
    if (request.item < groups.size()) sheet.group = &groups[request.item];
    return sheet;
}

template <class Group>
PropertySheet<Group>::PropertySheet(const SheetDesign& design, QWidget* parent)
    : QDialog(parent), m_height(design.height) {
    const int valueLines = design.valueLines;
    setObjectName(design.objectName);
    setWindowTitle(design.caption);
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_page = new QWidget;
    m_tabs->addTab(m_page, "General");
    layout->addWidget(m_tabs, 1);
    m_preview = new QLabel(m_page);
    m_preview->setObjectName("Preview");
    m_preview->move(8, 8);
    m_language = new QLabel(this);
    m_language->setObjectName("LanguageLine");
    m_language->setWordWrap(true);
    layout->addWidget(m_language);
    m_language->hide();
    m_trouble = new QLabel(this);
    m_trouble->setObjectName("ImageTrouble");
    m_trouble->setWordWrap(true);
    m_trouble->setStyleSheet("color: red");
    layout->addWidget(m_trouble);
    m_trouble->hide();
    for (int k = 0; k < valueLines; ++k) m_valueLines.push_back(PlacedLabel(m_page, {}, kValueX, 4 + kLineStep * k));
    // Everything below the value lines moves down with them.
    const int bevel = 8 + kLineStep * valueLines;
    Bevel(m_page, bevel);
    m_fileName = PlacedLabel(m_page, {}, kValueX, bevel + 6);
    // The two totals stand right of the longer of their captions.
    QLabel* images = PlacedLabel(m_page, "Total Images:", 8, bevel + 22);
    QLabel* size = PlacedLabel(m_page, "Total Size of Images:", 8, bevel + 38);
    const int valueX = 8 + std::max(images->sizeHint().width(), size->sizeHint().width()) + 6;
    m_totalImages = PlacedLabel(m_page, {}, valueX, bevel + 22, 100);
    m_totalSize = PlacedLabel(m_page, {}, valueX, bevel + 38, 100);
    Bevel(m_page, bevel + 58);
    m_heading = PlacedLabel(m_page, {}, 8, bevel + 64);
    m_otherTop = bevel + 80;
    auto* close = new QPushButton("&Close", this);
    close->setObjectName("BitBtn1");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(kSheetWidth, m_height);
}

template <class Group>
std::vector<std::string> PropertySheet<Group>::ValueTexts() const {
    if (m_valueLines.size() == 3) return {m_values.name, m_values.format, m_values.size};
    if (m_values.hotSpot.empty()) return {m_values.name, m_values.format, m_values.size, {}};
    return {m_values.name, m_values.format, m_values.hotSpot, m_values.size};
}

template <class Group>
void PropertySheet<Group>::Open(const SheetRequest<Group>& request) {
    FormClose();
    m_values = {};
    if (!request.group) return;
    const Group& group = *request.group;
    const size_t image = request.source == SheetSource::Workdesk ? 0 : request.image;
    m_values = Kind::Properties(group, image, request.source, request.base, request.fileName);
    if (request.animation) {
        // From a manager, a frame's image is named after the animation, the
        // frame and the image; the workdesk names the animation by base.
        if (request.source != SheetSource::Workdesk)
            m_values.name = ManagerImageName(ManagerImageName(request.animation->Name, request.frame), image);
        ShowAnimation(*request.animation);
    }

    // The preview: the image at its size, or at the system icon size when
    // that is smaller; an image that cannot be shown says so in its place.
    if (image < group.Images.size()) {
        const auto& im = group.Images[image];
        const bool decodes = !im.Missing && im.Handle();
        m_trouble->setText(ImageTrouble(im.Missing, decodes));
        m_trouble->setVisible(!decodes && request.source != SheetSource::Workdesk);
    }
    if (image < group.Images.size() && !group.Images[image].Missing) {
        if (const Handle& picture = group.Images[image].Handle()) {
            QImage shown = ToQImage(*picture);
            const int w = std::min(shown.width(), Display::LargeIconSize());
            const int h = std::min(shown.height(), Display::LargeIconSize());
            if (w != shown.width() || h != shown.height())
                shown = shown.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            m_preview->setPixmap(QPixmap::fromImage(shown));
            m_preview->resize(shown.size());
        }
    }
    const std::vector<std::string> texts = ValueTexts();
    for (size_t k = 0; k < m_valueLines.size(); ++k)
        m_valueLines[k]->setText(k == 0 ? FromLocal(texts[k]) : QString::fromStdString(texts[k]));
    m_fileName->setText(FromLocal(m_values.fileName));
    m_language->setText("Language: " + QString::fromStdString(m_values.language));
    m_language->setVisible(!m_values.language.empty());
    m_totalImages->setText(QString::fromStdString(m_values.totalImages));
    m_totalSize->setText(QString::fromStdString(m_values.totalSize));
    m_heading->setText(QString::fromStdString(m_values.heading));
    for (QLabel* value : m_valueLines) value->adjustSize();
    m_fileName->adjustSize();
    if (isVisible()) FitValues();
    for (size_t k = 0; k < m_values.otherLines.size(); ++k) {
        QLabel* line = PlacedLabel(m_page, QString::fromStdString(m_values.otherLines[k]), 8,
                                   m_otherTop + kLineStep * int(k), 223);
        line->show();
        m_otherLines.push_back(line);
    }
}

// The animation's counts, steps and frames, one line each; a long list scrolls.
template <class Group>
void PropertySheet<Group>::ShowAnimation(const AnimatedCursor& animation) {
    if (!m_animationPage) {
        m_animationPage = new QWidget;
        m_animationPage->setObjectName("AnimationPage");
        auto* box = new QVBoxLayout(m_animationPage);
        m_animationLines = new QPlainTextEdit(m_animationPage);
        m_animationLines->setObjectName("AnimationLines");
        m_animationLines->setReadOnly(true);
        m_animationLines->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->addWidget(m_animationLines);
        m_tabs->addTab(m_animationPage, "Animation");
    }
    QStringList lines;
    for (const std::string& line : AnimationPropertyLines(animation)) lines.push_back(QString::fromStdString(line));
    m_animationLines->setPlainText(lines.join('\n'));
    m_tabs->setTabVisible(m_tabs->indexOf(m_animationPage), true);
}

// A long format ("256 X 256 4294967296 Colors") widens the sheet rather than
// being cut; the page has its width once the sheet is laid out for showing.
template <class Group>
void PropertySheet<Group>::FitValues() {
    int needed = 0;
    std::vector<QLabel*> values = m_valueLines;
    values.push_back(m_fileName);
    for (QLabel* value : values) needed = std::max(needed, value->geometry().right() + 8);
    if (needed > m_page->width()) resize(width() + needed - m_page->width(), height());
}

template <class Group>
void PropertySheet<Group>::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FitValues();
}

template <class Group>
void PropertySheet<Group>::FormClose() {
    resize(kSheetWidth, m_height);
    m_trouble->hide();
    m_tabs->setCurrentIndex(0);
    if (m_animationPage) {
        m_tabs->setTabVisible(m_tabs->indexOf(m_animationPage), false);
        m_animationLines->clear();
    }
    for (QLabel* line : m_otherLines) delete line;
    m_otherLines.clear();
    m_preview->clear();
}

// Every way of closing (the button, Esc, the window's close) clears the sheet.
template <class Group>
void PropertySheet<Group>::done(int result) {
    FormClose();
    QDialog::done(result);
}

template class PropertySheet<IconGroup>;
template class PropertySheet<CursorGroup>;
template SheetRequest<IconGroup> SheetRequestFor(const ViewRequest&);
template SheetRequest<CursorGroup> SheetRequestFor(const ViewRequest&);

} // namespace gw
