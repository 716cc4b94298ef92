#include "platform/SharedBytes.h"

#include <algorithm>

namespace gw {

SharedBytes::SharedBytes(Bytes bytes) {
    auto own = std::make_shared<const Bytes>(std::move(bytes));
    m_view = ByteView(*own);
    m_owner = std::move(own);
}

SharedBytes::SharedBytes(std::shared_ptr<const void> owner, ByteView view) : SharedBytes(std::move(owner), view, true) {}

SharedBytes::SharedBytes(std::shared_ptr<const void> owner, ByteView view, bool copyWithoutOwner) {
    if (!owner && copyWithoutOwner) {
        *this = SharedBytes(Bytes(view.begin(), view.end()));
        return;
    }
    m_owner = std::move(owner);
    m_view = view;
}

void SharedBytes::resize(size_t n) {
    Bytes bytes = ToBytes();
    bytes.resize(n, 0);
    *this = SharedBytes(std::move(bytes));
}

bool operator==(const SharedBytes& a, const SharedBytes& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

} // namespace gw
