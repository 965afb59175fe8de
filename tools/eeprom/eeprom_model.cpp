#include "tools/eeprom/eeprom_model.h"

namespace vm {

EepromModel::EepromModel(EepromImage& image, QObject* parent) : QAbstractTableModel(parent), image_(image) {
    connect(&image_, &EepromImage::rowsChanged, this,
            [this](int first, int last) { Q_EMIT dataChanged(index(first, 0), index(last, kColumns - 1)); });
}

int EepromModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kEepromRows; }
int EepromModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

int EepromModel::AddressOf(const QModelIndex& index) {
    if (!index.isValid() || index.column() < 1 || index.column() > kEepromBlock) return -1;
    return index.row() * kEepromBlock + index.column() - 1;
}

QVariant EepromModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    const int rowAddress = index.row() * kEepromBlock;
    if (index.column() == kAddressColumn) return AddressText(rowAddress);
    if (index.column() == kAsciiColumn) return image_.AsciiOfRow(rowAddress);
    return image_.cell(AddressOf(index));
}

QVariant EepromModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (section == kAddressColumn) return QStringLiteral("Addr");
    if (section == kAsciiColumn) return QStringLiteral("**** ASCII *****");
    return QString::number(section - 1, 16).toUpper();
}

Qt::ItemFlags EepromModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (AddressOf(index) >= 0) f |= Qt::ItemIsEditable;
    return f;
}

bool EepromModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int address = AddressOf(index);
    if (address < 0 || role != Qt::EditRole) return false;
    image_.setCell(address, value.toString());
    return true;
}

} // namespace vm
