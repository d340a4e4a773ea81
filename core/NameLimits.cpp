#include "core/NameLimits.h"

#include <QList>
#include <QString>

#include "core/EngineText.h"

namespace packshelf {

qsizetype utf8Length(QStringView text) {
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            length += 1;
        } else if (unit < 0x800) {
            length += 2;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
                   text[i + 1].isLowSurrogate()) {
            length += 4;
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            length += 1;
        } else {
            length += 3;
        }
    }
    return length;
}

Status checkNameLengths(QStringView path) {
    // No UTF-16 unit takes more than three bytes in UTF-8: most paths are
    // told apart without counting.
    if (path.size() * 3 <= NameBytesMax)
        return {};
    for (QStringView name : path.split(QLatin1Char('/'))) {
        if (name.size() * 3 > NameBytesMax && utf8Length(name) > NameBytesMax)
            return fail(EngineText::tr("a name too long for this system"));
    }
    if (path.size() * 3 > PathBytesMax && utf8Length(path) > PathBytesMax)
        return fail(EngineText::tr("a path too long for this system"));
    return {};
}

} // namespace packshelf
