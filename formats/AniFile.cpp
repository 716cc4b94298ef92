// The RIFF "ACON" reader. One bounded walk over the chunks: every chunk
// moves the walk forward by at least its 8-byte header, a chunk that runs
// past the form's end is cut to it (and noted), and lists nest one level
// only, so the walk always ends. Counts from the header are checked against
// the chunks found, never used to allocate.
#include "formats/AniFile.h"

#include <algorithm>
#include <optional>

#include "formats/CursorFile.h"
#include "platform/LoadBudget.h"
#include "platform/Text.h"

namespace gw {

namespace {

constexpr uint64_t kChunkHeaderSize = 8;
constexpr uint64_t kFormHeaderSize = 12; // "RIFF", size, "ACON"
constexpr uint64_t kAnihSize = 36;
constexpr uint32_t kIconFramesFlag = 1;
constexpr uint32_t kSequenceFlag = 2;
constexpr uint16_t kCursorFileType = 2;
constexpr size_t kMaxInfoText = 255;

constexpr uint32_t FourCC(const char (&text)[5]) {
    return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
           uint32_t(uint8_t(text[3])) << 24;
}

struct Chunk {
    uint32_t id = 0;
    uint64_t start = 0; // where its data starts
    ByteView data;      // cut to the end of the enclosing form or list
};

// Calls onChunk for every chunk in [begin, end); false from onChunk ends
// the walk. Notes a chunk whose data runs past end.
template <class OnChunk>
void WalkChunks(ByteView file, uint64_t begin, uint64_t end, ReadResult<AnimatedCursor>& result, OnChunk onChunk) {
    uint64_t pos = begin;
    while (pos + kChunkHeaderSize <= end) {
        const uint32_t id = PeekU32(file, pos);
        const uint64_t size = PeekU32(file, pos + 4);
        const uint64_t start = pos + kChunkHeaderSize;
        if (size > end - start)
            result.Note(ReadError::Truncated(start, "the chunk at " + GroupedNumber(pos), size, file.size()));
        const uint64_t kept = std::min(size, end - start);
        if (!onChunk(Chunk{id, start, file.subspan(size_t(start), size_t(kept))})) return;
        // Chunks start on even offsets: odd-sized data is followed by a pad byte.
        pos = start + kept + (kept & 1);
    }
}

std::vector<uint32_t> Words(ByteView data) {
    std::vector<uint32_t> words(std::min<uint64_t>(data.size() / 4, kMaxAniSteps));
    for (size_t i = 0; i < words.size(); ++i) words[i] = PeekU32(data, i * 4);
    return words;
}

// An INFO text: bytes up to the first zero, in the Windows-1252 code page.
std::string InfoText(ByteView data) {
    const size_t length = std::min<size_t>(
        size_t(std::find(data.begin(), data.end(), uint8_t(0)) - data.begin()), kMaxInfoText);
    return Windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(data.data()), length));
}

void ReadHeader(const Chunk& chunk, AnimatedCursor& ani, ReadResult<AnimatedCursor>& result, uint64_t fileSize) {
    if (chunk.data.size() < kAnihSize) {
        result.Note(ReadError::Truncated(chunk.start, "the animation header", kAnihSize, fileSize));
        return;
    }
    ByteReader r(chunk.data);
    r.u32(); // its own size
    ani.StatedFrames = r.u32();
    ani.StatedSteps = r.u32();
    ani.Width = r.u32();
    ani.Height = r.u32();
    ani.BitCount = r.u32();
    r.u32(); // planes
    ani.DefaultRate = r.u32();
    const uint32_t flags = r.u32();
    ani.IconFrames = (flags & kIconFramesFlag) != 0;
    ani.HasSequence = (flags & kSequenceFlag) != 0;
}

// Reads each frame's file; a frame's damage is placed in the whole file.
void ReadFrames(const std::vector<Chunk>& chunks, AnimatedCursor& ani, ReadResult<AnimatedCursor>& result,
                uint64_t fileSize, const std::shared_ptr<const void>& owner) {
    for (const Chunk& chunk : chunks) {
        AnimationFrame frame;
        frame.Data = SharedBytes(owner, chunk.data);
        frame.IsCursor = chunk.data.size() >= 4 && PeekU16(chunk.data, 2) == kCursorFileType;
        ReadResult<CursorGroup> read = ParseCursorFile(chunk.data, owner);
        if (read.error) {
            ReadError placed = read.error->At(chunk.start, fileSize);
            placed.message = "frame " + std::to_string(ani.Frames.size()) + ": " + placed.message;
            result.Note(placed);
        }
        frame.Images = std::move(read.records);
        if (!frame.IsCursor)
            for (CursorImage& im : frame.Images.Images) im.HotspotX = im.HotspotY = 0; // icons have none
        ani.Frames.push_back(std::move(frame));
    }
}

