#pragma once
// System setup without its window: the unit's production data read on
// activation, the checks of the fields, the 11-byte store and its answer.
#include "session/service_windows.h"
#include "tools/service_answer.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace vm {

class UnitSession;

struct ProductionData {
    std::uint32_t serial = 0;
    std::uint8_t week = 0;
    int year = 2006; // 2006..2099
    std::uint8_t hardware = 0;
    bool operator==(const ProductionData&) const = default;
};

// The four fields as the window shows them.
struct ProductionTexts {
    QString serial, year, week, hardware;
};

inline constexpr const char* kYearRefused = " NOT a Valit Year, 2006-2099";
inline constexpr const char* kDataStored = "Data stored in Voltmast";

// The fields checked whole: a value, or the message that says which field is wrong.
struct SetupCheck {
    std::optional<ProductionData> data;
    QString error;
};
SetupCheck CheckSetupFields(const ProductionTexts& texts);
ProductionTexts TextsOf(const ProductionData& data);
// Payload of SYSTEM_SETUP_WRITE (packet positions 4..10).
std::array<std::uint8_t, 7> SetupPayload(const ProductionData& data);

class SetupLogic : public QObject, public PacketReceiver {
    Q_OBJECT
public:
    static constexpr int kAnswerLength = 11;

    explicit SetupLogic(UnitSession& unit, QObject* parent = nullptr);

    // FormActivate: asks for the production data.
    void Read();
    // BtnUploadClick: checks the fields; refused, the message says why and nothing is sent.
    std::optional<QString> Upload(const ProductionTexts& texts);
    void ReceivePacket(const LinkPacket& packet) override;

    bool readPending() const { return readPending_; }
    bool storePending() const { return storePending_; }
    const std::optional<ProductionData>& unitData() const { return unitData_; }
    LossGuard& lossGuard() { return guard_; }

Q_SIGNALS:
    void dataRead(const ProductionData& data);
    void stored();                        // the unit confirmed the store ("Data stored in Voltmast")
    void storeFailed(const QString& why); // the device went away and did not come back in time
    void shortAnswer(int command);

private:
    void sendStore();

    UnitSession& unit_;
    LossGuard guard_;
    ProductionData toStore_;
    std::optional<ProductionData> unitData_;
    bool readPending_ = false;
    bool storePending_ = false;
};

} // namespace vm
