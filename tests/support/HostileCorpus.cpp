#include "tests/support/HostileCorpus.h"

#include <zlib.h>

#include "tests/support/ZipWriter.h"

namespace packshelf::test {

namespace {

using Expect = HostileArchive::Expect;

ZipWriter withRuntime() {
    ZipWriter writer;
    writer.addFile("Runtime/ok.txt", "ok");
    return writer;
}

QByteArray innerArchive() {
    return ZipWriter().addFile("Runtime/inner.txt", "inner").bytes();
}

// 1 GiB of zeros as 1,024 copies of one deflated MiB (a full flush ends
// each copy on a byte boundary with nothing to refer back to), then an
// empty final block.
QByteArray gigabyteOfZeros(quint32* crc) {
    QByteArray zeros(1 << 20, '\0');
    QByteArray block(1 << 16, '\0');
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(zeros.data());
    z.avail_in = uInt(zeros.size());
    z.next_out = reinterpret_cast<Bytef*>(block.data());
    z.avail_out = uInt(block.size());
    deflate(&z, Z_FULL_FLUSH);
    block.truncate(block.size() - int(z.avail_out));
    deflateEnd(&z);
    const uLong mib = crc32(0L, reinterpret_cast<const Bytef*>(zeros.constData()), 1u << 20);
    uLong sum = mib;
    for (int i = 1; i < 1024; ++i)
        sum = crc32_combine(sum, mib, 1 << 20);
    *crc = quint32(sum);
    return block.repeated(1024) + QByteArray("\x03\x00", 2);
}

} // namespace

std::vector<HostileArchive> hostileCorpus(bool withLarge) {
    std::vector<HostileArchive> corpus;
    const auto add = [&](const QString& name, const QByteArray& bytes, Expect expect) {
        corpus.push_back({name, bytes, expect});
    };
    const QByteArray payload = QByteArray("payload ").repeated(2000);

    const std::pair<const char*, std::vector<QByteArray>> escapes[] = {
        {"dotdot.zip", {"../evil.txt", "a/../../evil2.txt"}},
        {"absolute.zip", {"/tmp/packshelf-evil.txt", "//evil"}},
        {"backslash.zip", {"..\\evil.txt", "a\\..\\..\\evil.txt"}},
        {"drive.zip", {"C:\\evil.txt", "c:/evil"}},
        {"nul.zip", {QByteArray("evil\0.txt", 9)}},
        {"overlong.zip",
         {"\xC0\xAE\xC0\xAE\xC0\xAF"
          "evil.txt",
          "\xC0\xAE\xC0\xAE/evil.txt"}},
    };
    for (const auto& [name, paths] : escapes) {
        ZipWriter writer = withRuntime();
        for (const QByteArray& path : paths)
            writer.addFile(path, "x");
        add(name, writer.bytes(), Expect::Analysed);
    }
    add("symlink.zip",
        withRuntime().addSymlink("link", "/tmp").addFile("link/evil.txt", "x").bytes(),
        Expect::Analysed);
    ZipWriter dots = withRuntime();
    for (const char* name : {"...zip", "..zip", ".zip"}) {
        dots.addFile(name, innerArchive(), 0);
        add(name, withRuntime().bytes(), Expect::Analysed);
    }
    add("nested-dots.zip", dots.bytes(), Expect::Analysed);

    {
        ZipWriter bomb;
        bomb.add(ZipWriter::entry("Runtime/kernel.bin", QByteArray(1 << 20, '\0')));
        for (int i = 0; i < 20; ++i) {
            // Names of the kernel's length, so each local header matches.
            ZipWriter::Entry alias =
                ZipWriter::entry("Runtime/copy" + QByteArray::number(10 + i) + ".bin", {});
            alias.aliasOf = 0;
            bomb.add(alias);
        }
        add("overlap.zip", bomb.bytes(), Expect::Refused);
    }
    {
        ZipWriter::Entry shorter = ZipWriter::entry("Runtime/liar.bin", payload);
        shorter.declaredSize = 100;
        add("liar-small.zip", ZipWriter().add(shorter).bytes(), Expect::Damaged);
        ZipWriter::Entry longer = ZipWriter::entry("Runtime/liar.bin", payload);
        longer.declaredSize = quint32(payload.size() * 4);
        add("liar-large.zip", ZipWriter().add(longer).bytes(), Expect::Damaged);
    }
    {
        QByteArray level = ZipWriter().addFile("bottom.txt", "b").bytes();
        for (int i = 0; i < 40; ++i)
            level = ZipWriter().addFile("level.zip", level, 0).bytes();
        add("deep40.zip", withRuntime().addFile("deep.zip", level, 0).bytes(), Expect::Analysed);
        ZipWriter fanout = withRuntime();
        for (int i = 0; i < 64; ++i)
            fanout.addFile("fan/" + QByteArray::number(i) + ".zip", innerArchive(), 0);
        add("fanout.zip", fanout.bytes(), Expect::Analysed);
    }
    {
        const QByteArray whole = withRuntime().addFile("Runtime/big.bin", payload).bytes();
        add("truncated-tail.zip", whole.left(whole.size() - 30), Expect::Refused);
        ZipWriter::Entry cut = ZipWriter::entry("Runtime/cut.bin", payload, 0);
        cut.rawData = payload.left(payload.size() / 2);
        add("truncated-data.zip", ZipWriter().add(cut).bytes(), Expect::Damaged);
        add("zero-byte.zip", QByteArray(), Expect::Refused);
        add("only-end.zip", ZipWriter().bytes(), Expect::Refused);
        ZipWriter::Entry badCrc = ZipWriter::entry("Runtime/crc.bin", payload);
        badCrc.crc = 0xdeadbeef;
        add("bad-crc.zip", ZipWriter().add(badCrc).bytes(), Expect::Damaged);
        ZipWriter::Entry outside = ZipWriter::entry("Runtime/far.bin", payload);
        outside.storedSize = 1u << 30;
        outside.dataDescriptor = true;
        add("outside.zip", ZipWriter().add(outside).bytes(), Expect::Refused);
        ZipWriter::Entry encrypted = ZipWriter::entry("Runtime/secret.bin", payload);
        encrypted.flags = 1;
        add("encrypted.zip", ZipWriter().add(encrypted).bytes(), Expect::NeedsPassword);
    }
    // Deflate64 has no decoder; bzip2 and LZMA have, and find the payload
    // no stream of theirs.
    for (int method : {9, 12, 14}) {
        add(QStringLiteral("method%1.zip").arg(method),
            ZipWriter().add(ZipWriter::entry("Runtime/m.bin", payload, method)).bytes(),
            method == 9 ? Expect::Refused : Expect::Damaged);
    }
    {
        ZipWriter names = withRuntime();
        ZipWriter::Entry flagged =
            ZipWriter::entry(QStringLiteral("Flagged Ünï.txt").toUtf8(), "1");
        flagged.flags = 0x800;
        names.add(flagged);
        names.addFile(QStringLiteral("Unflagged 日本.txt").toUtf8(), "2");
        names.addFile("CP437 \x81\x82.txt", "3");
        add("names.zip", names.bytes(), Expect::Analysed);
    }
    add("file-and-folder.zip",
        withRuntime().addFile("Runtime/x", "file").addFile("Runtime/x/y", "inside").bytes(),
        Expect::Unwritable);
    add("duplicates.zip",
        withRuntime().addFile("Runtime/a.txt", "first").addFile("Runtime/a.txt", "second").bytes(),
        Expect::Analysed);
    {
        QByteArray longPath;
        while (longPath.size() < 5000)
            longPath += "segment-of-a-long-path/";
        add("long-names.zip",
            withRuntime()
                .addFile("Runtime/" + QByteArray(300, 'n'), "x")
                .addFile(longPath + "file.txt", "x")
                .bytes(),
            Expect::Unwritable);
    }
    add("sfx.zip", withRuntime().setPrefix(QByteArray("MZ stub ").repeated(512)).bytes(),
        Expect::Analysed);
    {
        ZipWriter descriptors;
        ZipWriter::Entry a = ZipWriter::entry("Runtime/a.bin", payload);
        a.dataDescriptor = true;
        ZipWriter::Entry b = ZipWriter::entry("Runtime/b.txt", "stored", 0);
        b.dataDescriptor = true;
        add("descriptors.zip", descriptors.add(a).add(b).bytes(), Expect::Analysed);
    }
    add("shell-names.zip",
        withRuntime()
            .addFile("Runtime/$HOME.txt", "1")
            .addFile("Runtime/`id`.txt", "2")
            .addFile("Runtime/quote\"s and 'single'.txt", "3")
            .addFile("Runtime/semi;colon|pipe.txt", "4")
            .addFile("Runtime/new\nline.txt", "5")
            .bytes(),
        Expect::Analysed);

    if (withLarge) {
        ZipWriter::Entry zeros = ZipWriter::entry("Runtime/zeros.bin", {});
        quint32 crc = 0;
        zeros.rawData = gigabyteOfZeros(&crc);
        zeros.crc = crc;
        zeros.declaredSize = 1u << 30;
        add("zeros-1g.zip", ZipWriter().add(zeros).bytes(), Expect::Analysed);

        ZipWriter many = withRuntime();
        for (int i = 0; i < 70000; ++i)
            many.addFile("many/" + QByteArray::number(i / 1000) + "/" + QByteArray::number(i), "",
                         0);
        add("many-entries.zip", many.bytes(), Expect::Analysed);
    }
    return corpus;
}

} // namespace packshelf::test