// The steps: from "seq " when the header says there is one, else the frames
// in order; each with its rate from "rate", else the default.
void BuildSteps(AnimatedCursor& ani, const std::optional<std::vector<uint32_t>>& sequence,
                const std::optional<std::vector<uint32_t>>& rates, ReadResult<AnimatedCursor>& result, uint64_t fileSize,
                uint64_t at) {
    const uint64_t frames = ani.Frames.size();
    auto invalid = [&](const std::string& what) { result.Note(ReadError::Invalid(at, what, fileSize)); };
    if (ani.StatedFrames != frames)
        invalid("the header states " + CountText(ani.StatedFrames, "frame") + ", the file holds " +
                std::to_string(frames));
    if (ani.HasSequence && sequence) {
        if (sequence->size() < std::min<uint64_t>(ani.StatedSteps, kMaxAniSteps))
            invalid("the sequence holds " + std::to_string(sequence->size()) + " of " +
                    CountText(ani.StatedSteps, "step"));
        const size_t steps = std::min<size_t>(sequence->size(), ani.StatedSteps);
        for (size_t s = 0; s < steps; ++s) {
            if ((*sequence)[s] < frames) {
                ani.StepFrames.push_back((*sequence)[s]);
            } else {
                invalid("step " + std::to_string(s) + " shows frame " + std::to_string((*sequence)[s]) + " of " +
                        std::to_string(frames));
                break;
            }
        }
    } else {
        if (ani.HasSequence) invalid("the header announces a sequence the file does not hold");
        for (uint32_t f = 0; f < frames; ++f) ani.StepFrames.push_back(f);
    }
    for (size_t s = 0; s < ani.StepFrames.size(); ++s)
        ani.StepRates.push_back(rates && s < rates->size() ? (*rates)[s] : ani.DefaultRate);
    if (rates && rates->size() < ani.StepFrames.size())
        invalid("the rates hold " + std::to_string(rates->size()) + " of " + CountText(ani.StepFrames.size(), "step"));
}

} // namespace

bool IsAniData(ByteView bytes) {
    return bytes.size() >= kFormHeaderSize && PeekU32(bytes, 0) == FourCC("RIFF") && PeekU32(bytes, 8) == FourCC("ACON");
}

ReadResult<AnimatedCursor> ParseAniFile(ByteView file, const std::shared_ptr<const void>& owner) {
    const LoadBudget budget(file.size());
    ReadResult<AnimatedCursor> result;
    AnimatedCursor& ani = result.records;
    if (!IsAniData(file)) {
        if (file.size() < kFormHeaderSize)
            result.Note(ReadError::Truncated(0, "the RIFF header", kFormHeaderSize, file.size()));
        else
            result.Note(ReadError::Invalid(0, "not an animated cursor (RIFF ACON) file", file.size()));
        return result;
    }
    const uint64_t stated = uint64_t(PeekU32(file, 4)) + kChunkHeaderSize;
    if (stated > file.size()) result.Note(ReadError::Truncated(0, "the animation", stated, file.size()));
    const uint64_t end = std::min<uint64_t>(stated, file.size());
    ani.Data = SharedBytes(owner, file.first(size_t(end)));

    bool header = false;
    uint64_t headerAt = 0;
    std::optional<std::vector<uint32_t>> sequence, rates;
    std::vector<Chunk> frames;
    WalkChunks(file, kFormHeaderSize, end, result, [&](const Chunk& chunk) {
        if (chunk.id == FourCC("anih") && !header) {
            header = true;
            headerAt = chunk.start;
            ReadHeader(chunk, ani, result, file.size());
        } else if (chunk.id == FourCC("rate") && !rates) {
            rates = Words(chunk.data);
        } else if (chunk.id == FourCC("seq ") && !sequence) {
            sequence = Words(chunk.data);
        } else if (chunk.id == FourCC("LIST") && chunk.data.size() >= 4) {
            const uint32_t type = PeekU32(chunk.data, 0);
            const uint64_t listEnd = chunk.start + chunk.data.size();
            WalkChunks(file, chunk.start + 4, listEnd, result, [&](const Chunk& item) {
                if (type == FourCC("fram") && item.id == FourCC("icon")) {
                    if (frames.size() >= kMaxAniSteps) return false;
                    frames.push_back(item);
                } else if (type == FourCC("INFO") && item.id == FourCC("INAM")) {
                    ani.Title = InfoText(item.data);
                } else if (type == FourCC("INFO") && item.id == FourCC("IART")) {
                    ani.Artist = InfoText(item.data);
                }
                return true;
            });
        }
        return true;
    });
    if (!header) {
        result.Note(ReadError::Invalid(kFormHeaderSize, "the animation has no header (anih)", file.size()));
        return result;
    }
    if (!ani.IconFrames) {
        result.Note({ReadErrorKind::Unsupported, headerAt, "frames stored as raw bitmaps are not read"});
        return result;
    }
    ReadFrames(frames, ani, result, file.size(), owner);
    BuildSteps(ani, sequence, rates, result, file.size(), headerAt);
    return result;
}

} // namespace gw
