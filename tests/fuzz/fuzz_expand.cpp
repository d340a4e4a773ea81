// libFuzzer target: expands arbitrary bytes as a zip archive into a fresh
// folder inside the sandbox's work folder, then removes it. The password
// "pw" reaches the decryption of encrypted entries.
#include <QTemporaryDir>

#include "archive/ZipArchive.h"
#include "tests/fuzz/FuzzSandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSandbox sandbox;
    sandbox.writeInput(data, size);
    {
        QTemporaryDir expansion(sandbox.work() + "/expand-XXXXXX");
        packshelf::ZipArchive zip;
        if (zip.UnzipOpenFile(sandbox.archive(), QStringLiteral("pw"))) {
            zip.UnzipFileTo(expansion.path(), true);
            zip.UnzipCloseFile();
        }
    }
    sandbox.checkNothingEscaped();
    return 0;
}
