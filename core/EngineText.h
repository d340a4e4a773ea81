#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

namespace packshelf {

// The engine's messages (a reason an archive cannot be read, what a step
// on the library could not do), marked where they are made and translated
// under the one context "packshelf::EngineText". The command line loads no
// translation, so it prints them as written; the window hands its own to
// useTranslation(), and the reader processes it starts get it from their
// pool, as they have no application object to install a translator in.
class EngineText {
#ifdef PACKSHELF_LUPDATE_ONLY
    // Never defined: lupdate reads every branch and takes this for the
    // class's context, as it does for a class of the window.
    Q_DECLARE_TR_FUNCTIONS(packshelf::EngineText)
#endif
public:
    // `source` in the language of this process's translation, as written
    // without one (or when it has no entry for it).
    static QString tr(const char* source, const char* disambiguation = nullptr, int n = -1);

    // Translates this process's engine texts with the compiled translation
    // `qm` (a .qm file's bytes), for good: from then on the readers this
    // process starts get it too. False, and nothing changes, when `qm`
    // cannot be loaded.
    static bool useTranslation(const QByteArray& qm);
    // The translation useTranslation() took; empty without one.
    static QByteArray translation();
};

} // namespace packshelf
