#pragma once
// The EEPROM grid as a table model: 256 rows of an address, 16 byte cells and
// the ASCII view. The image stays the only buffer; the model only shows it.
#include "tools/eeprom/eeprom_image.h"

#include <QAbstractTableModel>

namespace vm {

class EepromModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kAddressColumn = 0;
    static constexpr int kAsciiColumn = 17;
    static constexpr int kColumns = 18;

    explicit EepromModel(EepromImage& image, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Byte cells take the text as it is (the editor applies the edit rule).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The address of a byte cell, or -1.
    static int AddressOf(const QModelIndex& index);

private:
    EepromImage& image_;
};

} // namespace vm
