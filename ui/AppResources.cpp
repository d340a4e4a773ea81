#include "ui/AppResources.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

// Resources compiled into a static library are kept only when something
// refers to them; this is that reference.
static void initPackShelfResources() {
    Q_INIT_RESOURCE(packshelf);
}

namespace packshelf {

namespace {
const QString IconFolder = QStringLiteral(":/icons/");
const QString TranslationFolder = QStringLiteral(":/i18n");
} // namespace

void registerAppResources() {
    static const bool registered = (initPackShelfResources(), true);
    Q_UNUSED(registered);
}

QIcon resourceIcon(const QString& name) {
    registerAppResources();
    const QString path = IconFolder + name + QStringLiteral(".png");
    if (!QFile::exists(path))
        return {};
    QIcon icon(path);
    const QString doubleSize = IconFolder + name + QStringLiteral("@2x.png");
    if (QFile::exists(doubleSize))
        icon.addFile(doubleSize);
    return icon;
}

QIcon applicationIcon() {
    registerAppResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(IconFolder + QStringLiteral("packshelf-%1.png").arg(size), QSize(size, size));
    return icon;
}

bool installAppTranslations(QCoreApplication& app) {
    registerAppResources();
    // QLocale() is the system's: LANGUAGE, else LC_ALL, LC_MESSAGES, LANG.
    // Qt's own texts (standard dialogs and buttons) when they are installed.
    auto qt = std::make_unique<QTranslator>(&app);
    if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt.release());
    auto translator = std::make_unique<QTranslator>();
    const bool loaded = translator->load(QLocale(), QStringLiteral("packshelf"),
                                         QStringLiteral("_"), TranslationFolder) ||
                        translator->load(QStringLiteral("packshelf_en"), TranslationFolder);
    if (!loaded)
        return false;
    translator->setParent(&app);
    app.installTranslator(translator.release());
    return true;
}

} // namespace packshelf
