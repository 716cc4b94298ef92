#pragma once
// AlreadyExistsDialog: the "Already exists" dialog. It shows the file that exists,
// lets the user choose Skip, Overwrite or Auto Rename and whether that holds
// for all other existing files of the batch ("Ok"), or stop the batch there
// ("Cancel", Esc, or closing the window).
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
    // The choice the dialog was closed with; a stop when it was cancelled.
    ExistingAnswer answer() const;

    // "Cancel", Escape and the window manager's close: the batch stops.
    void reject() override;

public slots:
    // "Ok": the choice holds.
    void AcceptAnswer();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ExistingAction SelectedAction() const;

    QLabel* m_label1 = nullptr;
    QRadioButton* m_actions[3] = {};
    QRadioButton* m_allOthers[2] = {};
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_stopped = false;
};

} // namespace gw
