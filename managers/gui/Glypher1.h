#pragma once
// The Bitmap & Glyph Manager: one bitmap in a preview and as the glyph of
// sample buttons, saved as a .bmp file or copied to the clipboard.
#include <QDialog>

#include <functional>
#include <vector>

#include "formats/FileContents.h"
#include "managers/core/BitmapManager.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace gw {

class Prompts;
struct CommonData;

class TForm6 : public QDialog {
public:
    TForm6(CommonData& common, Prompts& prompts, QWidget* parent = nullptr);

    // The workdesk's bitmaps the manager shows one of (BitmapIndex, with
    // WorkBitmap handed over); null: the manager loads the selected .bmp
    // file itself.
    void SetWorkdesk(const std::vector<TAdvBmp>* bitmaps) { m_deskBitmaps = bitmaps; }
    // The file the manager loaded itself (for Bitmap Properties on a file).
    const FileContents& Contents() const { return m_contents; }

    // Bitmap Properties plugs in here; nothing happens while empty.
    std::function<void()> openProperties;

    QLabel* Preview() const { return m_preview; }
    bool Transparent() const { return m_transparent; }
    int GlyphCount() const;

    void FormShow();
    void FormClose();
    void Button1Click();
    void cbFlatClick();
    void rgGlyphsClick();
    void Save1Click();
    void Copy1Click();
    void PropertiesClick();
    void Exit1Click();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    const TAdvBmp* Entry() const;
    void ShowPreview();
    void ShowGlyphs();

    CommonData& m_common;
    Prompts& m_prompts;
    const std::vector<TAdvBmp>* m_deskBitmaps = nullptr;
    FileContents m_contents; // file context
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
