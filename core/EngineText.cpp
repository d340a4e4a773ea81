#include "core/EngineText.h"

#include <QTranslator>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>

namespace packshelf {

namespace {

constexpr char Context[] = "packshelf::EngineText";

struct Translation {
    QByteArray qm; // QTranslator reads the bytes it was loaded from
    std::unique_ptr<QTranslator> translator;
};

// Every translation taken stays until the process ends, so a text being
// translated on another thread never loses its translator.
std::mutex taken;
std::deque<Translation>& translations() {
    static std::deque<Translation> all;
    return all;
}
std::atomic<const Translation*> current{nullptr};

} // namespace

QString EngineText::tr(const char* source, const char* disambiguation, int n) {
    if (const Translation* translation = current.load(std::memory_order_acquire)) {
        QString translated = translation->translator->translate(Context, source, disambiguation, n);
        if (!translated.isEmpty())
            return n >= 0 ? translated.replace(QLatin1String("%n"), QString::number(n))
                          : translated;
    }
    return QCoreApplication::translate(Context, source, disambiguation, n);
}

bool EngineText::useTranslation(const QByteArray& qm) {
    const std::lock_guard lock(taken);
    Translation& translation = translations().emplace_back();
    translation.qm = qm;
    translation.translator = std::make_unique<QTranslator>();
    if (!translation.translator->load(reinterpret_cast<const uchar*>(translation.qm.constData()),
                                      int(translation.qm.size()))) {
        translations().pop_back();
        return false;
    }
    current.store(&translation, std::memory_order_release);
    return true;
}

QByteArray EngineText::translation() {
    const Translation* translation = current.load(std::memory_order_acquire);
    return translation ? translation->qm : QByteArray();
}

} // namespace packshelf
