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

// Installs the "AppStrings" texts for the user's language, falling back to
// English. Answers false when no translation could be loaded.
bool installAppTranslations(QCoreApplication& app);

} // namespace packshelf
