#pragma once
// The four kinds of record a file can hold, as the document reads them one
// kind at a time.
#include <cstddef>
#include <cstdint>

namespace gw {

enum class RecordKind : uint8_t { Icons, Cursors, Bitmaps, Animations };
constexpr size_t kRecordKinds = 4;

} // namespace gw
