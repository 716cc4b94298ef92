#pragma once
// Icon Properties: one image of an icon group (or the group, from the Icon
// Workdesk) with its preview, format, size and the group's other formats.
#include <QDialog>

#include <vector>

#include "formats/IcoTypes.h"
#include "managers/core/IconManager.h"

class QLabel;

namespace gw {

struct CommonData;

class TForm3 : public QDialog {
public:
    explicit TForm3(CommonData& common, QWidget* parent = nullptr);

    // The groups the sheet reads (IconGroupIndex, IconImageIndex, IconPropsSource).
    void SetGroups(const std::vector<TAdvIconGroupList>* groups) { m_groups = groups; }

    const IconProperties& Values() const { return m_values; }
    QLabel* Preview() const { return m_preview; }

    void FormShow();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    CommonData& m_common;
    const std::vector<TAdvIconGroupList>* m_groups = nullptr;
    IconProperties m_values;
    QWidget* m_page;
    QLabel* m_preview;
    QLabel* m_name;
    QLabel* m_format;
    QLabel* m_size;
    QLabel* m_fileName;
    QLabel* m_totalImages;
    QLabel* m_totalSize;
    QLabel* m_heading;
    std::vector<QLabel*> m_otherLines;
};

} // namespace gw
