// The "Already exists" dialog, the wizard dialog and the explorer's two batch
// commands, driven offscreen through their handlers.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/gui/GuiTestApp.h"
#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "batch/core/ScriptedPrompts.h"
#include "batch/gui/AlreadyExistsDialog.h"
#include "explorer/gui/ExplorerCommands.h"
#include "batch/gui/QtPrompts.h"
#include "batch/gui/ExtractionWizard.h"
#include "batch/gui/WizardSummaryDialog.h"
#include "listing/Categories.h"
#include "explorer/core/ListRules.h"
#include "listing/Scanners.h"
#include "tests/support/BatchFixtures.h"
#include "tests/support/Builders.h"

using namespace gw;
using namespace gw::test;
namespace fs = std::filesystem;

namespace {

// The one application object of the test program, whichever test made it.
void App() { (void)GuiTestApp(); }

template <class T>
T* Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Runs action once the modal dialog is up (its exec() loop is running).
void WhenShown(QDialog& dialog, std::function<void()> action) {
    auto* timer = new QTimer(&dialog);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [&dialog, timer, action] {
        if (!dialog.isVisible()) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

std::vector<ListRow> SortedRows(const ScanResult& scan) {
    std::vector<ListRow> rows = scan.rows;
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ListRow& a, const ListRow& b) { return ListViewCompare(a, b, SortMode::ByName, 1) < 0; });
    return rows;
}

// Folder browser scripted; "Already exists" through the real dialog.
class DialogPrompts : public ScriptedPrompts {
public:
    explicit DialogPrompts(AlreadyExistsDialog& form) : m_real(nullptr, form) {}
    ExistingAnswer SettleExisting(const std::string& path, const ActionFlags& flags) override {
        existingShown.push_back(path);
        return m_real.SettleExisting(path, flags);
    }

private:
    QtPrompts m_real;
};

// Closes each extraction summary once it is up, keeping what it said.
class SummaryCloser {
public:
    SummaryCloser() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* summary = qobject_cast<WizardSummaryDialog*>(QApplication::activeModalWidget());
            if (!summary || !summary->isVisible()) return;
            texts.push_back(summary->summaryText().toStdString());
            details.push_back(summary->detailsText().toStdString());
            summary->findChild<QPushButton*>("bClose")->click();
        });
        m_timer.start();
    }
    std::vector<std::string> texts, details;

private:
    QTimer m_timer;
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

} // namespace

