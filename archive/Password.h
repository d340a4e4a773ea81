#pragma once

#include <QByteArrayView>
#include <memory>
#include <vector>

namespace packshelf {

// A password for an archive's encrypted entries, held in memory only: never
// copied into text that could be logged or stored, and its bytes wiped when
// it is let go. Shared, immutable, between whoever needs it.
class Password {
public:
    // The password as the bytes the archive's writer took (UTF-8 on Linux).
    explicit Password(QByteArrayView bytes);
    ~Password();
    Password(const Password&) = delete;
    Password& operator=(const Password&) = delete;

    QByteArrayView bytes() const {
        return QByteArrayView(reinterpret_cast<const char*>(m_bytes.data()),
                              qsizetype(m_bytes.size()));
    }
    bool isEmpty() const { return m_bytes.empty(); }

private:
    std::vector<unsigned char> m_bytes;
};

using SharedPassword = std::shared_ptr<const Password>;

inline SharedPassword makePassword(QByteArrayView bytes) {
    return std::make_shared<const Password>(bytes);
}

} // namespace packshelf
