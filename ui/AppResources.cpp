#include "ui/AppResources.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "core/EngineText.h"

// Resources compiled into a static library are kept only when something
// refers to them; this is that reference.
static void initPackShelfResources() {
    Q_INIT_RESOURCE(packshelf);
}

namespace packshelf {

namespace {
const QString IconFolder = QStringLiteral(":/icons/");
const QString TranslationFolder = QStringLiteral(":/i18n");

// Dates, times and sizes in the conventions of the language the window
// speaks. The system's formats come from LC_ALL, LC_TIME or LANG; when
// those name another language than the texts are in (LANGUAGE=de with
// LANG=C.UTF-8), the window would mix them ("Am 8 Dec 2026"), so the
// conventions of the system's own language take their place.
void followSpokenLanguage(const QTranslator& spoken) {
    QByteArray formats = qgetenv("LC_ALL");
    for (const char* variable : {"LC_TIME", "LANG"}) {
        if (formats.isEmpty())
            formats = qgetenv(variable);
    }
    const QLocale system = QLocale::system();
    const QLocale language(spoken.language());
    if (QLocale(QString::fromLatin1(formats)).language() == language.language())
        return;
    QLocale::setDefault(system.language() == language.language() ? QLocale(system.name())
                                                                 : language);
}
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
    const bool spoken = translator->load(QLocale(), QStringLiteral("packshelf"),
                                         QStringLiteral("_"), TranslationFolder);
    if (spoken)
        followSpokenLanguage(*translator);
    else if (!translator->load(QStringLiteral("packshelf_en"), TranslationFolder))
        return false;
    // The engine's texts (reasons, library failures) in the same language,
    // also those the reader processes make.
    if (QFile compiled(translator->filePath()); compiled.open(QIODevice::ReadOnly))
        EngineText::useTranslation(compiled.readAll());
    translator->setParent(&app);
    app.installTranslator(translator.release());
    return true;
}

} // namespace packshelf
