#include "tests/install/LibraryModel.h"

#include <algorithm>

namespace packshelf::test {

QString besideName(const QString& path, int attempt) {
    const qsizetype slash = path.lastIndexOf('/');
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf('.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString suffix = dot > 0 ? name.mid(dot) : QString();
    const QString mark = attempt <= 1 ? QStringLiteral(" (original)")
                                      : QStringLiteral(" (original %1)").arg(attempt);
    return folder + stem + mark + suffix;
}

void LibraryModel::userWrite(const QString& path, const QByteArray& content) {
    disk[path] = content;
}

void LibraryModel::userDelete(const QString& path) {
    disk.erase(path);
}

std::optional<std::size_t> LibraryModel::indexOf(const QString& name, const QString& path) const {
    const auto stack = stacks.find(path);
    if (stack == stacks.end())
        return std::nullopt;
    for (std::size_t i = 0; i < stack->second.size(); ++i) {
        if (stack->second[i].package == name)
            return i;
    }
    return std::nullopt;
}

const LibraryModel::Layer* LibraryModel::layerOf(const QString& name, const QString& path) const {
    const std::optional<std::size_t> index = indexOf(name, path);
    return index ? &stacks.at(path)[*index] : nullptr;
}

bool LibraryModel::isTop(const QString& name, const QString& path) const {
    const std::optional<std::size_t> index = indexOf(name, path);
    return index && *index + 1 == stacks.at(path).size();
}

void LibraryModel::keepBeside(const QString& path, const QByteArray& content) {
    const auto current = disk.find(path);
    if (current != disk.end() && current->second == content)
        return; // the user has it in place
    for (int attempt = 1;; ++attempt) {
        const QString name = besideName(path, attempt);
        if (!disk.contains(name)) {
            disk[name] = content;
            return;
        }
    }
}

void LibraryModel::removeLayer(const QString& path, std::size_t index, Removal& removal) {
    std::vector<Layer>& stack = stacks[path];
    const Layer layer = stack[index];
    const bool userBefore = layer.beforeOwner.isEmpty() && layer.before;
    if (index + 1 == stack.size()) {
        const auto current = disk.find(path);
        if (current == disk.end() || current->second == layer.wrote) {
            // As the package wrote it, or gone: what stood there comes back.
            if (layer.before)
                disk[path] = *layer.before;
            else
                disk.erase(path);
        } else {
            // Changed since: the user's now.
            ++removal.kept;
            if (userBefore)
                keepBeside(path, *layer.before);
        }
    } else {
        Layer& above = stack[index + 1];
        if (above.beforeOwner == layer.package) {
            above.before = layer.before;
            above.beforeOwner = layer.beforeOwner;
        } else if (userBefore) {
            keepBeside(path, *layer.before);
        }
    }
    stack.erase(stack.begin() + qsizetype(index));
    if (stack.empty())
        stacks.erase(path);
}

void LibraryModel::writeFresh(const QString& name, const QString& path, const QByteArray& content) {
    const auto current = disk.find(path);
    Package& package = packages[name];
    if (current != disk.end() && current->second == content) {
        package.same.insert(path);
        return;
    }
    Layer layer{name, content, std::nullopt, QString()};
    if (current != disk.end()) {
        layer.before = current->second;
        const auto stack = stacks.find(path);
        if (stack != stacks.end() && stack->second.back().wrote == current->second)
            layer.beforeOwner = stack->second.back().package;
    }
    stacks[path].push_back(layer);
    disk[path] = content;
}

void LibraryModel::install(const QString& name, const Files& files, const QString& run,
                           const QString& source) {
    Removal ignored;
    const auto installed = packages.find(name);
    if (installed != packages.end()) {
        for (const auto& [path, content] : installed->second.files) {
            if (files.contains(path))
                continue;
            if (const std::optional<std::size_t> index = indexOf(name, path))
                removeLayer(path, *index, ignored);
        }
    }
    std::erase(m_order, name);
    m_order.push_back(name);
    Package& package = packages[name];
    package.run = run;
    package.source = source;
    package.files = files;
    package.same.clear();
    for (const auto& [path, content] : files) {
        const std::optional<std::size_t> index = indexOf(name, path);
        if (!index) {
            writeFresh(name, path, content);
            continue;
        }
        Layer& layer = stacks[path][*index];
        const auto current = disk.find(path);
        const bool asWritten = current == disk.end() || current->second == layer.wrote;
        if (*index + 1 == stacks[path].size() && asWritten) {
            // Its own file, as it wrote it: the new version takes its place
            // and what stood there before stays remembered.
            layer.wrote = content;
            disk[path] = content;
            continue;
        }
        removeLayer(path, *index, ignored);
        writeFresh(name, path, content);
    }
}

LibraryModel::Removal LibraryModel::uninstall(const QString& name) {
    Removal removal;
    const auto found = packages.find(name);
    if (found == packages.end())
        return removal;
    for (const auto& [path, content] : found->second.files) {
        if (const std::optional<std::size_t> index = indexOf(name, path))
            removeLayer(path, *index, removal);
    }
    packages.erase(found);
    std::erase(m_order, name);
    return removal;
}

void LibraryModel::repair(const QString& name) {
    const auto found = packages.find(name);
    if (found == packages.end())
        return;
    for (const auto& [path, content] : found->second.files) {
        if (!isTop(name, path))
            continue;
        const Layer& layer = *layerOf(name, path);
        const auto current = disk.find(path);
        if (current != disk.end() && current->second == layer.wrote)
            continue;
        if (current != disk.end())
            keptAside.insert(current->second);
        disk[path] = layer.wrote;
    }
}

QStringList LibraryModel::lastRun() const {
    QStringList run;
    if (m_order.empty())
        return run;
    const QString last = packages.at(m_order.back()).run;
    for (auto name = m_order.rbegin(); name != m_order.rend(); ++name) {
        if (packages.at(*name).run == last)
            run << *name;
    }
    return run;
}

} // namespace packshelf::test
