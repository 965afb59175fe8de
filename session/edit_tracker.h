#pragma once
// Whether the configuration holds edits that were neither uploaded nor saved:
// any change of the store after the last clean point (read, open, save,
// upload) counts. The window title shows it and closing asks about it.
#include <QObject>

namespace vm {

class ConfigStore;

class EditTracker : public QObject {
    Q_OBJECT
public:
    explicit EditTracker(ConfigStore& store, QObject* parent = nullptr);

    bool modified() const { return modified_; }
    // The store matches the unit or a file again.
    void MarkClean();

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
