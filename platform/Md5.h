#pragma once
// MD5 (RFC 1321) of a byte string, for fingerprints of stored images and
// written files that other programs compare against their own md5sum. It is
// a checksum here, never a security measure.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ByteReader.h"

namespace gw {

using Md5Digest = std::array<uint8_t, 16>;

// Feeds bytes in any number of pieces; Finish gives the digest of everything
// fed and leaves the object to be fed afresh.
class Md5 {
public:
    Md5();
    void Update(ByteView bytes);
    Md5Digest Finish();

private:
    void Block(const uint8_t* block);

    uint32_t m_state[4];
    uint64_t m_length = 0; // bytes fed so far
    uint8_t m_buffer[64];
    size_t m_buffered = 0;
};

Md5Digest Md5Of(ByteView bytes);
// The digest as 32 lower-case hexadecimal digits, as md5sum prints it.
std::string Md5Hex(ByteView bytes);
std::string DigestHex(const Md5Digest& digest);

} // namespace gw
