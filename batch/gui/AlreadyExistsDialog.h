#pragma once
// AlreadyExistsDialog: the "Already exists" dialog. It shows the file that exists,
// lets the user choose Skip, Overwrite or Auto Rename and whether that holds
// for all other existing files of the batch, and closes only through "Ok".
#include <QDialog>

#include "batch/core/ActionFlags.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace gw {

class AlreadyExistsDialog : public QDialog {
    Q_OBJECT
public:
    explicit AlreadyExistsDialog(QWidget* parent = nullptr);

    // Label1: the full path of the file that exists, set before showing.
    void SetExistingName(const QString& path);
    // Preselects "Actions" from the flags (the selection of the last close
    // when none is set) and "All others" from ActionAllOthers.
    void FormShow(const ActionFlags& flags);
    // The choice the dialog was closed with.
    ExistingAnswer answer() const;

    // No cancel: Escape and the window manager's close do nothing.
    void reject() override;

public slots:
    // "Ok": the only way to close the dialog.
    void AcceptAnswer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ExistingAction SelectedAction() const;

    QLabel* m_label1 = nullptr;
    QRadioButton* m_actions[3] = {};
    QRadioButton* m_allOthers[2] = {};
    QPushButton* m_ok = nullptr;
};

} // namespace gw
