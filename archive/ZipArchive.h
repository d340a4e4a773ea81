#pragma once

#include <QDateTime>
#include <QString>
#include <memory>

#include <minizip/zip.h>

namespace packshelf {

class ZipInput;
struct IndexEntry;

namespace handles {
struct ZipCloser {
    void operator()(void* handle) const { zipClose(static_cast<zipFile>(handle), nullptr); }
};
using UniqueZipFile = std::unique_ptr<void, ZipCloser>;
} // namespace handles

// A zip archive, opened either for reading (expand all of it into a folder)
// or for writing (add files one by one). One object serves one archive.
//
// Every answer is a yes/no; details of an expansion go to the hook
// OutputErrorMessage(). Reading goes by the archive's index (its central
// directory read at full Zip64 width, see ArchiveIndex) and reads each
// entry's stored bytes straight from the file, inflated with zlib; writing
// goes through minizip. Entries are checked as they are written: only the
// stored and deflate methods are accepted, every entry's CRC-32 and size are
// verified, entries whose path would leave the target folder are refused, and
// traditional PKWARE encryption is handled here.
class ZipArchive {
public:
    ZipArchive();
    virtual ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Writing side.
    bool CreateZipFile2(const QString& zipFile);
    bool CreateZipFile2(const QString& zipFile, const QString& password);
    bool addFileToZip(const QString& file, const QString& newname);
    bool CloseZipFile2();

    // Reading side.
    bool UnzipOpenFile(const QString& zipFile);
    bool UnzipOpenFile(const QString& zipFile, const QString& password);
    bool UnzipFileTo(const QString& path, bool overWrite);
    bool UnzipCloseFile();

    // Hooks a derived class may replace.
    virtual void OutputErrorMessage(const QString& msg);
    virtual bool OverWrite(const QString& file);

    // Midnight at the start of 1 January 1980, local time.
    static QDateTime Date1980();

    // Kept for the caller; no operation of the class consults it.
    std::shared_ptr<void> delegate() const { return _delegate; }
    void setDelegate(std::shared_ptr<void> delegate) { _delegate = std::move(delegate); }

private:
    enum class EntryOutcome { Written, Skipped, Failed };

    bool expandEntry(const IndexEntry& entry, const QString& target, bool overWrite);
    EntryOutcome writeEntryData(const IndexEntry& entry, const QString& fullPath);
    QByteArray passwordBytes() const;

    handles::UniqueZipFile _zipFile;
    // The archive read; its central directory is read again by each
    // expansion.
    std::unique_ptr<ZipInput> _input;
    QString _password;
    std::shared_ptr<void> _delegate;
};

} // namespace packshelf
