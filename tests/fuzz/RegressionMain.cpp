// Runs a fuzz target's body over the inputs kept for it, outside libFuzzer,
// so that every input that ever crashed a target stays a test row in CTest.
// Usage: TARGET_regressions FOLDER_OR_FILE...
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int runOne(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 1;
    }
    const QByteArray bytes = file.readAll();
    std::printf("running %s (%lld bytes)\n", qPrintable(path),
                static_cast<long long>(bytes.size()));
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                           std::size_t(bytes.size()));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int failures = 0;
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const QString given = QFile::decodeName(argv[i]);
        QStringList paths{given};
        if (QFileInfo(given).isDir()) {
            paths.clear();
            const QDir folder(given);
            for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name))
                paths << folder.filePath(name);
        }
        for (const QString& path : paths) {
            failures += runOne(path);
            ++inputs;
        }
    }
    std::printf("%d inputs, %d unreadable\n", inputs, failures);
    return failures == 0 && inputs > 0 ? 0 : 1;
}
