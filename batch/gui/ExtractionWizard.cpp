#include "batch/gui/ExtractionWizard.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include "batch/core/Prompts.h"
#include "gui/FramedDialog.h"
#include "gui/LocalPaths.h"

namespace gw {

namespace {
constexpr int kClientWidth = 350;
constexpr int kClientHeight = 270;
constexpr int kTitlePixelHeight = 21;
constexpr const char* kBrowseTitle = "Select Extraction Directory";
// The folder the browse dialog opens at: the root of the file system.
constexpr const char* kBrowseStart = "/";

struct CategoryTexts {
    const char* title;
    const char* caption; // nullptr: the option group is hidden
    const char* item0;
    const char* item1;
};

CategoryTexts TextsFor(ObjectKind objects) {
    switch (objects) {
    case ObjectKind::Icons: return {"Icon ", "Icon Options", "Extract as Icons", "Extract as Bitmaps"};
    case ObjectKind::Bitmaps: return {"Bitmap ", nullptr, nullptr, nullptr};
    case ObjectKind::Cursors:
        return {"Static Cursor ", "Static Cursor Options", "Extract as Cursors", "Extract as Bitmaps"};
    case ObjectKind::AnimatedCursors:
        return {"Animated Cursor ", "Animated Cursor Options", "Extract as Animated Cursors",
                "Extract Frames as Cursors"};
    }
    return {"Icon ", "Icon Options", "Extract as Icons", "Extract as Bitmaps"};
}

void SetHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
}
} // namespace

ExtractionWizard::ExtractionWizard(Prompts& prompts, const std::string& tempDir, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_prompts(prompts) {
    QFrame* panel = SetUpFramedDialog(this, "ExtractionWizard", kClientWidth, kClientHeight);

    m_title = new QLabel(panel);
    m_title->setObjectName("RxLabel1");
    m_title->setAlignment(Qt::AlignCenter);
    QFont titleFont("Arial");
    titleFont.setBold(true);
    titleFont.setPixelSize(kTitlePixelHeight);
    m_title->setFont(titleFont);

    m_options0 = new QGroupBox(panel);
    m_options0->setObjectName("rgW1");
    auto* optionGrid = new QGridLayout(m_options0);
    for (int i = 0; i < 2; ++i) {
        m_items[i] = new QRadioButton(m_options0);
        m_items[i]->setObjectName(QString("rgW1Item%1").arg(i));
        optionGrid->addWidget(m_items[i], 0, i);
    }
    m_items[0]->setChecked(true);

    auto* staticText = new QLabel("Select Extraction Directory", panel);
    staticText->setObjectName("StaticText1");
    staticText->setAlignment(Qt::AlignCenter);
    staticText->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    m_folder = new QLineEdit(FromLocal(tempDir), panel);
    m_folder->setObjectName("DirectoryEdit1");
    m_folder->setReadOnly(true); // chosen with the browse dialog only
    SetHint(m_folder, "Extraction Directory");
    auto* browse = new QToolButton(panel);
    browse->setObjectName("DirectoryEdit1Button");
    browse->setText("...");
    SetHint(browse, "Extraction Directory");
    connect(browse, &QToolButton::clicked, this, &ExtractionWizard::BrowseForFolder);
    auto* folderRow = new QHBoxLayout;
    folderRow->setSpacing(0);
    folderRow->addWidget(m_folder);
    folderRow->addWidget(browse);

    m_recurse = new QCheckBox("Recurse Directories", panel);
    m_recurse->setObjectName("rdBox");

    auto* abort = new QPushButton("&Abort", panel);
    abort->setObjectName("bWAbort1");
    SetHint(abort, "Abort Extraction");
    connect(abort, &QPushButton::clicked, this, &ExtractionWizard::Abort);
    auto* run = new QPushButton("&Execute", panel);
    run->setObjectName("bWRun");
    SetHint(run, "Extract to Selected Directory");
    connect(run, &QPushButton::clicked, this, &ExtractionWizard::Execute);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(abort);
    buttons->addWidget(run);

    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(m_title);
    layout->addWidget(m_options0);
    layout->addWidget(staticText);
    layout->addLayout(folderRow);
    layout->addWidget(m_recurse);
    layout->addLayout(buttons);

    m_options.ExtractionDir = tempDir;
    Prepare(ObjectKind::Icons);
}

void ExtractionWizard::Prepare(ObjectKind objects) {
    m_objects = objects;
    const CategoryTexts texts = TextsFor(objects);
    m_title->setText(QString(texts.title) + "Extraction Wizard");
    m_options0->setVisible(texts.caption != nullptr);
    if (texts.caption) {
        // The items are replaced; which one is selected stays as the user left it.
        m_options0->setTitle(texts.caption);
        m_items[0]->setText(texts.item0);
        m_items[1]->setText(texts.item1);
    }
    m_recurse->setChecked(false);
    m_options.RecurseDirs = false;
}

void ExtractionWizard::Abort() { done(mrAbort); }

void ExtractionWizard::Execute() {
    m_options.ExtractionDir = ToLocal(m_folder->text());
    const bool second = m_items[1]->isChecked();
    m_options.AsIcons = m_objects == ObjectKind::Icons && !second;
    const bool animated = m_objects == ObjectKind::AnimatedCursors;
    m_options.AsCursors = (m_objects == ObjectKind::Cursors || animated) && !second;
    m_options.AsFrames = animated && second;
    m_options.AsBitmaps = m_objects == ObjectKind::Bitmaps || (second && !animated);
    m_options.RecurseDirs = m_recurse->isChecked();
    done(mrOk);
}

void ExtractionWizard::BrowseForFolder() {
    if (const auto folder = m_prompts.ChooseFolder(kBrowseTitle, kBrowseStart))
        m_folder->setText(FromLocal(*folder));
}

void ExtractionWizard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace gw
