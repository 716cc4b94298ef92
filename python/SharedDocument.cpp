#include "python/SharedDocument.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

#include "formats/BmpTypes.h"
#include "formats/CurTypes.h"
#include "formats/IcoTypes.h"

namespace gw::python {

std::optional<OpenFailure> WhyUnreadable(const std::string& path) {
    // The flags Document::Open uses: a FIFO or a device never makes this wait.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        return OpenFailure{error, std::strerror(error)};
    }
    struct stat st {};
    std::optional<OpenFailure> failure;
    if (fstat(fd, &st) != 0) {
        const int error = errno;
        failure = OpenFailure{error, std::strerror(error)};
    } else if (S_ISDIR(st.st_mode)) {
        failure = OpenFailure{EISDIR, std::strerror(EISDIR)};
    } else if (!S_ISREG(st.st_mode)) {
        failure = OpenFailure{0, "not a regular file"};
    }
    ::close(fd);
    return failure;
}

std::shared_ptr<SharedDocument> SharedDocument::Open(const std::string& path) {
    return std::make_shared<SharedDocument>(Document::Open(path));
}

std::shared_ptr<SharedDocument> SharedDocument::OfBytes(const std::string& name, Bytes bytes) {
    return std::make_shared<SharedDocument>(Document::OfBytes(name, std::move(bytes)));
}

SharedDocument::SharedDocument(std::shared_ptr<Document> doc) : m_path(doc->Path()), m_doc(std::move(doc)) {}

void SharedDocument::Close() {
    std::shared_ptr<Document> last;
    {
        std::lock_guard lock(m_docLock);
        last.swap(m_doc);
    }
    // Destroyed here, outside the lock, unless a call in progress holds it.
}

bool SharedDocument::Closed() const {
    std::lock_guard lock(m_docLock);
    return !m_doc;
}

SharedDocument::Held SharedDocument::Hold() {
    std::shared_ptr<Document> doc;
    {
        std::lock_guard lock(m_docLock);
        doc = m_doc;
    }
    if (!doc) throw DocumentClosed{};
    return Held(*this, std::move(doc));
}

const FileContents& SharedDocument::Held::Loaded(RecordKind kind) {
    std::unique_lock lock(m_shared.m_gate);
    m_doc->Load(kind);
    return m_doc->Contents();
}

std::vector<ReadError> SharedDocument::Held::AllErrors() {
    std::unique_lock lock(m_shared.m_gate);
    return m_doc->LoadAll();
}

template <class Record>
auto SharedDocument::DecodeOnce(const Record& record) {
    std::shared_lock gate(m_gate);
    std::lock_guard lock(m_recordLocks[std::hash<const void*>{}(&record) % m_recordLocks.size()]);
    if constexpr (std::is_same_v<Record, BitmapRecord>)
        return std::shared_ptr<Bitmap>(record.Bitmap());
    else
        return Handle(record.Handle());
}

Handle SharedDocument::Held::Picture(const IconImage& image) { return m_shared.DecodeOnce(image); }
Handle SharedDocument::Held::Picture(const CursorImage& image) { return m_shared.DecodeOnce(image); }
std::shared_ptr<Bitmap> SharedDocument::Held::Picture(const BitmapRecord& bitmap) {
    return m_shared.DecodeOnce(bitmap);
}

uint64_t SharedDocument::Held::OffsetOf(ByteView bytes) const {
    const ByteView file = m_doc->Bytes();
    if (bytes.empty() || file.empty()) return 0;
    // Compared as addresses: the bytes may be anywhere in memory.
    const auto begin = reinterpret_cast<uintptr_t>(file.data());
    const auto at = reinterpret_cast<uintptr_t>(bytes.data());
    return at >= begin && at - begin < file.size() ? uint64_t(at - begin) : 0;
}

std::vector<uint32_t> IconPixels(const DecodedImage& image) {
    const size_t n = size_t(std::max(image.width, 0)) * size_t(std::max(image.height, 0));
    if (n == 0 || image.argb.size() != n) return {};
    std::vector<uint32_t> argb = image.argb;
    // The rule IconImagePng draws by, so that rgba() and to_png() agree.
    if (!image.hasAlpha && image.mask.size() == n)
        for (size_t i = 0; i < n; ++i) argb[i] = (argb[i] & 0x00FFFFFFu) | (image.mask[i] ? 0u : 0xFF000000u);
    return argb;
}

std::vector<uint32_t> BitmapPixels(const Bitmap& bitmap) {
    if (!bitmap.HasHandle() || bitmap.pixels.size() != size_t(bitmap.width) * size_t(bitmap.height)) return {};
    std::vector<uint32_t> argb = bitmap.pixels;
    // A 32-bit bitmap whose fourth byte is 0 throughout does not use it.
    const bool alpha = std::any_of(argb.begin(), argb.end(), [](uint32_t p) { return (p >> 24) != 0; });
    if (!alpha)
        for (uint32_t& p : argb) p |= 0xFF000000u;
    return argb;
}

std::string RgbaBytes(const std::vector<uint32_t>& argb) {
    std::string out(argb.size() * 4, '\0');
    char* p = out.data();
    for (const uint32_t v : argb) {
        *p++ = char((v >> 16) & 0xFF);
        *p++ = char((v >> 8) & 0xFF);
        *p++ = char(v & 0xFF);
        *p++ = char(v >> 24);
    }
    return out;
}

int PixelFormatBits(PixelFormat format) {
    switch (format) {
    case PixelFormat::Bits1: return 1;
    case PixelFormat::Bits4: return 4;
    case PixelFormat::Bits8: return 8;
    case PixelFormat::Bits15: return 15;
    case PixelFormat::Bits16: return 16;
    case PixelFormat::Bits24: return 24;
    case PixelFormat::Bits32: return 32;
    case PixelFormat::Device:
    case PixelFormat::Custom: return 0;
    }
    return 0;
}

} // namespace gw::python
