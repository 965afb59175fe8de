#include "pages/name_lists.h"

#include "config/config_store.h"
#include "session/page_rules.h"

namespace vm {

NameLists::NameLists() {
    // Until the first refresh the lists show the start names.
    ConfigStore start;
    triggerSources_.setStringList(rules::TriggerSourceNames(start));
    outputNames_.setStringList(rules::OutputNames(start));
    inputNames_.setStringList(rules::TriggerSourceNames(start).mid(2, kInputCount));
    virtualSources_.setStringList(rules::VirtualSourceNames(start));
    export1Choices_.setStringList(rules::ExportChoiceNames(start, kHighPowerCount));
    exportChoices_.setStringList(rules::ExportChoiceNames(start, kOutputCount));
}

void NameLists::Refresh(const ConfigStore& store) {
    RenameInPlace(triggerSources_, rules::TriggerSourceNames(store));
    RenameInPlace(outputNames_, rules::OutputNames(store));
    RenameInPlace(inputNames_, rules::TriggerSourceNames(store).mid(2, kInputCount));
    RenameInPlace(virtualSources_, rules::VirtualSourceNames(store));
    RenameInPlace(export1Choices_, rules::ExportChoiceNames(store, kHighPowerCount));
    RenameInPlace(exportChoices_, rules::ExportChoiceNames(store, kOutputCount));
}

void RenameInPlace(QStringListModel& model, const QStringList& names) {
    if (model.rowCount() < names.size()) model.insertRows(model.rowCount(), names.size() - model.rowCount());
    if (model.rowCount() > names.size()) model.removeRows(names.size(), model.rowCount() - names.size());
    for (int row = 0; row < names.size(); ++row) {
        const QModelIndex index = model.index(row);
        if (model.data(index, Qt::DisplayRole).toString() != names[row]) model.setData(index, names[row]);
    }
}

} // namespace vm
