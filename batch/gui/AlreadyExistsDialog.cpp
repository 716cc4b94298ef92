#include "batch/gui/AlreadyExistsDialog.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "gui/FramedDialog.h"

namespace gw {

namespace {
constexpr int kClientWidth = 308;
constexpr int kClientHeight = 214;
constexpr int kPathLabelWidth = 280;

QLabel* CentredLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QGroupBox* RadioGroup(QWidget* parent, const char* name, const QString& caption, const QStringList& items,
                      QRadioButton** buttons) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name);
    auto* layout = new QVBoxLayout(group);
    for (int i = 0; i < items.size(); ++i) {
        buttons[i] = new QRadioButton(items[i], group);
        buttons[i]->setObjectName(QString("%1Item%2").arg(name).arg(i));
        layout->addWidget(buttons[i]);
    }
    buttons[0]->setChecked(true);
    return group;
}
} // namespace

AlreadyExistsDialog::AlreadyExistsDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    QFrame* panel = SetUpFramedDialog(this, "AlreadyExistsDialog", kClientWidth, kClientHeight);

    m_label1 = CentredLabel(panel, "Label1", "");
    m_label1->setFixedWidth(kPathLabelWidth);
    m_label1->setWordWrap(true);
    auto* label2 = CentredLabel(panel, "Label2", "Already exists");
    auto* label3 = CentredLabel(panel, "Label3", "Specify an action, please");

    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup(panel, "RadioGroup1", "Actions", {"Skip", "Overwrite", "Auto Rename"}, m_actions));
    groups->addWidget(RadioGroup(panel, "RadioGroup2", "All others", {"No", "Yes"}, m_allOthers));

    m_ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "Ok", panel);
    m_ok->setObjectName("bAct1");
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &AlreadyExistsDialog::AcceptAnswer);
    m_cancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", panel);
    m_cancel->setObjectName("bCancel");
    m_cancel->setToolTip("Stop here: the files written so far stay");
    connect(m_cancel, &QPushButton::clicked, this, &AlreadyExistsDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(m_label1, 0, Qt::AlignHCenter);
    layout->addWidget(label2);
    layout->addWidget(label3);
    layout->addLayout(groups);
    layout->addLayout(buttons);
}

void AlreadyExistsDialog::SetExistingName(const QString& path) { m_label1->setText(path); }

void AlreadyExistsDialog::FormShow(const ActionFlags& flags) {
    m_stopped = false;
    m_actions[int(PreselectedAction(flags, SelectedAction()))]->setChecked(true);
    m_allOthers[flags.ActionAllOthers ? 1 : 0]->setChecked(true);
}

ExistingAction AlreadyExistsDialog::SelectedAction() const {
    if (m_actions[1]->isChecked()) return ExistingAction::Overwrite;
    if (m_actions[2]->isChecked()) return ExistingAction::AutoRename;
    return ExistingAction::Skip;
}

ExistingAnswer AlreadyExistsDialog::answer() const {
    return {SelectedAction(), m_allOthers[1]->isChecked(), m_stopped};
}

void AlreadyExistsDialog::AcceptAnswer() {
    m_stopped = false;
    accept();
}

void AlreadyExistsDialog::reject() {
    m_stopped = true;
    QDialog::reject();
}

void AlreadyExistsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace gw
