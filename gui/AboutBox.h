#pragma once
// The About box: the program's name, its version and what it does.
#include <QDialog>

namespace gw {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);
};

} // namespace gw