TEST(BatchDialogs, ActionFormTextsPreselectionAndAnswer) {
    App();
    AlreadyExistsDialog form;
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(Child<QLabel>(form, "Label2")->text(), "Already exists");
    EXPECT_EQ(Child<QLabel>(form, "Label3")->text(), "Specify an action, please");
    EXPECT_EQ(Child<QGroupBox>(form, "RadioGroup1")->title(), "Actions");
    EXPECT_EQ(Child<QGroupBox>(form, "RadioGroup2")->title(), "All others");
    EXPECT_EQ(Child<QRadioButton>(form, "RadioGroup1Item2")->text(), "Auto Rename");
    EXPECT_EQ(Child<QPushButton>(form, "bAct1")->text(), "Ok");

    ActionFlags flags; // program start
    form.SetExistingName("/out/arrow_0.cur");
    form.FormShow(flags);
    EXPECT_EQ(Child<QLabel>(form, "Label1")->text(), "/out/arrow_0.cur");
    EXPECT_EQ(form.answer().action, ExistingAction::Skip);
    EXPECT_FALSE(form.answer().allOthers);

    // The user picks Auto Rename for all others and presses Ok.
    WhenShown(form, [&] {
        Child<QRadioButton>(form, "RadioGroup1Item2")->setChecked(true);
        Child<QRadioButton>(form, "RadioGroup2Item1")->setChecked(true);
        Child<QPushButton>(form, "bAct1")->click();
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.answer().action, ExistingAction::AutoRename);
    EXPECT_TRUE(form.answer().allOthers);
    EXPECT_FALSE(form.answer().stop);

    // Esc, like Cancel, stops the batch; the next question starts afresh.
    EXPECT_EQ(Child<QPushButton>(form, "bCancel")->text(), "Cancel");
    form.FormShow(flags);
    WhenShown(form, [&] {
        SaveScreenshot(form, "already-exists");
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_TRUE(form.answer().stop);
    form.FormShow(flags);
    EXPECT_FALSE(form.answer().stop);

    // Overwrite set: preselected. End of batch (no flag set): the last selection stays, "All others" back to No.
    flags.ActionSkip = 0;
    flags.ActionOverwrite = 1;
    form.FormShow(flags);
    EXPECT_EQ(form.answer().action, ExistingAction::Overwrite);
    flags.ClearAtBatchEnd();
    form.FormShow(flags);
    EXPECT_EQ(form.answer().action, ExistingAction::Overwrite);
    EXPECT_FALSE(form.answer().allOthers);
}

TEST(BatchDialogs, WizardFormPerCategoryFolderFieldAndButtons) {
    App();
    ScriptedPrompts prompts;
    ExtractionWizard wizard(prompts, "/tmp");
    EXPECT_EQ(Child<QLineEdit>(wizard, "DirectoryEdit1")->text(), "/tmp");
    EXPECT_TRUE(Child<QLineEdit>(wizard, "DirectoryEdit1")->isReadOnly());
    EXPECT_EQ(Child<QLabel>(wizard, "StaticText1")->text(), "Select Extraction Directory");
    EXPECT_EQ(Child<QPushButton>(wizard, "bWAbort1")->toolTip(), "Abort Extraction");
    EXPECT_EQ(Child<QPushButton>(wizard, "bWRun")->toolTip(), "Extract to Selected Directory");

    wizard.Prepare(ObjectKind::Cursors);
    EXPECT_EQ(Child<QLabel>(wizard, "RxLabel1")->text(), "Static Cursor Extraction Wizard");
    EXPECT_EQ(Child<QGroupBox>(wizard, "rgW1")->title(), "Static Cursor Options");
    EXPECT_EQ(Child<QRadioButton>(wizard, "rgW1Item0")->text(), "Extract as Cursors");
    EXPECT_EQ(Child<QRadioButton>(wizard, "rgW1Item1")->text(), "Extract as Bitmaps");

    // Browse, choose bitmaps, recurse, Execute.
    prompts.folders = {"/data/out"};
    Child<QToolButton>(wizard, "DirectoryEdit1Button")->click();
    EXPECT_EQ(prompts.folderTitles, std::vector<std::string>{"Select Extraction Directory"});
    Child<QRadioButton>(wizard, "rgW1Item1")->setChecked(true);
    Child<QCheckBox>(wizard, "rdBox")->setChecked(true);
    WhenShown(wizard, [&] { Child<QPushButton>(wizard, "bWRun")->click(); });
    EXPECT_EQ(wizard.exec(), ExtractionWizard::mrOk);
    EXPECT_EQ(wizard.options().ExtractionDir, "/data/out");
    EXPECT_TRUE(wizard.options().AsBitmaps);
    EXPECT_FALSE(wizard.options().AsCursors);
    EXPECT_TRUE(wizard.options().RecurseDirs);

    // Next run, icons: items replaced, selection kept, "Recurse" unticked; Abort changes nothing.
    wizard.Prepare(ObjectKind::Icons);
    EXPECT_EQ(Child<QLabel>(wizard, "RxLabel1")->text(), "Icon Extraction Wizard");
    EXPECT_EQ(Child<QRadioButton>(wizard, "rgW1Item0")->text(), "Extract as Icons");
    EXPECT_TRUE(Child<QRadioButton>(wizard, "rgW1Item1")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(wizard, "rdBox")->isChecked());
    prompts.folders = {"/elsewhere"};
    Child<QToolButton>(wizard, "DirectoryEdit1Button")->click();
    WhenShown(wizard, [&] { Child<QPushButton>(wizard, "bWAbort1")->click(); });
    EXPECT_EQ(wizard.exec(), ExtractionWizard::mrAbort);
    EXPECT_EQ(wizard.options().ExtractionDir, "/data/out");
    EXPECT_EQ(Child<QLineEdit>(wizard, "DirectoryEdit1")->text(), "/elsewhere"); // the field keeps the choice

    // Bitmaps: no option group, always bitmaps.
    wizard.Prepare(ObjectKind::Bitmaps);
    EXPECT_EQ(Child<QLabel>(wizard, "RxLabel1")->text(), "Bitmap Extraction Wizard");
    EXPECT_TRUE(Child<QGroupBox>(wizard, "rgW1")->isHidden());
    WhenShown(wizard, [&] { Child<QPushButton>(wizard, "bWRun")->click(); });
    wizard.exec();
    EXPECT_TRUE(wizard.options().AsBitmaps);
    EXPECT_FALSE(wizard.options().AsIcons);

    // Animated cursors: whole, or frame by frame, never as bitmaps.
    wizard.Prepare(ObjectKind::AnimatedCursors);
    EXPECT_EQ(Child<QRadioButton>(wizard, "rgW1Item0")->text(), "Extract as Animated Cursors");
    Child<QRadioButton>(wizard, "rgW1Item1")->setChecked(true);
    WhenShown(wizard, [&] { Child<QPushButton>(wizard, "bWRun")->click(); });
    wizard.exec();
    EXPECT_TRUE(wizard.options().AsFrames);
    EXPECT_FALSE(wizard.options().AsCursors || wizard.options().AsBitmaps);
}

TEST(BatchCommands, WizardRunsFromTheExplorerWithoutAskingAndHidesItsPanels) {
    App();
    TempDir dir;
    const std::string src = dir.file("src"), out = dir.file("out");
    fs::create_directories(src + "/sub");
    fs::create_directories(out);
    ASSERT_TRUE(WriteFile(src + "/app.exe", BuildBatchPe()));
    ASSERT_TRUE(WriteFile(src + "/sub/app.exe", BuildBatchPe()));
    ASSERT_TRUE(WriteFile(out + "/appexe_0_0.ico", Bytes{1})); // replaced without a question

    ExplorerState state;
    state.CurrentDir = src;
    state.Category = Category::IconFiles;
    const ScanResult scan = RunScanner(src, state.Category, {});
    StoreScanCounters(state, scan);
    const std::vector<ListRow> rows = SortedRows(scan);

    AlreadyExistsDialog existingDialog;
    DialogPrompts prompts(existingDialog);
    ExtractionWizard wizard(prompts, dir.path());
    QWidget panel6, panel7;
    QProgressBar gauge1;
    QLabel label2;
    PanelProgress progress(&panel6, &panel7, &gauge1, &label2);
    ActionFlags flags;
    SummaryCloser summaries;

    // Abort: nothing is written, no summary.
    WhenShown(wizard, [&] { Child<QPushButton>(wizard, "bWAbort1")->click(); });
    RunExtractAll(wizard, state, rows, flags, progress);
    EXPECT_EQ(fs::file_size(out + "/appexe_0_0.ico"), 1u);
    EXPECT_TRUE(summaries.texts.empty());

    prompts.folders = {out};
    WhenShown(wizard, [&] {
        Child<QToolButton>(wizard, "DirectoryEdit1Button")->click();
        Child<QCheckBox>(wizard, "rdBox")->setChecked(true);
        Child<QRadioButton>(wizard, "rgW1Item0")->setChecked(true);
        Child<QPushButton>(wizard, "bWRun")->click();
    });
    RunExtractAll(wizard, state, rows, flags, progress);
    EXPECT_EQ(ReadFile(out + "/appexe_0_0.ico"), ExpectedIco(TheBatchImages().icon4, 16, 16, 1, 4));
    EXPECT_TRUE(fs::exists(out + "/appexe_0_0_.ico")); // the sub-folder's copy
    EXPECT_TRUE(prompts.existingShown.empty()) << "the wizard never asks";
    EXPECT_TRUE(prompts.messages.empty());
    ASSERT_EQ(summaries.texts.size(), 1u);
    EXPECT_TRUE(Has(summaries.texts[0], "The extraction is finished.\nFiles read: 2\nFiles written: 6 ("))
        << summaries.texts[0];
    EXPECT_EQ(summaries.details[0], "");
    EXPECT_TRUE(panel6.isHidden());
    EXPECT_TRUE(panel7.isHidden());
    EXPECT_EQ(gauge1.value(), 100);
    EXPECT_EQ(label2.text(), "app.exe");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A target that cannot be written: the summary's details name the file, the panel is hidden.
    prompts.folders = {dir.file("missing")};
    WhenShown(wizard, [&] {
        Child<QToolButton>(wizard, "DirectoryEdit1Button")->click();
        Child<QPushButton>(wizard, "bWRun")->click();
    });
    RunExtractAll(wizard, state, rows, flags, progress);
    ASSERT_EQ(summaries.texts.size(), 2u);
    EXPECT_TRUE(Has(summaries.texts[1], "ended early")) << summaries.texts[1];
    EXPECT_TRUE(Has(summaries.texts[1], "Failed: 1\n")) << summaries.texts[1];
    EXPECT_TRUE(Has(summaries.details[1], dir.file("missing") + "/appexe_0_0.ico")) << summaries.details[1];
    EXPECT_TRUE(panel6.isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The panel's Cancel button and Escape ask the run to stop; a click during a
// run ends it after the file in hand, and the summary says what was done.
TEST(BatchCommands, CancelStopsTheWizardAndTheSummaryTellsWhatWasDone) {
    App();
    // Panel6 as the explorer lays it out: Label2 above Gauge1.
    QWidget panel6, panel7;
    auto* label2 = new QLabel;
    auto* gauge1 = new QProgressBar;
    auto* layout = new QVBoxLayout(&panel6);
    layout->addWidget(label2);
    layout->addWidget(gauge1);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    {
        PanelProgress progress(&panel6, &panel7, gauge1, label2);
        QPushButton* cancel = Child<QPushButton>(panel6, "bWCancel");
        ASSERT_NE(cancel, nullptr);
        EXPECT_TRUE(cancel->isHidden());
        progress.ProcessingStarted();
        EXPECT_TRUE(cancel->isVisible());
        EXPECT_FALSE(progress.StopRequested());
        cancel->click();
        EXPECT_TRUE(progress.StopRequested());
        EXPECT_FALSE(cancel->isEnabled());
        progress.ProcessingFinished(); // the run is over: the request with it
        EXPECT_FALSE(progress.StopRequested());
        EXPECT_TRUE(cancel->isHidden());

        QApplication::sendEvent(&panel7, &escape); // no run: Escape is not watched
        EXPECT_FALSE(progress.StopRequested());
        progress.CountingStarted();
        QApplication::sendEvent(&panel7, &escape);
        EXPECT_TRUE(progress.StopRequested());
        progress.CountingFinished();
        progress.ProcessingStarted();
        EXPECT_FALSE(cancel->isEnabled());
        progress.ProcessingFinished();
    }

    // A run whose Cancel is clicked as its first file is announced.
    TempDir dir;
    const std::string src = dir.file("src"), out = dir.file("out");
    fs::create_directories(src);
    fs::create_directories(out);
    for (const char* name : {"a.exe", "b.exe", "c.exe"}) ASSERT_TRUE(WriteFile(src + "/" + name, BuildBatchPe()));
    ExplorerState state;
    state.CurrentDir = src;
    state.Category = Category::IconFiles;
    const ScanResult scan = RunScanner(src, state.Category, {});
    StoreScanCounters(state, scan);
    const std::vector<ListRow> rows = SortedRows(scan);
    ScriptedPrompts prompts;
    prompts.folders = {out};
    ExtractionWizard wizard(prompts, dir.path());
    PanelProgress progress(&panel6, &panel7, gauge1, label2);
    progress.SetRedrawInterval(std::chrono::milliseconds(0)); // every file moves the gauge
    EXPECT_EQ(panel6.findChildren<QPushButton*>().size(), 1) << "the panel keeps one button";
    const auto click = QObject::connect(gauge1, &QProgressBar::valueChanged, [&](int value) {
        if (value > 0) Child<QPushButton>(panel6, "bWCancel")->click();
    });
    WhenShown(wizard, [&] {
        Child<QToolButton>(wizard, "DirectoryEdit1Button")->click();
        Child<QPushButton>(wizard, "bWRun")->click();
    });
    SummaryCloser summaries;
    ActionFlags flags;
    RunExtractAll(wizard, state, rows, flags, progress);
    QObject::disconnect(click);
    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(out)) written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"aexe_0_0.ico", "aexe_0_1.ico", "aexe_1_0.ico"}));
    EXPECT_EQ(ReadFile(out + "/aexe_0_0.ico"), ExpectedIco(TheBatchImages().icon4, 16, 16, 1, 4));
    ASSERT_EQ(summaries.texts.size(), 1u);
    EXPECT_TRUE(Has(summaries.texts[0], "stopped after 1 of 3 entries")) << summaries.texts[0];
    EXPECT_TRUE(Has(summaries.texts[0], "Files read: 1\nFiles written: 3 (")) << summaries.texts[0];
    EXPECT_TRUE(panel6.isHidden());
    EXPECT_FALSE(progress.StopRequested());

    // The dialog on its own: counts, every note and the error, the folder button.
    WizardResult result;
    result.ok = false;
    result.error = "Cannot write file \"" + out + "/x.ico\"";
    result.filesFailed = 1;
    result.filesRead = 1234;
    result.stats.filesWritten = 5678;
    result.stats.filesSkipped = 25;
    for (int i = 0; i < 25; ++i) result.notes.push_back("note " + std::to_string(i));
    WizardSummaryDialog summary(result, 2, out);
    const std::string text = summary.summaryText().toStdString();
    EXPECT_TRUE(Has(text, "Files read: 1,234\nFiles written: 5,678 (")) << text;
    EXPECT_TRUE(Has(text, "Skipped: 25\nFailed: 1\n")) << text;
    const std::string details = summary.detailsText().toStdString();
    EXPECT_EQ(details.rfind(result.error + "\n", 0), 0u) << details;
    EXPECT_TRUE(Has(details, "note 0\n") && Has(details, "note 24")) << "no note is left out";
    EXPECT_TRUE(Child<QPushButton>(summary, "bOpenFolder")->isEnabled());
    EXPECT_NE(Child<QPushButton>(summary, "bClose"), nullptr);
    WizardSummaryDialog nowhere(WizardResult{}, 0, dir.file("missing"));
    EXPECT_FALSE(Child<QPushButton>(nowhere, "bOpenFolder")->isEnabled());
    EXPECT_TRUE(Child<QPlainTextEdit>(nowhere, "SummaryDetails")->isHidden());
}

// Enter closes the summary, also with Open Folder focused; where no program
// opens folders, Open Folder says so in the dialog.
TEST(BatchCommands, SummaryClosesOnEnterAndSaysWhenTheFolderCannotBeOpened) {
    App();
    TempDir dir;
    WizardSummaryDialog summary(WizardResult{}, 1, dir.path());
    auto* open = Child<QPushButton>(summary, "bOpenFolder");
    auto* close = Child<QPushButton>(summary, "bClose");
    ASSERT_TRUE(open && close);
    EXPECT_TRUE(close->isDefault());
    EXPECT_FALSE(open->autoDefault());
    for (bool focusOnOpen : {false, true}) {
        WhenShown(summary, [&] {
            if (focusOnOpen) open->setFocus();
            QWidget* focused = QApplication::focusWidget();
            QTest::keyClick(focused ? focused : &summary, Qt::Key_Return);
            // A summary that Enter left open ends the wait with another result.
            QTimer::singleShot(1000, &summary, [&] {
                if (summary.isVisible()) summary.done(-1);
            });
        });
        EXPECT_EQ(summary.exec(), QDialog::Accepted) << focusOnOpen;
        EXPECT_TRUE(summary.openFailedText().isEmpty()) << "Enter must not try to open the folder";
    }

    // The offscreen platform has no program to open folders with, as a
    // desktop without a file manager.
    ASSERT_FALSE(QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(dir.path()))));
    open->click();
    EXPECT_TRUE(summary.openFailedText().contains("cannot be opened")) << summary.openFailedText().toStdString();
    EXPECT_FALSE(Child<QLabel>(summary, "SummaryOpenFailed")->isHidden());
}

