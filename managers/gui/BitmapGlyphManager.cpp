#include "managers/gui/BitmapGlyphManager.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "batch/core/GroupCommands.h"
#include "batch/core/Prompts.h"
#include "gui/Help.h"
#include "gui/QtImages.h"
#include "gui/ToolIcons.h"
#include "gui/DamageReport.h"
#include "platform/Paths.h"

namespace gw {

namespace {

constexpr int kSpeedButtonSide = 30;
constexpr int kDesignGlyphItem = 1; // "2"

// The colour a bitmap's glyph and its transparent preview leave clear: its
// bottom-left pixel, as the toolkit's glyph buttons take it.
std::optional<uint32_t> BottomLeft(const Bitmap& bitmap) {
    if (!bitmap.HasHandle() || bitmap.pixels.size() != size_t(bitmap.width) * size_t(bitmap.height))
        return std::nullopt;
    return bitmap.Pixel(0, bitmap.height - 1);
}

QToolButton* SampleSpeedButton(const char* name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setCheckable(true); // latches down, like a grouped speed button alone in its group
    button->setFixedSize(kSpeedButtonSide, kSpeedButtonSide);
    return button;
}

} // namespace

BitmapGlyphManager::BitmapGlyphManager(Prompts& prompts, Viewers* viewers, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_viewers(viewers) {
    setObjectName("Form6");
    setWindowTitle("Grabwell Bitmap & Glyph Manager");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 6);
    layout->setSpacing(6);

    auto* bar = new QMenuBar(this);
    layout->setMenuBar(bar);
    auto item = [this](QMenu* menu, const char* name, const char* text, void (BitmapGlyphManager::*handler)(),
                       const QKeySequence& keys) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, handler);
    };
    QMenu* file = bar->addMenu("&File");
    item(file, "Save1", "&Save", &BitmapGlyphManager::SaveBitmap, QKeySequence::Save);
    item(file, "Copy1", "&Copy", &BitmapGlyphManager::CopyBitmap, QKeySequence::Copy);
    file->addSeparator();
    item(file, "Close1", "&Close", &BitmapGlyphManager::reject, QKeySequence::Close);
    item(file, "Exit1", "&Exit", &BitmapGlyphManager::reject, {});
    item(bar->addMenu("&View"), "Properties1", "&Properties", &BitmapGlyphManager::ShowProperties,
         QKeySequence(Qt::ALT | Qt::Key_Return));
    QAction* help = bar->addMenu("&Help")->addAction("&Help");
    help->setObjectName("Help2");
    connect(help, &QAction::triggered, this, [this] { OpenHelp(this, kHelpManagers); });

    auto* tools = new QToolBar(this);
    tools->setObjectName("SpeedBar6");
    auto button = [&](const char* name, const QIcon& icon, const char* hint, void (BitmapGlyphManager::*handler)()) {
        QAction* a = tools->addAction(icon, QString(hint).replace('\n', ' '));
        a->setObjectName(name);
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, handler);
    };
    button("sbBit1Exit", ToolIcon(ToolGlyph::Exit), "Exit", &BitmapGlyphManager::reject);
    tools->addSeparator();
    button("sbBit1Save", ToolIcon(ToolGlyph::SaveOne), "Save Selected Bitmap", &BitmapGlyphManager::SaveBitmap);
    // The kit has no copy glyph: the theme's, else the picture taken out of a group.
    button("sbBit1Copy", QIcon::fromTheme("edit-copy", ToolIcon(ToolGlyph::ExtractImages)),
           "Copy Selected Bitmap\nto Clipboard", &BitmapGlyphManager::CopyBitmap);
    layout->addWidget(tools);

    // The preview's area: the picture at its own size from the top-left
    // corner, or shrunk to a stretched picture when it is larger.
    auto* area = new QFrame(this);
    area->setObjectName("Panel1");
    area->setFrameShape(QFrame::StyledPanel);
    area->setFrameShadow(QFrame::Sunken);
    const int frame = area->frameWidth();
    area->setFixedSize(kPreviewWidth + 2 * frame, kPreviewHeight + 2 * frame);
    m_preview = new QLabel(area);
    m_preview->setObjectName("Image1");
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_preview->setGeometry(frame, frame, kPreviewWidth, kPreviewHeight);
    layout->addWidget(area, 0, Qt::AlignHCenter);

    auto* controls = new QHBoxLayout;
    auto* transparency = new QVBoxLayout;
    m_toggle = new QPushButton("Toggle Transparency", this);
    m_toggle->setObjectName("Button1");
    connect(m_toggle, &QPushButton::clicked, this, &BitmapGlyphManager::ToggleTransparency);
    m_panel4 = new QLabel("Non Transparent", this);
    m_panel4->setObjectName("Panel4");
    m_panel4->setFrameShape(QFrame::Panel);
    m_panel4->setFrameShadow(QFrame::Sunken);
    m_panel4->setAlignment(Qt::AlignCenter);
    m_flat = new QCheckBox("Flat SpeedButtons", this);
    m_flat->setObjectName("cbFlat");
    m_flat->setToolTip("Show flat SpeedButtons");
    connect(m_flat, &QCheckBox::toggled, this, &BitmapGlyphManager::SetFlatButtons);
    transparency->addWidget(m_toggle);
    transparency->addWidget(m_panel4);
    transparency->addWidget(m_flat);
    transparency->addStretch(1);
    controls->addLayout(transparency);

    auto sampleGroup = [&](const char* name, const char* title, const char* bitBtn, const char* speed,
                           QPushButton*& b, QToolButton*& s) {
        auto* group = new QGroupBox(title, this);
        group->setObjectName(name);
        auto* row = new QHBoxLayout(group);
        b = new QPushButton("BitBtn", group);
        b->setObjectName(bitBtn);
        s = SampleSpeedButton(speed, group);
        row->addWidget(b);
        row->addWidget(s);
        controls->addWidget(group, 0, Qt::AlignTop);
    };
    sampleGroup("gbGlyphUpDown", "Up / Down", "bTest1", "sTest1", m_bTest1, m_sTest1);
    sampleGroup("gbGlyphDisabled", "Disabled", "bTest2", "sTest2", m_bTest2, m_sTest2);
    m_bTest2->setEnabled(false);
    m_sTest2->setEnabled(false);

    // Items fill the first column, then the second, as the toolkit's radio groups do.
    auto* radios = new QGroupBox(" Glyphs ", this);
    radios->setObjectName("rgGlyphs");
    radios->setToolTip("Number of glyphs\nin selected Bitmap");
    auto* grid = new QGridLayout(radios);
    m_glyphs = new QButtonGroup(this);
    for (int k = 0; k < kMaxGlyphs; ++k) {
        auto* radio = new QRadioButton(QString::number(k + 1), radios);
        m_glyphs->addButton(radio, k);
        grid->addWidget(radio, k % 2, k / 2);
    }
    m_glyphs->button(kDesignGlyphItem)->setChecked(true);
    connect(m_glyphs, &QButtonGroup::idClicked, this, &BitmapGlyphManager::ChangeGlyphCount);
    controls->addWidget(radios, 0, Qt::AlignTop);

    auto* widthBox = new QVBoxLayout;
    auto* widthLabel = new QLabel("Width:", this);
    m_width = new QLineEdit(this);
    m_width->setObjectName("editWidth");
    m_width->setReadOnly(true);
    m_width->setToolTip("Width of selected Bitmap");
    m_width->setFixedWidth(m_width->fontMetrics().horizontalAdvance("000000") + 12);
    widthLabel->setBuddy(m_width);
    widthBox->addWidget(widthLabel);
    widthBox->addWidget(m_width);
    widthBox->addStretch(1);
    controls->addLayout(widthBox);
    controls->addStretch(1);
    layout->addLayout(controls);

    m_warning = new QLabel(this);
    m_warning->setObjectName("Label1");
    QPalette red = m_warning->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_warning->setPalette(red);
    layout->addWidget(m_warning);
    layout->addStretch(1);
}

