#include "tests/support/AniBuilder.h"

namespace gw::test {

namespace {

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

void PutId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

void PutChunk(Bytes& b, const char* id, const Bytes& data) {
    PutId(b, id);
    Put32(b, uint32_t(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() % 2) b.push_back(0);
}

Bytes Words(const std::vector<uint32_t>& words) {
    Bytes b;
    for (uint32_t w : words) Put32(b, w);
    return b;
}

} // namespace

Bytes BuildAni(const AniLayout& layout) {
    Bytes form;
    PutId(form, "ACON");
    const uint32_t steps = layout.statedSteps.value_or(
        layout.sequence ? uint32_t(layout.sequence->size()) : uint32_t(layout.frames.size()));
    Bytes header;
    for (uint32_t v : {36u, layout.statedFrames.value_or(uint32_t(layout.frames.size())), steps, layout.width, layout.height,
                       layout.bitCount, 1u, layout.defaultRate,
                       uint32_t((layout.iconFrames ? 1 : 0) | (layout.sequence ? 2 : 0))})
        Put32(header, v);
    if (!layout.title.empty() || !layout.artist.empty()) {
        Bytes info;
        PutId(info, "INFO");
        if (!layout.title.empty()) PutChunk(info, "INAM", Bytes(layout.title.c_str(), layout.title.c_str() + layout.title.size() + 1));
        if (!layout.artist.empty())
            PutChunk(info, "IART", Bytes(layout.artist.c_str(), layout.artist.c_str() + layout.artist.size() + 1));
        PutChunk(form, "LIST", info);
    }
    PutChunk(form, "anih", header);
    if (layout.rates) PutChunk(form, "rate", Words(*layout.rates));
    if (layout.sequence) PutChunk(form, "seq ", Words(*layout.sequence));
    Bytes frames;
    PutId(frames, "fram");
    for (const Bytes& f : layout.frames) PutChunk(frames, "icon", f);
    PutChunk(form, "LIST", frames);
    Bytes file;
    PutId(file, "RIFF");
    Put32(file, uint32_t(form.size()));
    file.insert(file.end(), form.begin(), form.end());
    return file;
}

} // namespace gw::test