// Panel7 offers Cancel while the tree is counted; a stop then leaves the
// total short, and the summary says it was counted so far.
TEST(BatchCommands, CountingHasCancelAndAStopThereSaysCountedSoFar) {
    App();
    QWidget panel6, panel7;
    auto* label2 = new QLabel;
    auto* gauge1 = new QProgressBar;
    (new QVBoxLayout(&panel6))->addWidget(gauge1);
    panel6.layout()->addWidget(label2);
    auto* wait = new QLabel("Please wait");
    wait->setObjectName("Panel7Label");
    (new QVBoxLayout(&panel7))->addWidget(wait);
    PanelProgress progress(&panel6, &panel7, gauge1, label2);
    QPushButton* countCancel = Child<QPushButton>(panel7, "bWCountCancel");
    ASSERT_NE(countCancel, nullptr);
    EXPECT_EQ(wait->text(), "Please wait");
    EXPECT_TRUE(countCancel->isHidden());
    progress.CountingStarted();
    EXPECT_TRUE(countCancel->isVisible());
    countCancel->click();
    EXPECT_TRUE(progress.StopRequested());
    EXPECT_FALSE(countCancel->isEnabled());
    progress.CountingFinished();
    EXPECT_TRUE(countCancel->isHidden());
    progress.ProcessingStarted();
    progress.ProcessingFinished();
    EXPECT_FALSE(progress.StopRequested());

    // A run whose Cancel is clicked as soon as Panel7 shows.
    TempDir dir;
    const std::string src = dir.file("src"), out = dir.file("out");
    for (const char* name : {"a.exe", "sub1/b.exe", "sub2/c.exe", "sub3/d.exe"}) {
        fs::create_directories(fs::path(src + "/" + name).parent_path());
        ASSERT_TRUE(WriteFile(src + "/" + name, BuildBatchPe()));
    }
    fs::create_directories(out);
    ExplorerState state;
    state.CurrentDir = src;
    state.Category = Category::IconFiles;
    const ScanResult scan = RunScanner(src, state.Category, {});
    StoreScanCounters(state, scan);
    const std::vector<ListRow> rows = SortedRows(scan);
    ScriptedPrompts prompts;
    prompts.folders = {out};
    ExtractionWizard wizard(prompts, dir.path());
    struct ClickWhenShown : QObject {
        QPushButton* button;
        explicit ClickWhenShown(QPushButton* b) : button(b) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Show) button->click();
            return false;
        }
    } clicker(countCancel);
    panel7.installEventFilter(&clicker);
    WhenShown(wizard, [&] {
        Child<QToolButton>(wizard, "DirectoryEdit1Button")->click();
        Child<QCheckBox>(wizard, "rdBox")->setChecked(true);
        Child<QPushButton>(wizard, "bWRun")->click();
    });
    SummaryCloser summaries;
    ActionFlags flags;
    RunExtractAll(wizard, state, rows, flags, progress);
    panel7.removeEventFilter(&clicker);
    EXPECT_TRUE(fs::is_empty(out));
    ASSERT_EQ(summaries.texts.size(), 1u);
    // 1 listed file and the first sub-folder counted before the stop.
    EXPECT_TRUE(Has(summaries.texts[0], "stopped after 0 of 2 entries counted so far;")) << summaries.texts[0];
    EXPECT_TRUE(panel7.isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The gauge and Label2 are drawn a few times a second however fast entries
// come, and always end on the last one.
TEST(BatchCommands, TheProgressIsDrawnAFewTimesASecondAndEndsOnTheLast) {
    App();
    QWidget panel6;
    QProgressBar gauge1;
    QLabel label2;
    PanelProgress progress(&panel6, nullptr, &gauge1, &label2);
    int draws = 0;
    QObject::connect(&gauge1, &QProgressBar::valueChanged, [&](int) { ++draws; });
    constexpr int kEntries = 200000;
    const auto start = std::chrono::steady_clock::now();
    progress.ProcessingStarted();
    for (int i = 1; i <= kEntries; ++i)
        progress.Advance(int(int64_t(i) * 100 / kEntries), "entry " + std::to_string(i));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const int64_t intervals = elapsed / PanelProgress::kRedrawInterval;
    EXPECT_LE(draws, intervals + 2) << "drawn " << draws << " times in " << intervals << " intervals";
    progress.ProcessingFinished();
    EXPECT_EQ(gauge1.value(), 100);
    EXPECT_EQ(label2.text(), "entry 200000");

    // Without the interval every step is drawn.
    progress.SetRedrawInterval(std::chrono::milliseconds(0));
    progress.ProcessingStarted();
    draws = 0;
    for (int percent : {10, 20, 30}) progress.Advance(percent, "x");
    EXPECT_EQ(draws, 3);
    progress.ProcessingFinished();
}

TEST(BatchCommands, SaveAllBitmapsAsksOnceForTheFirstExistingFile) {
    App();
    TempDir dir;
    const std::string src = dir.file("src");
    fs::create_directories(src + "/folder");
    for (const char* name : {"a.bmp", "b.bmp"})
        ASSERT_TRUE(WriteFile(src + "/" + name, BuildBmpFile(TheBatchImages().bitmap8)));
    ExplorerState state;
    state.CurrentDir = src;
    state.Category = Category::Bitmaps;
    const ScanResult scan = RunScanner(src, state.Category, {});
    StoreScanCounters(state, scan);
    const std::vector<ListRow> rows = SortedRows(scan);

    AlreadyExistsDialog existingDialog;
    DialogPrompts prompts(existingDialog);
    ActionFlags flags;
    int shown = 0;
    QString label1;
    auto answerAutoRenameForAll = [&] {
        ++shown;
        label1 = Child<QLabel>(existingDialog, "Label1")->text();
        Child<QRadioButton>(existingDialog, "RadioGroup1Item2")->setChecked(true);
        Child<QRadioButton>(existingDialog, "RadioGroup2Item1")->setChecked(true);
        Child<QPushButton>(existingDialog, "bAct1")->click();
    };
    WhenShown(existingDialog, answerAutoRenameForAll);
    prompts.folders = {src};
    SaveAllListedBitmaps(state, rows, flags, prompts);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(label1.toStdString(), src + "/a.bmp");
    EXPECT_TRUE(fs::exists(src + "/a_.bmp"));
    EXPECT_TRUE(fs::exists(src + "/b_.bmp"));
    EXPECT_FALSE(flags.ActionAnswered);
    EXPECT_TRUE(prompts.messages.empty());
    // The command ends with a summary of what it wrote and where.
    ASSERT_EQ(prompts.summaries.size(), 1u);
    EXPECT_EQ(prompts.summaries[0].first, "Save All Bitmaps");
    EXPECT_EQ(prompts.summaries[0].second.folder, src);
    EXPECT_EQ(prompts.summaries[0].second.stats.filesWritten, 2);

    // The desktop's summary: the counts, the folder and its button, and
    // what ended the command; nothing for a command cancelled at its start.
    AlreadyExistsDialog unused;
    QtPrompts real(nullptr, unused);
    BatchResult result = prompts.summaries[0].second;
    SummaryCloser closer;
    real.ShowSummary("Save All Bitmaps", result);
    result.ok = false;
    result.error = "Cannot write file \"" + src + "/c.bmp\"";
    real.ShowSummary("Extract All", result);
    ASSERT_EQ(closer.texts.size(), 2u);
    EXPECT_TRUE(Has(closer.texts[0], "Files written: 2 (")) << closer.texts[0];
    EXPECT_TRUE(Has(closer.texts[0], "Skipped: 0\nFailed: 0")) << closer.texts[0];
    EXPECT_TRUE(Has(closer.texts[1], "Failed: 1")) << closer.texts[1];
    EXPECT_EQ(closer.details[1], result.error);
    WizardSummaryDialog summary(WizardSummaryDialog::BatchTitle("Save All Bitmaps", prompts.summaries[0].second),
                                QString::fromStdString(BatchSummaryText(prompts.summaries[0].second)), "Folder: ",
                                src, QString());
    summary.show();
    EXPECT_EQ(summary.windowTitle(), "Save All Bitmaps finished");
    SaveScreenshot(summary, "batch-summary");
    BatchResult cancelled;
    cancelled.cancelled = true;
    ReportBatchSummary("Save All", cancelled, prompts);
    EXPECT_EQ(prompts.summaries.size(), 1u);
}

// The save dialog asks before replacing a file also when the name typed gets
// its extension from the default suffix; "No" brings the dialog back.
TEST(BatchDialogs, SaveDialogAsksForANameCompletedByTheSuffix) {
    App();
    TempDir dir;
    ASSERT_TRUE(WriteFile(dir.file("old.ico"), Bytes{1, 2, 3}));
    AlreadyExistsDialog existingDialog;
    QtPrompts prompts(nullptr, existingDialog);
    SaveFileRequest request{"Save Icon", "Icons (*.ico)", "ico", dir.file("x.ico")};

    // Each step acts on the modal window of its kind once it is up.
    std::vector<std::function<bool(QWidget*)>> steps;
    QStringList asked;
    auto typeOld = [&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog) return false;
        dialog->selectFile(QString::fromStdString(dir.file("old")));
        static_cast<QDialog*>(dialog)->accept(); // the dialog's own checks run
        return true;
    };
    auto answer = [&](QMessageBox::StandardButton button) {
        return [&asked, button](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box) return false;
            asked << box->text();
            box->button(button)->click();
            return true;
        };
    };
    auto cancel = [](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog) return false;
        dialog->reject();
        return true;
    };
    QTimer driver;
    driver.setInterval(5);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!steps.empty() && modal && modal->isVisible() && steps.front()(modal)) steps.erase(steps.begin());
    });
    driver.start();

    steps = {typeOld, answer(QMessageBox::No), cancel};
    EXPECT_EQ(prompts.ChooseSaveFile(request), std::nullopt);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith("old.ico already exists.")) << asked[0].toStdString();

    steps = {typeOld, answer(QMessageBox::Yes)};
    EXPECT_EQ(prompts.ChooseSaveFile(request), dir.file("old.ico"));
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(ReadFile(dir.file("old.ico")), (Bytes{1, 2, 3})); // choosing a name writes nothing
}
