#include "archive/Password.h"

#include <cstring>

namespace packshelf {

Password::Password(QByteArrayView bytes)
    : m_bytes(bytes.begin(), bytes.end()) {}

Password::~Password() {
    if (!m_bytes.empty())
        ::explicit_bzero(m_bytes.data(), m_bytes.size());
}

} // namespace packshelf
