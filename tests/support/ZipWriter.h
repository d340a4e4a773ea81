#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace packshelf::test {

// Builds zip archives byte by byte, so tests can make archives no ordinary
// tool would: any name bytes, flags, methods, wrong sizes or CRCs.
class ZipWriter {
public:
    struct Entry {
        QByteArray name;            // raw name bytes
        QByteArray data;            // uncompressed content
        int method = 8;             // 0 stored, 8 deflate, other: data stored raw
        quint16 flags = 0;          // general purpose bits
        quint16 dosTime = 0x6eaf;   // 13:53:30
        quint16 dosDate = 0x3acf;   // 2009-06-15
        quint16 versionMadeBy = 20; // host 0 (MS-DOS)
        quint32 externalAttributes = 0;
        std::optional<quint32> crc;          // override the CRC-32
        std::optional<quint32> declaredSize; // override the uncompressed size
        std::optional<QByteArray> rawData;   // override the stored (compressed) bytes
        std::optional<quint32> storedSize;   // override the compressed size in the directory
        bool dataDescriptor = false;         // sizes and CRC after the data (flag bit 3)
        std::optional<int> aliasOf;          // share the local header and data of entry N
        QByteArray localExtra;               // extra fields of the local header
        QByteArray centralExtra;             // extra fields of the central record
        // CRC-32 and sizes 0 in the local header, with no data descriptor,
        // as some writers leave them.
        bool zeroLocalValues = false;
    };

    // An entry with the given content and defaults for everything else.
    static Entry entry(const QByteArray& name, const QByteArray& data, int method = 8);

    ZipWriter& add(Entry entry);
    ZipWriter& addFile(const QByteArray& name, const QByteArray& data, int method = 8);
    ZipWriter& addFolder(const QByteArray& name);
    // A Unix symbolic link entry (mode 0120777) whose content is its target.
    ZipWriter& addSymlink(const QByteArray& name, const QByteArray& target);
    // Bytes before the archive, as a self-extractor stub has them.
    ZipWriter& setPrefix(const QByteArray& prefix);
    // Zip64 forms for every entry, as `zip -fz` writes them: saturated
    // 32-bit sizes and offsets with the Zip64 extended-information field in
    // local and central headers, 64-bit data descriptors, and the Zip64 end
    // records.
    ZipWriter& setForceZip64(bool forced);

    QByteArray bytes() const;
    bool writeTo(const QString& path) const;

    static QByteArray deflateRaw(const QByteArray& data);
    // An extra field: its id, its length, its data.
    static QByteArray extraField(quint16 id, const QByteArray& data);
    static quint32 crc32Of(const QByteArray& data);

private:
    std::vector<Entry> m_entries;
    QByteArray m_prefix;
    bool m_zip64 = false;
};

} // namespace packshelf::test