int BitmapGlyphManager::GlyphCount() const { return m_glyphs->checkedId() + 1; }

const BitmapRecord* BitmapGlyphManager::Entry() const {
    if (!m_file) return nullptr;
    const std::vector<BitmapRecord>& bitmaps = m_file->Contents().Bitmaps;
    return m_index < bitmaps.size() ? &bitmaps[m_index] : nullptr;
}

bool BitmapGlyphManager::OpenFile(const std::string& path) {
    Release();
    m_file = Document::Open(path);
    const std::string fileName = m_file->FileName();
    if (m_file->Readable()) m_work = OpenBitmapManagerFile(*m_file);
    if (!m_file->Readable() || !m_work->HasHandle()) {
        // Nothing to show: say why instead of opening an empty window.
        m_prompts.ShowMessage(MessageKind::Error, CannotShowText(fileName, *m_file, "it holds no bitmap"));
        Release();
        return false;
    }
    ShowBitmap();
    return true;
}

void BitmapGlyphManager::OpenWorkdeskBitmap(std::shared_ptr<Document> file, size_t index, WorkdeskBitmapView item) {
    Release();
    m_file = std::move(file);
    m_index = index;
    m_fromWorkdesk = true;
    m_deskItem = std::move(item);
    const BitmapRecord* entry = Entry();
    m_work = entry ? WorkBitmapOf(*entry) : std::make_shared<Bitmap>();
    ShowBitmap();
}

