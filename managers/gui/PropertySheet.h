#pragma once
// What Icon Properties and Specific Cursor Properties share: one image of a
// group (or the group, from a workdesk) with its preview, value lines, file
// name, totals and the group's other formats.
#include <QDialog>

#include <vector>

#include "gui/ViewRequest.h"
#include "managers/core/IconManager.h"

class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace gw {

// What a property sheet is opened with: one image of a group (image 0 and
// the group as a whole from a workdesk), where it was opened from, the name
// its images are known by and the file's name.
template <class Group>
struct SheetRequest {
    const Group* group = nullptr;
    size_t image = 0;
    SheetSource source = SheetSource::FileManager;
    std::string base;     // the group's name, or the file's name before its first "."
    std::string fileName; // as the viewer shows it ("shell32.dll")
    // Set when group is frame `frame` of an animated cursor: the sheet then
    // names the image after the animation and adds its Animation page.
    const AnimatedCursor* animation = nullptr;
    size_t frame = 0;
};

// The sheet's request for a window's view request: the group (or the
// animation's frame) of the request's file, the image, where it was asked
// from and the names. The group is null when the file has no such group or
// frame.
template <class Group>
SheetRequest<Group> SheetRequestFor(const ViewRequest& request);

// What tells Icon Properties from Specific Cursor Properties.
struct SheetDesign {
    const char* objectName = nullptr;
    const char* caption = nullptr;
    int valueLines = 3; // 3 for icons (name, format, size), 4 for cursors (the hot spot too)
    int height = 0;     // the sheet's designed height
};

template <class Group>
class PropertySheet : public QDialog {
public:
    using Kind = ManagerKind<Group>;

    // Fills the sheet with what it shows; the caller then shows it.
    void Open(const SheetRequest<Group>& request);

    const ManagerProperties& Values() const { return m_values; }
    QLabel* Preview() const { return m_preview; }
    // What the sheet says of an image that cannot be shown (hidden otherwise).
    QLabel* Trouble() const { return m_trouble; }
    // The value lines beside the preview, top to bottom.
    const std::vector<QLabel*>& ValueLabels() const { return m_valueLines; }
    // The Animation page (objectName "AnimationPage"), its tab shown only
    // for a frame of an animated cursor; null until the first one.
    QWidget* AnimationPage() const { return m_animationPage; }
    QTabWidget* Tabs() const { return m_tabs; }

    void FormClose();

protected:
    PropertySheet(const SheetDesign& design, QWidget* parent);
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void FitValues();
    std::vector<std::string> ValueTexts() const;
    void ShowAnimation(const AnimatedCursor& animation);

    ManagerProperties m_values;
    int m_height;
    QTabWidget* m_tabs;
    QWidget* m_animationPage = nullptr;
    QPlainTextEdit* m_animationLines = nullptr;
    int m_otherTop;
    QWidget* m_page;
    QLabel* m_preview;
    QLabel* m_trouble;
    QLabel* m_language; // "Language: ..." when the file tells the group's language
    std::vector<QLabel*> m_valueLines;
    QLabel* m_fileName;
    QLabel* m_totalImages;
    QLabel* m_totalSize;
    QLabel* m_heading;
    std::vector<QLabel*> m_otherLines;
};

} // namespace gw
