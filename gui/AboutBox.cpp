#include "gui/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/ToolIcons.h"

namespace gw {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("Form20");
    setWindowTitle("About Grabwell");
    setModal(true);

    auto* picture = new QLabel(this);
    picture->setObjectName("ProgramIcon");
    picture->setPixmap(AppIcon().pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop);

    auto* product = new QLabel("Grabwell", this);
    product->setObjectName("ProductName");
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    product->setFont(big);

    auto* version = new QLabel(QStringLiteral("Version %1").arg(GRABWELL_VERSION), this);
    version->setObjectName("Version");

    auto* comments = new QLabel(
        "Finds, views, extracts and converts icons, bitmaps and cursors in image files, "
        "executables, libraries and resource files.",
        this);
    comments->setObjectName("Comments");
    comments->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName("OKButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(product);
    text->addWidget(version);
    text->addSpacing(8);
    text->addWidget(comments);
    text->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setFixedWidth(380);
}

} // namespace gw