void BitmapGlyphManager::ShowBitmap() {
    m_panel4->setText(m_transparent ? "Transparent" : "Non Transparent");
    const Bitmap& work = *m_work;
    m_fit = FitPreview(work.width, work.height);
    ShowPreview();
    if (GlyphTestApplies(work.height)) {
        m_glyph = ToQImage(work, BottomLeft(work));
        m_width->setText(QString::number(work.width));
        m_glyphs->button(GlyphCountItem(work.width))->setChecked(true);
        ChangeGlyphCount();
    } else {
        m_warning->setText(kNotAGlyphText);
    }
}

void BitmapGlyphManager::ShowPreview() {
    const Bitmap& work = *m_work;
    QImage picture = ToQImage(work, m_transparent ? BottomLeft(work) : std::nullopt);
    if (m_fit.stretch && !picture.isNull()) {
        picture = picture.scaled(m_fit.width, m_fit.height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        m_preview->resize(m_fit.width, m_fit.height);
    }
    m_preview->setPixmap(QPixmap::fromImage(picture));
}

// The strip cut into count glyphs; each button state shows its glyph, as the
// toolkit's glyph buttons pick them.
void BitmapGlyphManager::ShowGlyphs() {
    QIcon icon;
    QSize size;
    if (!m_glyph.isNull()) {
        const int count = GlyphCount();
        size = QSize(std::max(m_glyph.width() / count, 1), m_glyph.height());
        const auto glyph = [&](GlyphState state) {
            return QPixmap::fromImage(m_glyph.copy(QRect(QPoint(GlyphFor(state, count) * size.width(), 0), size)));
        };
        icon.addPixmap(glyph(GlyphState::Up), QIcon::Normal, QIcon::Off);
        icon.addPixmap(glyph(GlyphState::Latched), QIcon::Normal, QIcon::On);
        if (GlyphFor(GlyphState::Disabled, count) >= 0) {
            icon.addPixmap(glyph(GlyphState::Disabled), QIcon::Disabled, QIcon::Off);
            icon.addPixmap(glyph(GlyphState::Disabled), QIcon::Disabled, QIcon::On);
        }
    }
    for (QPushButton* b : {m_bTest1, m_bTest2}) {
        b->setIcon(icon);
        if (size.isValid()) b->setIconSize(size);
    }
    for (QToolButton* s : {m_sTest1, m_sTest2}) {
        s->setIcon(icon);
        if (size.isValid()) s->setIconSize(size);
    }
}

void BitmapGlyphManager::ChangeGlyphCount() { ShowGlyphs(); }

void BitmapGlyphManager::SetFlatButtons() {
    m_sTest1->setAutoRaise(m_flat->isChecked());
    m_sTest2->setAutoRaise(m_flat->isChecked());
}

void BitmapGlyphManager::ToggleTransparency() {
    m_transparent = !m_transparent;
    m_panel4->setText(m_transparent ? "Transparent" : "Non Transparent");
    ShowPreview();
}

void BitmapGlyphManager::SaveBitmap() {
    const BitmapRecord* entry = Entry();
    const std::string base = BitmapSaveBase(entry ? entry->Name : std::string());
    const Bytes bytes = BitmapFileBytes(*m_work);
    BatchResult result;
    if (!m_work->HasHandle())
        result.notes.push_back("There is no bitmap to save: \"" + base + "\" did not decode");
    else if (bytes.empty())
        result.notes.push_back("The bitmap \"" + base + "\" is too large for a .bmp file; nothing was saved");
    else
        result = SaveThroughDialog(BitmapSaveRequest(base), bytes, m_prompts);
    ReportBatchResult(result, m_prompts);
}

void BitmapGlyphManager::CopyBitmap() {
    const QImage image = ToQImage(*m_work);
    if (!image.isNull()) QGuiApplication::clipboard()->setImage(image);
}

void BitmapGlyphManager::ShowProperties() {
    if (m_viewers)
        m_viewers->Open({.target = Viewer::BitmapSheet,
                         .file = m_file,
                         .shown = Shown::Bitmap,
                         .item = m_index,
                         .askedBy = m_fromWorkdesk ? AskedBy::WorkdeskManager : AskedBy::FileManager,
                         .bitmapRow = m_deskItem,
                         .bitmap = m_work});
    m_preview->clear();
    ShowPreview();
}

// The file is let go when the manager closes; a workdesk that shares it keeps it.
void BitmapGlyphManager::Release() {
    m_file.reset();
    m_index = 0;
    m_fromWorkdesk = false;
    m_deskItem.reset();
    m_work = std::make_shared<Bitmap>();
    m_preview->clear();
    m_preview->resize(kPreviewWidth, kPreviewHeight);
    m_fit = PreviewFit{};
    m_glyph = QImage();
    ShowGlyphs();
    m_width->clear();
    m_warning->clear();
}

// Closing with Esc does the same release work as the window's close button.
void BitmapGlyphManager::reject() {
    Release();
    QDialog::reject();
}

void BitmapGlyphManager::closeEvent(QCloseEvent* event) {
    Release();
    QDialog::closeEvent(event);
}

} // namespace gw
