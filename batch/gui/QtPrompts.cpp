#include "batch/gui/QtPrompts.h"

#include <filesystem>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "batch/core/BatchWriter.h"
#include "batch/gui/AlreadyExistsDialog.h"
#include "batch/gui/WizardSummaryDialog.h"
#include "gui/LocalPaths.h"
#include "gui/WindowPlaces.h"
#include "platform/FileIo.h"

namespace gw {

namespace {
// A batch may show the busy cursor; a question needs the normal one while it is asked.
class NormalCursor {
public:
    NormalCursor() : m_busy(QApplication::overrideCursor() != nullptr) {
        if (m_busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursor() {
        if (m_busy) QApplication::restoreOverrideCursor();
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

private:
    bool m_busy;
};
// The process's folder in the file system's bytes.
std::string CurrentFolder() {
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

} // namespace

// Folder browsers and save dialogs start where the user last saved that kind
// of file, not in a system folder they cannot write to.
std::optional<std::string> QtPrompts::ChooseFolder(const std::string& title, const std::string& startFolder) {
    NormalCursor cursor;
    const QString kind = QString::fromStdString(title);
    const std::string source = startFolder.empty() ? CurrentFolder() : startFolder;
    const QString start = StartFolder(kind, FromLocal(source));
    const std::string offered = start == FromLocal(source) ? source : ToLocal(start);
    const QString folder = QFileDialog::getExistingDirectory(m_parent, kind, start, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return std::nullopt;
    RememberFolder(kind, folder);
    return ToLocalLike(folder, offered);
}

// The question is asked here, on the name the dialog returns, rather than by
// the dialog: a desktop's own file dialog checks the name as typed, before
// the default suffix completes it, and would replace "name.ico" unasked.
std::optional<std::string> QtPrompts::ChooseSaveFile(const SaveFileRequest& request) {
    NormalCursor cursor;
    const QString kind = QString::fromStdString(request.defaultExtension);
    const size_t slash = request.initialName.find_last_of('/');
    // A bare name is offered in the current folder: the source file's.
    const std::string sourceFolder = slash == std::string::npos ? CurrentFolder() : request.initialName.substr(0, slash);
    const std::string name = request.initialName.substr(slash == std::string::npos ? 0 : slash + 1);
    const QString start = StartFolder(kind, FromLocal(sourceFolder));
    const std::string offered = (start == FromLocal(sourceFolder) ? sourceFolder : ToLocal(start)) + "/" + name;
    QFileDialog dialog(m_parent, QString::fromStdString(request.title), FromLocal(offered),
                       QString::fromStdString(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        const QString chosen = dialog.selectedFiles().front();
        const std::string path = ToLocalLike(chosen, offered);
        RememberFolder(kind, QFileInfo(chosen).absolutePath());
        if (!request.overwritePrompt || !EntryExists(path)) return path;
        const QString question = QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                     .arg(QFileInfo(chosen).fileName());
        if (QMessageBox::warning(&dialog, dialog.windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes)
            return path;
        dialog.selectFile(chosen); // asked again, from the same name
    }
}

ExistingAnswer QtPrompts::SettleExisting(const std::string& existingPath, const ActionFlags& flags) {
    m_existingDialog.SetExistingName(FromLocal(existingPath));
    m_existingDialog.FormShow(flags);
    NormalCursor cursor;
    m_existingDialog.exec();
    return m_existingDialog.answer();
}

void QtPrompts::ShowMessage(MessageKind kind, const std::string& text) {
    NormalCursor cursor;
    // The core's messages start in lower case, as the command line says them
    // after its name; a window shows them as a sentence.
    QString message = QString::fromStdString(text);
    if (!message.isEmpty()) message[0] = message[0].toUpper();
    if (kind == MessageKind::Error)
        QMessageBox::critical(m_parent, QApplication::applicationName(), message);
    else
        QMessageBox::warning(m_parent, QApplication::applicationName(), message);
}

void QtPrompts::ShowSummary(const std::string& command, const BatchResult& result) {
    NormalCursor cursor;
    WizardSummaryDialog summary(WizardSummaryDialog::BatchTitle(command, result),
                                QString::fromStdString(BatchSummaryText(result)), "Folder: ", result.folder,
                                WizardSummaryDialog::BatchDetails(result), m_parent);
    summary.exec();
}

} // namespace gw
