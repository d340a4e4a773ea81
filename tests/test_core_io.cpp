#include <gtest/gtest.h>

#include <QString>
#include <cerrno>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "core/NameLimits.h"
#include "core/PosixHandles.h"
#include "core/PosixIo.h"
#include "core/Warnings.h"

using namespace packshelf;

namespace {

QString repeated(const QString& unit, int count) {
    return unit.repeated(count);
}

} // namespace

// Each row sits on one side of a limit, counted in UTF-8 bytes whatever the
// text's length in characters.
TEST(NameLimits, NamesAndPathsOnEitherSideOfTheLimits) {
    const QString tooLongName = QStringLiteral("a name too long for this system");
    const QString tooLongPath = QStringLiteral("a path too long for this system");
    const QString e = QStringLiteral("\u00e9");         // two bytes
    const QString cjk = QStringLiteral("\u6f22");       // three bytes
    const QString emoji = QStringLiteral("\U0001F600"); // four bytes, two UTF-16 units
    const QString lone = QString(QChar(0xd800));        // written as "?"
    const QString folder = repeated("d", 200);
    struct Row {
        const char* label;
        QString path;
        QString refusal; // empty: the path fits
    };
    const Row rows[] = {
        {"short", "Runtime/a.txt", {}},
        {"255 ASCII bytes", repeated("a", 255), {}},
        {"256 ASCII bytes", repeated("a", 256), tooLongName},
        {"255 bytes of two-byte letters and one", repeated(e, 127) + "a", {}},
        {"256 bytes of two-byte letters", repeated(e, 128), tooLongName},
        {"255 bytes of three-byte letters", repeated(cjk, 85), {}},
        {"258 bytes of three-byte letters", repeated(cjk, 86), tooLongName},
        {"252 bytes of four-byte letters", repeated(emoji, 63), {}},
        {"256 bytes of four-byte letters", repeated(emoji, 64), tooLongName},
        {"lone surrogates, 255 bytes", repeated(lone, 255), {}},
        {"lone surrogates, 256 bytes", repeated(lone, 256), tooLongName},
        {"the long name deep in a path", "a/b/" + repeated("c", 256) + "/d", tooLongName},
        {"4,095 bytes in all", repeated(folder + "/", 20) + repeated("f", 75), {}},
        {"4,096 bytes in all", repeated(folder + "/", 20) + repeated("f", 76), tooLongPath},
        {"4,096 bytes of which some two-byte", repeated(folder + "/", 20) + repeated(e, 38),
         tooLongPath},
        {"a name too long wins over a path too long",
         repeated(folder + "/", 20) + repeated("n", 256), tooLongName},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const Status fits = checkNameLengths(row.path);
        EXPECT_EQ(fits.ok(), row.refusal.isEmpty());
        EXPECT_EQ(fits.reason().toStdString(), row.refusal.toStdString());
        EXPECT_EQ(utf8Length(row.path), row.path.toUtf8().size());
    }
}

// Writes reach the file whole through a pipe that takes them in pieces; a
// full device, a descriptor for reading only and a closed one fail with the
// system's words for what happened.
TEST(PosixIo, WritesWholeOrSaysWhy) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    handles::UniqueFd readEnd(ends[0]), writeEnd(ends[1]);
    const QByteArray data(1 << 20, 'x');
    QByteArray received;
    std::thread reader([&] {
        char buffer[4096];
        for (;;) {
            const Result<std::size_t> got = readSome(readEnd.get(), buffer, sizeof buffer);
            if (!got || *got == 0)
                return;
            received.append(buffer, qsizetype(*got));
        }
    });
    const Status written = writeAll(writeEnd.get(), data.constData(), std::size_t(data.size()));
    writeEnd.reset();
    reader.join();
    EXPECT_TRUE(written.ok()) << written.reason().toStdString();
    EXPECT_EQ(received, data);

    struct Row {
        const char* label;
        int fd;
        int error;
    };
    handles::UniqueFd full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
    handles::UniqueFd readOnly(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const Row rows[] = {
        {"a full device", full.get(), ENOSPC},
        {"a descriptor open for reading", readOnly.get(), EBADF},
        {"no descriptor", -1, EBADF},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const Status failed = writeAll(row.fd, data.constData(), 10);
        EXPECT_FALSE(failed.ok());
        EXPECT_EQ(failed.reason(), systemReason(row.error));
    }
    char byte;
    EXPECT_EQ(readSome(-1, &byte, 1).reason(), systemReason(EBADF));
}

TEST(Warnings, KeepTheirOrderAndJoinOneBelowTheOther) {
    Warnings first;
    first.add("a");
    Warnings second;
    second.add("b");
    second.add("c");
    first.add(second);
    EXPECT_EQ(first.joined(), "a\nb\nc");
    const QStringList& lines = first;
    EXPECT_EQ(lines, QStringList({"a", "b", "c"}));
}
