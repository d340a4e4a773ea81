#include "ui/InstallProgress.h"

#include <QLocale>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

#include "analysis/NameRules.h"
#include "install/plan/CopyPlan.h"
#include "ui/ItemDescription.h"

namespace packshelf {

namespace {

// The bytes an install writes of `node`: a file's own, or those of a
// folder's entries that are not junk (the installer drops junk at every
// level). A nested archive counts as its recorded size.
quint64 bytesWritten(const ContentNode& node) {
    if (!node.isFolder() || node.isNestedArchive() || !node.children())
        return node.size;
    quint64 bytes = 0;
    for (const ContentNode& child : *node.children()) {
        if (!isJunkEntry(child.name))
            bytes += bytesWritten(child);
    }
    return bytes;
}

// The node at `path` of the tree, or null when the tree lacks it.
const ContentNode* nodeAt(const ContentTree& tree, const QString& path) {
    const ContentTree* level = &tree;
    const ContentNode* found = nullptr;
    for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!level)
            return nullptr;
        const auto node = std::find_if(level->begin(), level->end(),
                                       [&](const ContentNode& each) { return each.name == name; });
        if (node == level->end())
            return nullptr;
        found = &*node;
        level = node->children();
    }
    return found;
}

// The bytes the plan copies from the holder `source`: each entry of it, as
// the installer takes them, leaving junk and the folders the plan leaves
// out of that holder aside.
quint64 holderBytes(const ContentTree& tree, const CopyPlan& plan, const QString& source) {
    const ContentTree* entries = &tree;
    if (!source.isEmpty()) {
        const ContentNode* holder = nodeAt(tree, source);
        entries = holder ? holder->children() : nullptr;
    }
    if (!entries)
        return 0;
    quint64 bytes = 0;
    for (const ContentNode& entry : *entries) {
        if (isJunkEntry(entry.name) || (entry.isFolder() && plan.leavesOut(source, entry.name)))
            continue;
        bytes += bytesWritten(entry);
    }
    return bytes;
}

} // namespace

quint64 InstallProgress::plannedBytes(const ArchiveItem& item) {
    const ContentTreePtr tree = item.tree(key::Zip);
    if (!tree)
        return 0;
    const CopyPlan plan = copyPlanFor(item);
    quint64 bytes = 0;
    for (const std::optional<QString>& source : {plan.primarySource, plan.dataSource}) {
        if (source)
            bytes += holderBytes(*tree, plan, *source);
    }
    if (plan.directSource) {
        if (const ContentNode* node = nodeAt(*tree, *plan.directSource))
            bytes += bytesWritten(*node);
    }
    return bytes;
}

void InstallProgress::begin(const std::vector<ArchiveItem>& items) {
    m_planned.clear();
    m_total = 0;
    for (const ArchiveItem& item : items) {
        m_planned.push_back(plannedBytes(item));
        m_total += m_planned.back();
    }
    m_before = 0;
    m_current = 0;
    m_index = 0;
    m_installed = 0;
    m_file.clear();
    m_foreseen = 0;
    m_foreseenAt = -1;
    m_steady = false;
    m_clock.start();
}

void InstallProgress::archiveBegins(qsizetype index) {
    m_index = std::clamp<qsizetype>(index, 0, qsizetype(m_planned.size()));
    m_before = 0;
    for (qsizetype i = 0; i < m_index; ++i)
        m_before += m_planned[std::size_t(i)];
    m_current = 0;
}

void InstallProgress::written(const QString& file, quint64 bytes) {
    m_file = file;
    m_current += bytes;
}

void InstallProgress::archiveInstalled() {
    ++m_installed;
    if (m_index < qsizetype(m_planned.size()))
        m_current = m_planned[std::size_t(m_index)];
}

int InstallProgress::barValue() const {
    // A batch of empty archives moves by archives instead.
    if (m_total == 0) {
        return m_planned.empty() ? 0
                                 : int(qint64(m_installed) * BarRange / qint64(m_planned.size()));
    }
    return int(double(done()) / double(m_total) * BarRange);
}

QString InstallProgress::barText() const {
    return tr("%1 of %Ln archive(s) installed", nullptr, int(m_planned.size()))
        .arg(QLocale().toString(m_installed));
}

void InstallProgress::showOn(QProgressBar* bar) const {
    bar->setRange(0, BarRange);
    bar->setValue(barValue());
    bar->setFormat(barText());
}

quint64 InstallProgress::done() const {
    const quint64 planned =
        m_index < qsizetype(m_planned.size()) ? m_planned[std::size_t(m_index)] : 0;
    return std::min(m_before + std::min(m_current, planned), m_total);
}

QString InstallProgress::text() const {
    if (m_file.isEmpty())
        return {};
    const QString bytes = tr("%1 of %2").arg(readableSize(done()), readableSize(m_total));
    const QString left = timeLeftAt(m_clock.elapsed());
    if (left.isEmpty())
        return tr("%1 — %2").arg(m_file, bytes);
    return tr("%1 — %2, %3").arg(m_file, bytes, left);
}

QString InstallProgress::timeLeftAt(qint64 elapsed) const {
    const quint64 written = done();
    if (written == 0 || written >= m_total || elapsed <= 0)
        return {};
    const double foreseen = double(elapsed) * double(m_total) / double(written);
    if (m_foreseenAt < 0 || elapsed - m_foreseenAt >= 1000) {
        m_steady = m_foreseenAt >= 0 && std::abs(foreseen - m_foreseen) <= m_foreseen / 5;
        m_foreseen = foreseen;
        m_foreseenAt = elapsed;
    }
    if (elapsed < 3000 || !m_steady)
        return {};
    const int whole = int((foreseen - double(elapsed)) / 1000.0 + 0.5);
    if (whole < 60)
        return tr("about %Ln second(s) left", nullptr, std::max(whole, 1));
    return tr("about %Ln minute(s) left", nullptr, (whole + 30) / 60);
}

} // namespace packshelf
