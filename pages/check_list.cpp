#include "pages/check_list.h"

#include "config/block_accessors.h"

#include <algorithm>

namespace vm {

QVariant CheckStates::data(const QModelIndex& index, int role) const {
    if (role == Qt::CheckStateRole && index.isValid())
        return checked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return QIdentityProxyModel::data(index, role);
}

bool CheckStates::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid()) return false;
    const bool on = value.toInt() == Qt::Checked;
    if (checked(index.row()) == on) return true;
    setChecked(index.row(), on);
    Q_EMIT toggled(index.row(), on);
    return true;
}

Qt::ItemFlags CheckStates::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

bool CheckStates::checked(int row) const {
    return row >= 0 && row < static_cast<int>(checks_.size()) && checks_[static_cast<std::size_t>(row)];
}

void CheckStates::setChecked(int row, bool on) {
    if (row < 0 || checked(row) == on) return;
    if (row >= static_cast<int>(checks_.size())) checks_.resize(static_cast<std::size_t>(row) + 1, false);
    checks_[static_cast<std::size_t>(row)] = on;
    const QModelIndex i = index(row, 0);
    Q_EMIT dataChanged(i, i, {Qt::CheckStateRole});
}

std::vector<bool> CheckStates::checks() const {
    std::vector<bool> out(static_cast<std::size_t>(rowCount()), false);
    for (int row = 0; row < rowCount(); ++row)
        out[static_cast<std::size_t>(row)] = checked(row);
    return out;
}

int CheckStates::checkedCount() const { return static_cast<int>(std::count(checks_.begin(), checks_.end(), true)); }

OutputCheckList::OutputCheckList(QAbstractItemModel* outputNames, const QString& objectName, QWidget* parent)
    : QListView(parent), states_(this) {
    setObjectName(objectName);
    states_.setSourceModel(outputNames);
    setModel(&states_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // All 34 outputs in view where the page has room.
    setMinimumHeight(std::min(kOutputCount * fontMetrics().height() + 2 * frameWidth(), 480));
}

void OutputCheckList::ShowChecks(const std::vector<bool>& stored, int limit) {
    int shown = 0;
    for (int row = 0; row < states_.rowCount(); ++row) {
        const bool on = row < static_cast<int>(stored.size()) && stored[static_cast<std::size_t>(row)] && shown < limit;
        if (on) ++shown;
        states_.setChecked(row, on);
    }
}

bool OutputCheckList::KeepWithin(int row, int limit) {
    if (states_.checkedCount() <= limit) return true;
    states_.setChecked(row, false);
    return false;
}

std::vector<bool> StoredChecks(const std::vector<CheckListEntry>& list) {
    std::vector<bool> checks;
    checks.reserve(list.size());
    for (const CheckListEntry& entry : list)
        checks.push_back(entry.checked);
    return checks;
}

std::vector<CheckListEntry> WithChecks(const ConfigStore& store, std::vector<CheckListEntry> list,
                                       const std::vector<bool>& checks) {
    for (int ch = static_cast<int>(list.size()) + 1; ch <= kOutputCount; ++ch)
        list.push_back({OutputName(store, ch), false});
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i].checked = i < checks.size() && checks[i];
    return list;
}

} // namespace vm
