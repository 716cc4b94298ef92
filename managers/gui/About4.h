#pragma once
// Bitmap Properties: a bitmap's 64 x 64 picture, its name, size and colours,
// for the bitmap file the Bitmap & Glyph Manager opened or the item selected
// in the Bitmap Workdesk.
#include <QDialog>
#include <QImage>

#include <optional>
#include <string>

#include "managers/core/BitmapManager.h"

class QLabel;

namespace gw {

struct CommonData;
struct FileContents;

// What the sheet shows of a Bitmap Workdesk item: its caption, the texts
// of its width, height and pixel-format columns, and its list thumbnail.
struct WorkdeskBitmapView {
    std::string caption;
    std::string width;
    std::string height;
    std::string format;
    QImage thumbnail;
};

class TForm7 : public QDialog {
public:
    explicit TForm7(CommonData& common, QWidget* parent = nullptr);

    // The workdesk's selected item; nullopt: the sheet shows the bitmap file
    // the manager loaded (SetFileContents), with SelFileName and WorkBitmap.
    void SetWorkdeskItem(std::optional<WorkdeskBitmapView> item) { m_deskItem = std::move(item); }
    void SetFileContents(const FileContents* contents) { m_contents = contents; }

    const BitmapProperties& Values() const { return m_values; }
    QLabel* Preview() const { return m_preview; }

    void FormShow();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    CommonData& m_common;
    std::optional<WorkdeskBitmapView> m_deskItem;
    const FileContents* m_contents = nullptr;
    BitmapProperties m_values;
    QLabel* m_preview;
    QLabel* m_name;
    QLabel* m_size;
    QLabel* m_colors;
};

} // namespace gw
