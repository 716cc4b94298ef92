#pragma once
// The bytes of one image as a record keeps them: a view into the bytes of
// the file it was read from, kept alive by a shared owner (the file's
// mapping), so that listing a library copies nothing; or bytes of its own
// when there is no owner to share (bytes a caller holds, a padded block).
// Copies of a record share the bytes; they are never changed in place.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/ByteReader.h"

namespace gw {

class SharedBytes {
public:
    SharedBytes() = default;
    // Bytes of its own.
    SharedBytes(Bytes bytes);
    // A view of bytes that owner keeps alive; with no owner, a copy of them.
    SharedBytes(std::shared_ptr<const void> owner, ByteView view);

    const uint8_t* data() const { return m_view.data(); }
    size_t size() const { return m_view.size(); }
    bool empty() const { return m_view.empty(); }
    const uint8_t* begin() const { return m_view.data(); }
    const uint8_t* end() const { return m_view.data() + m_view.size(); }
    uint8_t operator[](size_t i) const { return m_view[i]; }
    operator ByteView() const { return m_view; }
    ByteView view() const { return m_view; }

    // The bytes as a vector of their own (a copy).
    Bytes ToBytes() const { return Bytes(begin(), end()); }

    // Replace the bytes with a copy of these.
    template <class It>
    void assign(It first, It last) { *this = SharedBytes(Bytes(first, last)); }
    void assign(size_t count, uint8_t value) { *this = SharedBytes(Bytes(count, value)); }
    // Keeps the first n bytes, or pads with zeros to n.
    void resize(size_t n);
    void clear() { *this = SharedBytes(); }

    friend bool operator==(const SharedBytes& a, ByteView b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator==(const SharedBytes& a, const SharedBytes& b) { return a == b.view(); }
    friend bool operator==(const SharedBytes& a, const Bytes& b) { return a == ByteView(b); }

private:
    std::shared_ptr<const void> m_owner;
    ByteView m_view;
};

} // namespace gw
