#pragma once
// Whether the configuration holds edits that were neither uploaded nor saved.
// The pages report each edit the user makes; a read, an opened file, a save
// and a completed upload are clean points. Changes that come from the unit or
// a file are no edits: the store then matches where they came from.
#include <QObject>
#include <QString>

namespace vm {

class EditTracker : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool modified() const { return modified_; }
    // The user changed the configuration.
    void MarkModified() { setModified(true); }
    // The store matches the unit or a file again.
    void MarkClean() { setModified(false); }

Q_SIGNALS:
    void modifiedChanged(bool modified);

private:
    void setModified(bool modified);

    bool modified_ = false;
};

// The question asked when the window closes with such edits.
inline const QString kUnsavedCloseQuestion =
    QStringLiteral("The configuration has changes that were not uploaded or saved. Close anyway?");

} // namespace vm
