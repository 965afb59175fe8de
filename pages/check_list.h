#pragma once
// A check list of the 34 outputs: the shared output-name model with this
// list's own check states on top, so a rename never touches a check.
#include "config/config_store.h"
#include "session/page_rules.h"

#include <QIdentityProxyModel>
#include <QListView>
#include <vector>

namespace vm {

class CheckStates : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    bool checked(int row) const;
    // Without toggled: how stored checks are shown.
    void setChecked(int row, bool checked);
    std::vector<bool> checks() const;
    int checkedCount() const;

Q_SIGNALS:
    // The user checked or unchecked a row.
    void toggled(int row, bool checked);

private:
    std::vector<bool> checks_;
};

class OutputCheckList : public QListView {
    Q_OBJECT
public:
    OutputCheckList(QAbstractItemModel* outputNames, const QString& objectName, QWidget* parent = nullptr);

    CheckStates& states() { return states_; }
    // Shows stored checks as they will be sent: at most `limit` of them, in
    // list order; the store keeps its own until the user changes the list.
    void ShowChecks(const std::vector<bool>& stored, int limit);
    // After a user's check: false (and the check undone) when it goes past the limit.
    bool KeepWithin(int row, int limit);

private:
    CheckStates states_;
};

// The check states of a stored list, in list order.
std::vector<bool> StoredChecks(const std::vector<CheckListEntry>& list);
// A stored list with the shown checks: one entry per output, the entries the
// store lacks named after their outputs.
std::vector<CheckListEntry> WithChecks(const ConfigStore& store, std::vector<CheckListEntry> list,
                                       const std::vector<bool>& checks);

} // namespace vm
