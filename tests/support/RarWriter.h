#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace packshelf::test {

// Writes RAR 4 and RAR 5 archives of stored (uncompressed) entries byte by
// byte, as no Debian tool can: enough for readers, and for the flags a test
// needs (an encrypted entry, a volume of a split archive, any name).
class RarWriter {
public:
    enum class Version { Rar4, Rar5 };

    struct Entry {
        QByteArray name; // UTF-8, "/" between components
        QByteArray data;
        bool folder = false;
        bool encrypted = false; // RAR 4 only: the password flag
    };

    explicit RarWriter(Version version)
        : m_version(version) {}

    RarWriter& addFile(const QByteArray& name, const QByteArray& data);
    RarWriter& addFolder(const QByteArray& name);
    RarWriter& add(Entry entry);
    // Marks the archive as one volume of a split archive.
    RarWriter& setVolume(bool volume);

    QByteArray bytes() const;
    bool writeTo(const QString& path) const;

private:
    QByteArray rar4() const;
    QByteArray rar5() const;

    Version m_version;
    std::vector<Entry> m_entries;
    bool m_volume = false;
};

} // namespace packshelf::test
