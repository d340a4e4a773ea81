#pragma once

#include <QIcon>
#include <QString>

class QCoreApplication;

namespace packshelf {

// Makes the compiled-in resources (icons, translations) reachable; safe to
// call more than once.
void registerAppResources();

// The image of a named "png" resource ("pin_green" and so on), with its
// double-resolution variant when there is one; a null icon when the
// resource is missing.
QIcon resourceIcon(const QString& name);

// The application icon in all its sizes.
QIcon applicationIcon();

// Installs the window's texts for the user's language, falling back to
// English, and Qt's own for that language when they are installed. Answers
// false when no translation of the window's texts could be loaded.
bool installAppTranslations(QCoreApplication& app);

} // namespace packshelf
