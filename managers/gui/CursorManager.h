#pragma once
// The Cursor Manager: the images of one cursor group, one row each, with its
// commands to save or export the selected image or all of them. On an
// animated cursor it plays the animation above the rows, which show the
// images of the frame the current step shows.
#include "managers/gui/GroupManager.h"

class QAction;
class QTimer;
class QToolButton;

namespace gw {

class CursorManager : public GroupManager<CursorGroup> {
public:
    CursorManager(ActionFlags& flags, Prompts& prompts, Viewers* viewers = nullptr, QWidget* parent = nullptr);

    // Opens the manager on a cursor file or, for an animated cursor file,
    // on its animation, which starts playing. False, having said why, when
    // nothing of the file can be shown; the caller shows the manager otherwise.
    bool OpenFile(const std::string& path);
    // Opens the manager on one animated cursor of a file a workdesk has
    // open (file->Contents().Animations[animation]), playing.
    void OpenWorkdeskAnimation(std::shared_ptr<Document> file, size_t animation);

    // The animation shown; null while the manager shows a cursor group.
    const AnimatedCursor* CurrentAnimation() const;
    size_t CurrentStep() const { return m_step; }
    bool Playing() const { return m_playing; }

    void SetPlaying(bool playing);
    // Shows step `step` (wrapping past the last), its frame's images as the rows.
    void ShowStep(size_t step);
    // One step forward or back, pausing playback.
    void NextStep();
    void PreviousStep();
    // The whole animated cursor through the "Save Animated Cursor" dialog.
    void SaveAnimatedCursor();

protected:
    const CursorGroup* ShownGroup() const override;
    CursorDataForm DataForm() const override;
    GroupSelection<CursorGroup> AllImages() const override;
    // A frame of an animation: the sheet adds the Animation page.
    ViewRequest SheetViewRequest() const override;
    void Released() override;
    PlacesKey Places() const override;

private:
    void ShowAnimation(std::shared_ptr<Document> file, size_t animation, ManagerMode mode);
    const AnimationFrame* CurrentFrame() const;
    void ShowPreview();

    bool m_animated = false; // showing an animation (m_animation of the file's)
    size_t m_animation = 0;
    size_t m_step = 0;
    bool m_playing = false;
    QTimer* m_timer;
    QWidget* m_player;
    QLabel* m_preview;
    QLabel* m_stepText;
    QToolButton* m_play;
    QAction* m_saveAnimation;
};

} // namespace gw
