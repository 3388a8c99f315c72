// The station list as a model over the store: one row a line, top first. Sync() compares the
// store with the rows shown and tells the view only about the rows that changed, so a report
// that moves one line to the bottom repaints two places, not the whole list.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

#include "stations/StationStore.h"

namespace vireo {

class StationListModel : public QAbstractListModel {
    Q_OBJECT

  public:
    using QAbstractListModel::QAbstractListModel;

    void Sync(const StationStore& store);
    const std::string& Line(int row) const { return lines_[static_cast<std::size_t>(row)]; }
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    std::vector<std::string> lines_;
};

}  // namespace vireo
