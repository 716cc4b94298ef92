#pragma once
// The About box: the program's name, its version and what it does.
#include <QDialog>

namespace gw {

class TForm20 : public QDialog {
    Q_OBJECT
public:
    explicit TForm20(QWidget* parent = nullptr);
};

} // namespace gw
