#pragma once
// The help window: the help document shipped with the program, opened at the
// section of a help context number (1 explorer, 2 workdesks, 3 managers).
#include <QDialog>

class QTextBrowser;

namespace gw {

constexpr int kHelpExplorer = 1;
constexpr int kHelpWorkdesks = 2;
constexpr int kHelpManagers = 3;

class THelpForm : public QDialog {
    Q_OBJECT
public:
    explicit THelpForm(QWidget* parent = nullptr);

    // Shows the document at the section of the context; an unknown context
    // shows its beginning.
    void ShowContext(int context);
    QTextBrowser* Browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};

// Opens the help of a window at a context. Each top-level window keeps one
// help window, shown beside it (not modal) and reused on the next request.
THelpForm* OpenHelp(QWidget* from, int context);

} // namespace gw
