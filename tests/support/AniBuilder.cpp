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

Bytes BuildAni(const AniSpec& spec) {
    Bytes form;
    PutId(form, "ACON");
    const uint32_t steps = spec.statedSteps.value_or(
        spec.sequence ? uint32_t(spec.sequence->size()) : uint32_t(spec.frames.size()));
    Bytes header;
    for (uint32_t v : {36u, spec.statedFrames.value_or(uint32_t(spec.frames.size())), steps, spec.width, spec.height,
                       spec.bitCount, 1u, spec.defaultRate,
                       uint32_t((spec.iconFrames ? 1 : 0) | (spec.sequence ? 2 : 0))})
        Put32(header, v);
    if (!spec.title.empty() || !spec.artist.empty()) {
        Bytes info;
        PutId(info, "INFO");
        if (!spec.title.empty()) PutChunk(info, "INAM", Bytes(spec.title.c_str(), spec.title.c_str() + spec.title.size() + 1));
        if (!spec.artist.empty())
            PutChunk(info, "IART", Bytes(spec.artist.c_str(), spec.artist.c_str() + spec.artist.size() + 1));
        PutChunk(form, "LIST", info);
    }
    PutChunk(form, "anih", header);
    if (spec.rates) PutChunk(form, "rate", Words(*spec.rates));
    if (spec.sequence) PutChunk(form, "seq ", Words(*spec.sequence));
    Bytes frames;
    PutId(frames, "fram");
    for (const Bytes& f : spec.frames) PutChunk(frames, "icon", f);
    PutChunk(form, "LIST", frames);
    Bytes file;
    PutId(file, "RIFF");
    Put32(file, uint32_t(form.size()));
    file.insert(file.end(), form.begin(), form.end());
    return file;
}

} // namespace gw::test
