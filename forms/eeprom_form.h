#pragma once
// "EEPROM": the 4096-byte grid (a table view over the image), read and write
// of a range, fill, and text or binary files. Thin over EepromTransfer and
// the image and file functions.
#include "tools/eeprom/eeprom_image.h"
#include "tools/eeprom/eeprom_model.h"
#include "tools/eeprom/eeprom_transfer.h"
#include "tools/service_tools.h"

#include <QDialog>

class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace vm {

class TEEPROMForm : public QDialog {
    Q_OBJECT
public:
    TEEPROMForm(ServiceContext& context, QWidget* parent = nullptr);

    void EEPROMReadBtnClick();
    void EEPROMWriteBtnClick();
    void BufferFill00BtnClick() { fill(0x00); }
    void BufferFillFFBtnClick() { fill(0xFF); }
    void FileLoadBtnClick();
    void FileSaveBtnClick();

    EepromTransfer& transfer() { return transfer_; }
    EepromImage& image() { return image_; }
    EepromModel& model() { return model_; }

private:
    void fill(std::uint8_t value);
    void transferEnded();
    // The range of two fields, or nothing after telling why.
    std::optional<EepromRange> rangeOf(QLineEdit* start, QLineEdit* end);

    ServiceContext& context_;
    EepromImage image_;
    EepromModel model_;
    EepromTransfer transfer_;
    QLineEdit* EEPROMStartEdit = nullptr;
    QLineEdit* EEPROMEndEdit = nullptr;
    QPushButton* EEPROMReadBtn = nullptr;
    QPushButton* EEPROMWriteBtn = nullptr;
    QProgressBar* EEPROMProgressBar = nullptr;
    QLineEdit* FileStartEdit = nullptr;
    QLineEdit* FileEndEdit = nullptr;
    QLineEdit* FillStartEdit = nullptr;
    QLineEdit* FillEndEdit = nullptr;
    QTableView* EEStringGrid = nullptr;
};

} // namespace vm
