#pragma once
// The explorer window.
#include <QMainWindow>

namespace gw {

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};

} // namespace gw
