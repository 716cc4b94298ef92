#include "managers/gui/CursorManager.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "batch/core/Prompts.h"
#include "gui/DamageReport.h"
#include "gui/QtImages.h"

namespace gw {

namespace {

// The preview draws a frame at its own size, scaled down to this at most.
constexpr int kPreviewSide = 128;
constexpr int kTroubleSignSide = 32;

constexpr ManagerDesign kCursorManagerDesign{
    .objectName = "Form9", .buttonPrefix = "bCu", .placesRole = "CursorManager", .sheet = Viewer::CursorSheet};

} // namespace

CursorManager::CursorManager(ActionFlags& flags, Prompts& prompts, Viewers* viewers, QWidget* parent)
    : GroupManager(kCursorManagerDesign, flags, prompts, viewers, parent), m_timer(new QTimer(this)) {
    // Each step restarts the timer with its own time.
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, [this] { ShowStep(m_step + 1); });

    m_player = new QWidget(this);
    m_player->setObjectName("AniPlayer");
    auto* box = new QVBoxLayout(m_player);
    box->setContentsMargins(0, 2, 0, 2);
    box->setSpacing(2);
    m_preview = new QLabel(m_player);
    m_preview->setObjectName("AniPreview");
    // As big as the biggest frame it draws, so the window keeps still while it plays.
    m_preview->setFixedSize(kPreviewSide + 4, kPreviewSide + 4);
    m_preview->setAlignment(Qt::AlignCenter);
    box->addWidget(m_preview, 0, Qt::AlignHCenter);
    auto* controls = new QHBoxLayout;
    auto button = [this, controls](const char* name, QStyle::StandardPixmap glyph, const QString& hint) {
        auto* b = new QToolButton(m_player);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(glyph));
        b->setText(hint);
        b->setToolTip(hint);
        controls->addWidget(b);
        return b;
    };
    controls->addStretch(1);
    QToolButton* previous = button("AniPrevious", QStyle::SP_MediaSkipBackward, "Previous Step");
    m_play = button("AniPlay", QStyle::SP_MediaPause, "Pause");
    QToolButton* next = button("AniNext", QStyle::SP_MediaSkipForward, "Next Step");
    controls->addStretch(1);
    connect(previous, &QToolButton::clicked, this, &CursorManager::PreviousStep);
    connect(m_play, &QToolButton::clicked, this, [this] { SetPlaying(!m_playing); });
    connect(next, &QToolButton::clicked, this, &CursorManager::NextStep);
    box->addLayout(controls);
    m_stepText = new QLabel(m_player);
    m_stepText->setObjectName("AniStep");
    m_stepText->setAlignment(Qt::AlignCenter);
    box->addWidget(m_stepText);
    InsertAboveList(m_player);
    m_player->hide();

    m_saveAnimation = ExtractMenu()->addAction("Extract &Animated Cursor...");
    m_saveAnimation->setObjectName("ExtractAnimatedCursor1");
    connect(m_saveAnimation, &QAction::triggered, this, &CursorManager::SaveAnimatedCursor);
    m_saveAnimation->setVisible(false);
    m_saveAnimation->setEnabled(false);
}

bool CursorManager::OpenFile(const std::string& path) {
    std::shared_ptr<Document> file = Document::Open(path);
    if (file->Kind() != FileKind::AnimatedCursor) return OpenGroupFile(std::move(file));
    Release();
    file->Load(RecordKind::Animations);
    const std::vector<AnimatedCursor>& animations = file->Contents().Animations;
    if (animations.empty() || !FirstStepFrame(animations.front())) {
        // Nothing to play: say why instead of opening an empty window.
        ShowUnreadable(*file, "it holds no animation step");
        return false;
    }
    ShowAnimation(std::move(file), 0, ManagerMode::File);
    return true;
}

void CursorManager::OpenWorkdeskAnimation(std::shared_ptr<Document> file, size_t animation) {
    Release();
    ShowAnimation(std::move(file), animation, ManagerMode::Workdesk);
}

// An animation that is not there, or has no step, shows its file with no
// rows and nothing playing.
void CursorManager::ShowAnimation(std::shared_ptr<Document> file, size_t animation, ManagerMode mode) {
    m_animated = true;
    m_animation = animation;
    m_step = 0;
    const std::vector<AnimatedCursor>* all = file ? &file->Contents().Animations : nullptr;
    const AnimatedCursor* shown = all && animation < all->size() ? &(*all)[animation] : nullptr;
    const bool playable = shown && FirstStepFrame(*shown);
    ShowFile(std::move(file), playable ? ManagerImageName(shown->Name, shown->StepFrames.front()) : std::string(),
             mode);
    m_saveAnimation->setVisible(shown != nullptr);
    m_saveAnimation->setEnabled(shown != nullptr);
    m_player->setVisible(playable);
    ShowPreview();
    SetPlaying(playable);
}

