#pragma once
// What Icon Properties and Specific Cursor Properties share: one image of a
// group (or the group, from a workdesk) with its preview, value lines, file
// name, totals and the group's other formats.
#include <QDialog>

#include <vector>

#include "managers/core/IconManager.h"

class QLabel;

namespace gw {

struct CommonData;

template <class Group>
class PropertySheet : public QDialog {
public:
    using Kind = ManagerKind<Group>;

    // The groups the sheet reads (the kind's group and image index and source).
    void SetGroups(const std::vector<Group>* groups) { m_groups = groups; }

    const ManagerProperties& Values() const { return m_values; }
    QLabel* Preview() const { return m_preview; }
    // The value lines beside the preview, top to bottom.
    const std::vector<QLabel*>& ValueLabels() const { return m_valueLines; }

    void FormShow();
    void FormClose();

protected:
    // valueLines: 3 for icons (name, format, size), 4 for cursors (the hot
    // spot too); height: the sheet's designed height.
    PropertySheet(const char* objectName, const char* caption, int valueLines, int height, CommonData& common,
                  QWidget* parent);
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    std::vector<std::string> ValueTexts() const;

    CommonData& m_common;
    const std::vector<Group>* m_groups = nullptr;
    ManagerProperties m_values;
    int m_height;
    int m_otherTop;
    QWidget* m_page;
    QLabel* m_preview;
    std::vector<QLabel*> m_valueLines;
    QLabel* m_fileName;
    QLabel* m_totalImages;
    QLabel* m_totalSize;
    QLabel* m_heading;
    std::vector<QLabel*> m_otherLines;
};

} // namespace gw
