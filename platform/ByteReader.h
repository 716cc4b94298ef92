#pragma once
// Bounds-checked little-endian reads over a span of bytes. Every reader of
// untrusted file data goes through this class: a read past the end sets the
// failed flag and yields zeros, so callers check ok() at the points where a
// failure changes what they do, never before every single read.
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace gw {

using Bytes = std::vector<uint8_t>;
using ByteView = std::span<const uint8_t>;

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(ByteView data, uint64_t pos = 0) : m_data(data), m_pos(pos) {
        if (pos > data.size()) m_ok = false;
    }

    uint64_t size() const { return m_data.size(); }
    uint64_t pos() const { return m_pos; }
    uint64_t remaining() const { return m_pos <= m_data.size() ? m_data.size() - m_pos : 0; }
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos >= m_data.size(); }
    ByteView data() const { return m_data; }

    // Moves to an absolute offset; an offset past the end fails the reader.
    bool seek(uint64_t pos) {
        if (pos > m_data.size()) { m_ok = false; return false; }
        m_pos = pos;
        return true;
    }
    bool skip(uint64_t n) {
        if (n > remaining()) { m_pos = m_data.size(); m_ok = false; return false; }
        m_pos += n;
        return true;
    }
    bool has(uint64_t n) const { return n <= remaining(); }

    uint8_t u8() { uint8_t v = 0; read(&v, 1); return v; }
    uint16_t u16() { uint8_t b[2] = {}; read(b, 2); return uint16_t(b[0] | (b[1] << 8)); }
    uint32_t u32() {
        uint8_t b[4] = {};
        read(b, 4);
        return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    }
    int32_t i32() { return int32_t(u32()); }
    int16_t i16() { return int16_t(u16()); }

    // Copies n bytes; on a short read copies nothing and fails.
    bool read(void* out, uint64_t n) {
        if (n > remaining()) { m_pos = m_data.size(); m_ok = false; return false; }
        if (n) std::memcpy(out, m_data.data() + m_pos, size_t(n));
        m_pos += n;
        return true;
    }
    // A view of the next n bytes (empty and failed when they are not all there).
    ByteView view(uint64_t n) {
        if (n > remaining()) { m_pos = m_data.size(); m_ok = false; return {}; }
        ByteView v = m_data.subspan(size_t(m_pos), size_t(n));
        m_pos += n;
        return v;
    }
    // Reads up to and including a zero byte; keeps at most maxKeep characters.
    // Fails when the data ends before the terminator.
    std::string cstring8(size_t maxKeep) {
        std::string s;
        while (true) {
            if (atEnd()) { m_ok = false; return s; }
            uint8_t c = m_data[size_t(m_pos++)];
            if (c == 0) return s;
            if (s.size() < maxKeep) s.push_back(char(c));
        }
    }

private:
    ByteView m_data;
    uint64_t m_pos = 0;
    bool m_ok = true;
};

// True when [offset, offset + length) lies inside a buffer of the given size,
// computed without overflow.
inline bool InBounds(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

inline uint16_t PeekU16(ByteView d, uint64_t off) {
    if (!InBounds(off, 2, d.size())) return 0;
    return uint16_t(d[off] | (d[off + 1] << 8));
}
inline uint32_t PeekU32(ByteView d, uint64_t off) {
    if (!InBounds(off, 4, d.size())) return 0;
    return uint32_t(d[off]) | (uint32_t(d[off + 1]) << 8) | (uint32_t(d[off + 2]) << 16) |
           (uint32_t(d[off + 3]) << 24);
}

// Little-endian appends for writers.
inline void PutU8(Bytes& b, uint8_t v) { b.push_back(v); }
inline void PutU16(Bytes& b, uint16_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
inline void PutU32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void PutI32(Bytes& b, int32_t v) { PutU32(b, uint32_t(v)); }
inline void PatchU32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

} // namespace gw
