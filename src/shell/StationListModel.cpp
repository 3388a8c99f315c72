#include "shell/StationListModel.h"

#include <algorithm>

namespace vireo {

void StationListModel::Sync(const StationStore& store) {
    std::vector<std::string> lines;
    lines.reserve(store.Count());
    store.ForEachTopDown(
        [&lines](const std::string& text, std::int32_t, const Track&) { lines.push_back(text); });

    // The rows both lists share at the top and at the bottom stay; the middle is replaced.
    const std::size_t shortest = std::min(lines.size(), lines_.size());
    std::size_t top = 0;
    while (top < shortest && lines[top] == lines_[top]) ++top;
    std::size_t bottom = 0;
    while (bottom < shortest - top &&
           lines[lines.size() - 1 - bottom] == lines_[lines_.size() - 1 - bottom]) {
        ++bottom;
    }
    const std::size_t oldMiddle = lines_.size() - top - bottom;
    const std::size_t newMiddle = lines.size() - top - bottom;
    const std::size_t changed = std::min(oldMiddle, newMiddle);
    const int first = static_cast<int>(top);
    for (std::size_t i = 0; i < changed; ++i) lines_[top + i] = std::move(lines[top + i]);
    if (changed > 0) {
        emit dataChanged(index(first), index(first + static_cast<int>(changed) - 1));
    }
    const int at = first + static_cast<int>(changed);
    if (oldMiddle > newMiddle) {
        beginRemoveRows({}, at, at + static_cast<int>(oldMiddle - newMiddle) - 1);
        lines_.erase(lines_.begin() + at, lines_.begin() + at + (oldMiddle - newMiddle));
        endRemoveRows();
    } else if (newMiddle > oldMiddle) {
        beginInsertRows({}, at, at + static_cast<int>(newMiddle - oldMiddle) - 1);
        lines_.insert(lines_.begin() + at, std::make_move_iterator(lines.begin() + at),
                      std::make_move_iterator(lines.begin() + at + (newMiddle - oldMiddle)));
        endInsertRows();
    }
}

int StationListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant StationListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return QString::fromLatin1(Line(index.row()));
}

}  // namespace vireo
