#include "readers/ReaderSandbox.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "core/PosixHandles.h"

namespace packshelf {

namespace {

// Rights of later Landlock versions than the headers know.
constexpr quint64 FsRefer = 1ull << 13;    // ABI 2
constexpr quint64 FsTruncate = 1ull << 14; // ABI 3
constexpr quint64 FsIoctlDev = 1ull << 15; // ABI 5
constexpr quint64 NetBindTcp = 1ull << 0;  // ABI 4
constexpr quint64 NetConnectTcp = 1ull << 1;
constexpr quint64 ScopeAbstractUnixSocket = 1ull << 0; // ABI 6
constexpr quint64 ScopeSignal = 1ull << 1;

constexpr quint64 FsAbi1 = (1ull << 13) - 1; // EXECUTE to MAKE_SYM
constexpr quint64 FsRead = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
constexpr quint64 FsWriteBelow = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_FILE |
                                 LANDLOCK_ACCESS_FS_MAKE_REG | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                                 LANDLOCK_ACCESS_FS_MAKE_DIR | FsTruncate;

// The ruleset's attributes as the latest kernels take them; older ones
// are handed the part they know.
struct RulesetAttributes {
    quint64 handledFs = 0;
    quint64 handledNet = 0;
    quint64 scoped = 0;
};

QString systemError(const char* call, int error) {
    return QStringLiteral("%1: %2").arg(QLatin1String(call),
                                        QString::fromLocal8Bit(std::strerror(error)));
}

int landlockAbi() {
    return int(::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION));
}

quint64 handledFs(int abi) {
    quint64 rights = FsAbi1;
    if (abi >= 2)
        rights |= FsRefer;
    if (abi >= 3)
        rights |= FsTruncate;
    if (abi >= 5)
        rights |= FsIoctlDev;
    return rights;
}

Status allowBeneath(int ruleset, const char* path, quint64 rights) {
    const handles::UniqueFd folder(::open(path, O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return fail(systemError("open", errno));
    landlock_path_beneath_attr rule{};
    rule.allowed_access = rights;
    rule.parent_fd = folder.get();
    if (::syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) != 0)
        return fail(systemError("landlock_add_rule", errno));
    return {};
}

} // namespace

Result<QString> confineReader(const QByteArray& workFolder) {
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return fail(systemError("prctl(PR_SET_NO_NEW_PRIVS)", errno));
    const int abi = landlockAbi();
    if (abi < 0) {
        const int error = errno;
        if (error == ENOSYS || error == EOPNOTSUPP)
            return QStringLiteral("not confined: the kernel offers no Landlock (%1); writes with "
                                  "the user's rights")
                .arg(QString::fromLocal8Bit(std::strerror(error)));
        return fail(systemError("landlock_create_ruleset", error));
    }
    RulesetAttributes attributes;
    attributes.handledFs = handledFs(abi);
    std::size_t size = sizeof attributes.handledFs;
    if (abi >= 4) {
        attributes.handledNet = NetBindTcp | NetConnectTcp;
        size += sizeof attributes.handledNet;
    }
    if (abi >= 6) {
        attributes.scoped = ScopeAbstractUnixSocket | ScopeSignal;
        size += sizeof attributes.scoped;
    }
    const handles::UniqueFd ruleset(
        int(::syscall(SYS_landlock_create_ruleset, &attributes, size, 0)));
    if (!ruleset.valid())
        return fail(systemError("landlock_create_ruleset", errno));
    if (const Status read = allowBeneath(ruleset.get(), "/", FsRead); !read)
        return read.failure();
    // Without its work folder a reader writes nowhere.
    const Status write = allowBeneath(ruleset.get(), workFolder.constData(),
                                      (FsRead | FsWriteBelow) & attributes.handledFs);
    if (::syscall(SYS_landlock_restrict_self, ruleset.get(), 0) != 0)
        return fail(systemError("landlock_restrict_self", errno));
    QString confinement = QStringLiteral("Landlock ABI %1: reads, writes only below %2")
                              .arg(abi)
                              .arg(QString::fromLocal8Bit(workFolder));
    if (!write)
        confinement = QStringLiteral("Landlock ABI %1: reads, writes nowhere (the work folder: %2)")
                          .arg(abi)
                          .arg(write.reason());
    if (abi >= 4)
        confinement += QStringLiteral(", no TCP");
    if (abi >= 6)
        confinement += QStringLiteral(", signals only itself");
    return confinement;
}

} // namespace packshelf
