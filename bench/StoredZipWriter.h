#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

namespace packshelf::bench {

// Writes a zip archive whose entries are all stored (method 0), for layouts
// the archive layer's writer does not make: incompressible files kept
// uncompressed, tens of thousands of empty entries, and gigabytes of zeros
// left as a hole in a sparse file. Zip64 fields and end records are written
// where an entry's size, an offset or the entry count need them. Every entry
// carries the same date, so the same entries always give the same bytes.
class StoredZipWriter {
public:
    explicit StoredZipWriter(const QString& zipPath);

    void addFile(const QString& name, const QByteArray& data);
    // An entry of `size` zero bytes, written as a hole in the file.
    void addZeros(const QString& name, quint64 size);
    // Writes the central directory and the end records; answers whether
    // every write since the construction succeeded.
    bool finish();

private:
    struct Entry {
        QByteArray name;
        quint32 crc = 0;
        quint64 size = 0;
        quint64 offset = 0; // of the local header
    };

    void writeLocalHeader(const Entry& entry);
    void write(const QByteArray& bytes);

    QFile m_file;
    QList<Entry> m_entries;
    bool m_ok = false;
};

} // namespace packshelf::bench
