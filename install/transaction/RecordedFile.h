#pragma once

#include <QByteArray>
#include <QString>

#include "install/records/Manifest.h"

namespace packshelf {

// One library file the package will have, as staging found it.
struct RecordedFile {
    Manifest::File file;
    QString target;    // as the plan names it
    QByteArray folder; // on disk now (a staging folder for a new branch)
    QByteArray name;
    int write = -1;     // its entry in the writes, when it is written
    bool found = false; // a file stands at its place
    bool inNewFolder = false;
    bool obstacle = false; // what stands there is not a file, and a repair keeps it
    QByteArray staging;    // staged name beside its place, when written there
};

} // namespace packshelf
