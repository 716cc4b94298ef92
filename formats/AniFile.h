#pragma once
// Animated cursors and icons: the RIFF "ACON" form of .ani files, which is
// also the whole of an animated cursor or icon resource. Its header chunk
// ("anih") states the frames, the steps and the default rate; optional
// "rate" and "seq " chunks give each step its time and frame; a "LIST" of
// type "fram" holds one "icon" chunk per frame, each a whole .cur or .ico
// file, read by the icon and cursor file reader.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/CurTypes.h"
#include "platform/ByteReader.h"
#include "platform/ReadError.h"
#include "platform/SharedBytes.h"

namespace gw {

// A frame: the images of one .cur (or .ico) file, hot spots included (TAniFrame).
struct AnimationFrame {
    bool IsCursor = true;     // the frame's file says cursor (type 2); icons have no hot spot
    SharedBytes Data;         // the frame's whole file
    CursorGroup Images;
};

// An animated cursor or icon: its header, steps, rates, texts and frames (TAniCursor).
struct AnimatedCursor {
    std::string Name;
    bool Named = false; // Name is a resource name or made from the file's name, not an id (IsNamed)
    bool AnimatedIcon = false; // an animated icon resource (type 22) rather than a cursor
    // As "anih" states them.
    uint32_t StatedFrames = 0;
    uint32_t StatedSteps = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t BitCount = 0;
    uint32_t DefaultRate = 0; // jiffies, 1/60 s
    bool IconFrames = false;  // frames are .cur/.ico files (the only kind this reader shows)
    bool HasSequence = false;
    std::string Title;  // INAM, when present
    std::string Artist; // IART, when present
    std::vector<AnimationFrame> Frames;
    // One entry per step: the frame it shows and for how long, in jiffies.
    // Always as long as each other; without "seq " the frames in order,
    // without "rate" the default rate.
    std::vector<uint32_t> StepFrames;
    std::vector<uint32_t> StepRates;
    SharedBytes Data; // the whole RIFF form, as read
    // The language (LANGID) of the resource shown, and every language the
    // file holds it in, ascending; 0 and empty where the file tells none.
    uint16_t Language = 0;
    std::vector<uint16_t> Languages;
};

// The frame the first step shows: the picture that stands for the whole
// animation. Null when the animation has no step.
inline const AnimationFrame* FirstStepFrame(const AnimatedCursor& a) {
    if (a.StepFrames.empty() || a.StepFrames.front() >= a.Frames.size()) return nullptr;
    return &a.Frames[a.StepFrames.front()];
}

// The extension of a frame's own file: ".cur", or ".ico" for an icon frame.
inline const char* FrameFileExtension(const AnimationFrame& frame) { return frame.IsCursor ? ".cur" : ".ico"; }

// Milliseconds of a rate in jiffies (1/60 s).
inline uint32_t JiffiesToMs(uint32_t jiffies) { return uint32_t(uint64_t(jiffies) * 1000 / 60); }

// Steps and frames a file may state at most; more is damage, not a cursor.
constexpr uint32_t kMaxAniSteps = 1u << 16;

// The reader: what could be read, and the first damage. Nothing is
// allocated from a count before the chunks that hold it are there.
ReadResult<AnimatedCursor> ParseAniFile(ByteView file, const std::shared_ptr<const void>& owner = nullptr);

// True when the bytes start as a RIFF "ACON" form.
bool IsAniData(ByteView bytes);

} // namespace gw
