#include "gui/Help.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/ToolIcons.h"

namespace gw {
namespace {

const QString kDocument = QStringLiteral("qrc:/help/grabwell-help.html");

} // namespace

THelpForm::THelpForm(QWidget* parent) : QDialog(parent) {
    setObjectName("HelpForm");
    setWindowTitle("Grabwell Help");
    setWindowIcon(AppIcon()); // also loads the program's resources, the document among them
    setModal(false);
    resize(640, 560);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName("HelpBrowser");
    m_browser->setOpenExternalLinks(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(buttons->button(QDialogButtonBox::Close), &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
}

void THelpForm::ShowContext(int context) {
    QUrl url(kDocument);
    if (context >= kHelpExplorer && context <= kHelpManagers) url.setFragment(QStringLiteral("context-%1").arg(context));
    // A source equal to the current one is not loaded again: go to its
    // section ourselves.
    if (m_browser->source() != url) {
        m_browser->setSource(url);
    } else if (url.hasFragment()) {
        m_browser->scrollToAnchor(url.fragment());
    } else {
        m_browser->verticalScrollBar()->setValue(0);
    }
}

THelpForm* OpenHelp(QWidget* from, int context) {
    QWidget* owner = from ? from->window() : nullptr;
    auto* help = owner ? owner->findChild<THelpForm*>("HelpForm", Qt::FindDirectChildrenOnly) : nullptr;
    if (!help) help = new THelpForm(owner);
    help->ShowContext(context);
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

} // namespace gw