const AnimatedCursor* CursorManager::CurrentAnimation() const {
    if (!m_animated || !File()) return nullptr;
    const std::vector<AnimatedCursor>& all = File()->Contents().Animations;
    return m_animation < all.size() ? &all[m_animation] : nullptr;
}

const AnimationFrame* CursorManager::CurrentFrame() const {
    const AnimatedCursor* a = CurrentAnimation();
    if (!a || m_step >= a->StepFrames.size() || a->StepFrames[m_step] >= a->Frames.size()) return nullptr;
    return &a->Frames[a->StepFrames[m_step]];
}

const CursorGroup* CursorManager::ShownGroup() const {
    if (!m_animated) return GroupManager::ShownGroup();
    const AnimationFrame* frame = CurrentFrame();
    return frame ? &frame->Images : nullptr;
}

// A frame's images are the bitmaps of its .cur file, without a hot-spot prefix.
CursorDataForm CursorManager::DataForm() const {
    return m_animated ? CursorDataForm::CurFile : GroupManager::DataForm();
}

// Extract All and Export All write every frame of the animation.
GroupSelection<CursorGroup> CursorManager::AllImages() const {
    if (!m_animated) return GroupManager::AllImages();
    GroupSelection<CursorGroup> selection;
    selection.cursorForm = CursorDataForm::CurFile;
    if (const AnimatedCursor* a = CurrentAnimation()) selection.animations.push_back(a);
    return selection;
}

ViewRequest CursorManager::SheetViewRequest() const {
    ViewRequest request = GroupManager::SheetViewRequest();
    const AnimatedCursor* a = CurrentAnimation();
    if (!a || !CurrentFrame()) return request;
    request.shown = Shown::Animation;
    request.item = m_animation;
    request.frame = a->StepFrames[m_step];
    return request;
}

void CursorManager::SetPlaying(bool playing) {
    const AnimatedCursor* a = CurrentAnimation();
    m_playing = playing && a && !a->StepFrames.empty();
    const QString text = m_playing ? "Pause" : "Play";
    m_play->setText(text);
    m_play->setToolTip(text);
    m_play->setIcon(style()->standardIcon(m_playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    if (m_playing)
        m_timer->start(int(AnimationStepDelayMs(*a, m_step)));
    else
        m_timer->stop();
}

void CursorManager::ShowStep(size_t step) {
    const AnimatedCursor* a = CurrentAnimation();
    if (!a || a->StepFrames.empty()) return;
    m_step = step % a->StepFrames.size();
    const AnimationFrame* frame = CurrentFrame();
    ShowRows(frame ? ManagerImageName(a->Name, a->StepFrames[m_step]) : std::string());
    ShowPreview();
    if (m_playing) m_timer->start(int(AnimationStepDelayMs(*a, m_step)));
}

void CursorManager::NextStep() {
    SetPlaying(false);
    ShowStep(m_step + 1);
}

void CursorManager::PreviousStep() {
    const AnimatedCursor* a = CurrentAnimation();
    if (!a || a->StepFrames.empty()) return;
    SetPlaying(false);
    ShowStep(m_step == 0 ? a->StepFrames.size() - 1 : m_step - 1);
}

// The step's frame at its largest image that decodes; a frame with none
// shows the trouble sign.
void CursorManager::ShowPreview() {
    const AnimatedCursor* a = CurrentAnimation();
    m_stepText->setText(a ? QString::fromStdString(AnimationStepText(*a, m_step)) : QString());
    const AnimationFrame* frame = CurrentFrame();
    const std::optional<size_t> j = frame ? AnimationPreviewImage(frame->Images) : std::nullopt;
    QImage shown = j ? ToQImage(*frame->Images.Images[*j].Handle()) : QImage();
    if (shown.width() > kPreviewSide || shown.height() > kPreviewSide)
        shown = shown.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const bool trouble = shown.isNull() && frame;
    m_preview->setToolTip(trouble ? ImageTrouble(false, false) : QString());
    if (trouble) shown = ImageTroubleSign(kTroubleSignSide);
    if (shown.isNull())
        m_preview->clear();
    else
        m_preview->setPixmap(QPixmap::fromImage(shown));
}

void CursorManager::SaveAnimatedCursor() {
    if (const AnimatedCursor* a = CurrentAnimation()) ReportBatchResult(SaveAnimation(*a, m_prompts), m_prompts);
}

// Taller while it plays: "CursorManager/animated" (earlier "<objectName>/animated").
PlacesKey CursorManager::Places() const {
    const PlacesKey group = GroupManager::Places();
    return m_animated ? PlacesKey{group.role + "/animated", group.former + "/animated"} : group;
}

void CursorManager::Released() {
    m_timer->stop();
    m_playing = false;
    m_animated = false;
    m_animation = 0;
    m_step = 0;
    m_player->hide();
    m_preview->clear();
    m_stepText->clear();
    m_saveAnimation->setVisible(false);
    m_saveAnimation->setEnabled(false);
}

} // namespace gw
