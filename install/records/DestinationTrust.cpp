#include "install/records/DestinationTrust.h"

#include <QDir>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/EngineText.h"
#include "core/PosixHandles.h"
#include "install/disk/FaultSeam.h"
#include "install/disk/LibraryFiles.h"
#include "install/records/Manifest.h"

namespace packshelf {

using handles::UniqueFd;

namespace {

constexpr qsizetype KeySize = 32;

QString keyFolder() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !config.startsWith(QLatin1Char('/')))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/PackShelf");
}

Result<QByteArray> readKey(int fd, const QString& path) {
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return fail(QStringLiteral("%1: %2").arg(path, library::systemReason(errno)));
    if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0 ||
        st.st_size != KeySize)
        return fail(EngineText::tr("%1 is not a key of this user's alone").arg(path));
    QByteArray key(KeySize, Qt::Uninitialized);
    if (::pread(fd, key.data(), KeySize, 0) != KeySize)
        return fail(QStringLiteral("%1: %2").arg(path, library::systemReason(errno)));
    return key;
}

// What a record's seal covers: its destination and who it is.
QByteArray sealedPart(const Manifest& manifest) {
    return QByteArrayLiteral("packshelf record\n") + manifest.destination.toUtf8() + '\n' +
           manifest.archive.toUtf8() + '\n' + manifest.sha256.toLatin1() + '\n' +
           manifest.installed.toLatin1();
}

QByteArray hmac(const QByteArray& key, const QByteArray& bytes) {
    return QMessageAuthenticationCode::hash(bytes, key, QCryptographicHash::Sha256).toHex();
}

} // namespace

DestinationTrust::DestinationTrust(QStringList confirmed)
    : m_confirmed(std::move(confirmed)) {}

Result<QByteArray> DestinationTrust::userKey() {
    const QString folder = keyFolder();
    const QString path = folder + QStringLiteral("/destination-key");
    const QByteArray native = QFile::encodeName(path);
    UniqueFd fd(::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.valid())
        return readKey(fd.get(), path);
    if (errno != ENOENT)
        return fail(QStringLiteral("%1: %2").arg(path, library::systemReason(errno)));
    QDir().mkpath(folder);
    const QByteArray temporary = native + '.' + QByteArray::number(qint64(::getpid()));
    UniqueFd out(
        ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.valid())
        return fail(QStringLiteral("%1: %2").arg(path, library::systemReason(errno)));
    QByteArray key(KeySize, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(key.data()), KeySize / 4);
    const bool written = ::write(out.get(), key.constData(), KeySize) == KeySize &&
                         ::fsync(out.get()) == 0 && out.close();
    // Two first uses at once: the first key made is the one kept.
    if (!written || ::link(temporary.constData(), native.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        if (error != EEXIST)
            return fail(QStringLiteral("%1: %2").arg(path, library::systemReason(error)));
        return userKey();
    }
    ::unlink(temporary.constData());
    return key;
}

void DestinationTrust::seal(Manifest& manifest) {
    manifest.seal.clear();
    if (manifest.destination.isEmpty())
        return;
    if (const Result<QByteArray> key = userKey())
        manifest.seal = QString::fromLatin1(hmac(*key, sealedPart(manifest)));
}

QByteArray DestinationTrust::sealOf(const QByteArray& bytes) {
    const Result<QByteArray> key = userKey();
    return key ? hmac(*key, QByteArrayLiteral("packshelf journal\n") + bytes) : QByteArray();
}

bool DestinationTrust::isSealed(const QByteArray& bytes, const QByteArray& seal) {
    return !seal.isEmpty() && sealOf(bytes) == seal;
}

bool DestinationTrust::trusts(const Manifest& manifest) const {
    if (manifest.destination.isEmpty() || confirms(manifest.destination))
        return true;
    const Result<QByteArray> key = userKey();
    return key && !manifest.seal.isEmpty() &&
           hmac(*key, sealedPart(manifest)) == manifest.seal.toLatin1();
}

QString needsConfirmationReason(const QString& folder) {
    return EngineText::tr("needs confirmation for %1: it is outside the library, and nothing "
                          "shows that PackShelf of this user put it in the library's records")
        .arg(folder);
}

} // namespace packshelf
