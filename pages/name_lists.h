#pragma once
// The name-dependent lists, one model per kind, shared by every box and check
// list that shows it: the 60 trigger sources and the 34 output names. A
// refresh renames entries in place, so each box keeps its selected index and
// each check list its checks.
#include <QStringListModel>

namespace vm {

class ConfigStore;

class NameLists {
public:
    NameLists();

    QStringListModel* triggerSources() { return &triggerSources_; }
    QStringListModel* outputNames() { return &outputNames_; }
    // The 11 wired inputs (the CAN enable input).
    QStringListModel* inputNames() { return &inputNames_; }
    // The virtual input term boxes' 94 sources.
    QStringListModel* virtualSources() { return &virtualSources_; }
    // CAN export data boxes: "DISABLED" and outputs 1..18 (export 1) or 1..34.
    QStringListModel* export1Choices() { return &export1Choices_; }
    QStringListModel* exportChoices() { return &exportChoices_; }

    // Takes the names the store holds now.
    void Refresh(const ConfigStore& store);

private:
    QStringListModel triggerSources_;
    QStringListModel outputNames_;
    QStringListModel inputNames_;
    QStringListModel virtualSources_;
    QStringListModel export1Choices_;
    QStringListModel exportChoices_;
};

// Renames the model's rows to `names` where they differ; rows are added or
// removed only when the counts differ.
void RenameInPlace(QStringListModel& model, const QStringList& names);

} // namespace vm
