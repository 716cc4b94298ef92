#include "platform/SharedBytes.h"

namespace gw {

SharedBytes::SharedBytes(Bytes bytes) {
    auto own = std::make_shared<const Bytes>(std::move(bytes));
    m_view = ByteView(*own);
    m_owner = std::move(own);
}

SharedBytes::SharedBytes(std::shared_ptr<const void> owner, ByteView view) {
    if (!owner) {
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

} // namespace gw
