#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/ItemState.h"

namespace packshelf {

// One archive expanded afresh for its install, in a private folder with a
// generated name inside the work folder. The folder is removed when the
// object goes, whatever happened, also after a failure.
class InstallExpansion {
public:
    enum class Outcome {
        Expanded,
        OpenFailed,   // the archive could not be opened
        ExpandFailed, // opened, but not expanded whole into the work folder
    };

    // A nested archive that could not be expanded, and why.
    struct NestedFailure {
        QString name;
        ItemError code; // ErrorOpen or ErrorContent
    };

    Outcome expand(const QString& archivePath, const QString& workDir);

    // The root of the expansion; empty before a successful `expand`.
    QString root() const;

    // Expands every archive at the top of the expansion (junk names aside)
    // into a folder named after it beside it; the archive file stays. An
    // archive whose base name is empty, "." or ".." is not expanded and
    // counts as failed. What a failed archive expanded is removed again, so
    // that no incomplete folder passes for its content.
    std::vector<NestedFailure> expandTopLevelArchives();

    // The planned source at `relativePath` (folder names joined with "/"),
    // as an absolute path. A folder of the content tree that stands for an
    // archive nested on the way is made available by expanding that archive
    // beside itself. Nothing when the path does not exist, climbs out (".."),
    // or is a file where `folderOnly` asks for a folder; `problem` then tells
    // why.
    std::optional<QString> locate(const QString& relativePath, bool folderOnly, QString* problem);

    // Removes the expansion folder now; answers whether it is gone.
    bool remove();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

} // namespace packshelf
