#pragma once
// Bitmap Properties: a bitmap's 64 x 64 picture, its name, size and colours,
// for the bitmap file the Bitmap & Glyph Manager opened or the item selected
// in the Bitmap Workdesk.
#include <QDialog>
#include <QImage>

#include <memory>
#include <optional>
#include <string>

#include "gui/ViewRequest.h"
#include "managers/core/BitmapManager.h"

class QLabel;

namespace gw {

struct FileContents;

// What Bitmap Properties is opened with: the workdesk's item when it came
// from the Bitmap Workdesk (directly or through the manager), else the
// bitmap file the manager opened: its name, its work bitmap and the file's
// bitmap list (for the picture).
struct BitmapSheetRequest {
    std::optional<WorkdeskBitmapView> deskItem;
    std::string fileName;
    std::shared_ptr<const Bitmap> work;
    const FileContents* contents = nullptr;

    static BitmapSheetRequest OfDeskItem(WorkdeskBitmapView item) {
        BitmapSheetRequest request;
        request.deskItem = std::move(item);
        return request;
    }
};

// The sheet's request for a window's view request: the workdesk's row when
// it carries one, else the manager's copy of the bitmap of a file it opened.
BitmapSheetRequest BitmapSheetRequestFor(const ViewRequest& request);

class BitmapPropertiesSheet : public QDialog {
public:
    explicit BitmapPropertiesSheet(QWidget* parent = nullptr);

    // Fills the sheet with what it shows; the caller then shows it.
    void Open(const BitmapSheetRequest& request);

    const BitmapProperties& Values() const { return m_values; }
    QLabel* Preview() const { return m_preview; }

    void FormClose();

protected:
    void done(int result) override;

private:
    BitmapProperties m_values;
    QLabel* m_preview;
    QLabel* m_name;
    QLabel* m_size;
    QLabel* m_colors;
};

} // namespace gw
