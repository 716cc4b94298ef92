#pragma once
// The Bitmap & Glyph Manager: one bitmap in a preview and as the glyph of
// sample buttons, saved as a .bmp file or copied to the clipboard.
#include <QDialog>

#include <memory>
#include <vector>

#include "formats/Document.h"
#include "managers/core/BitmapManager.h"
#include "managers/gui/BitmapPropertiesSheet.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace gw {

class Prompts;

class BitmapGlyphManager : public QDialog {
public:
    // viewers: where Bitmap Properties is asked for; null opens none.
    BitmapGlyphManager(Prompts& prompts, Viewers* viewers = nullptr, QWidget* parent = nullptr);

    // Opens the manager on a bitmap file, which it reads itself. False,
    // having said why, when the file holds no bitmap that can be shown.
    bool OpenFile(const std::string& path);
    // Opens the manager on one bitmap of a file a workdesk has open. The
    // manager works on a copy, so the format it gives it never changes the
    // workdesk's.
    // The workdesk's item goes on to Bitmap Properties.
    void OpenWorkdeskBitmap(std::shared_ptr<Document> file, size_t index, WorkdeskBitmapView item);
    bool FromWorkdesk() const { return m_fromWorkdesk; }

    QLabel* Preview() const { return m_preview; }
    // The bitmap shown, saved and copied: the manager's own copy.
    const std::shared_ptr<Bitmap>& Work() const { return m_work; }
    bool Transparent() const { return m_transparent; }
    int GlyphCount() const;

    void ToggleTransparency();
    void SetFlatButtons();
    void ChangeGlyphCount();
    void SaveBitmap();
    void CopyBitmap();
    void ShowProperties();
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const BitmapRecord* Entry() const;
    void ShowBitmap();
    void Release();
    void ShowPreview();
    void ShowGlyphs();

    Prompts& m_prompts;
    Viewers* m_viewers;
    std::shared_ptr<Document> m_file;
    size_t m_index = 0;
    bool m_fromWorkdesk = false;
    std::optional<WorkdeskBitmapView> m_deskItem;
    std::shared_ptr<Bitmap> m_work = std::make_shared<Bitmap>(); // the bitmap shown, saved and copied
    bool m_transparent = false;
    PreviewFit m_fit;
    QImage m_glyph; // the strip on the sample buttons; null while they keep none
    QLabel* m_preview;
    QPushButton* m_toggle;
    QLabel* m_panel4;
    QCheckBox* m_flat;
    QPushButton* m_bTest1;
    QToolButton* m_sTest1;
    QPushButton* m_bTest2;
    QToolButton* m_sTest2;
    QButtonGroup* m_glyphs;
    QLineEdit* m_width;
    QLabel* m_warning;
};

} // namespace gw
