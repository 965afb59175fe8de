#include "tools/setup/setup_logic.h"

#include "protocol/message_catalogue.h"
#include "session/unit_session.h"

namespace vm {

namespace {

// Digits only (no sign, no blanks inside), at most max.
std::optional<std::uint64_t> WholeNumber(const QString& text, std::uint64_t max) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 12) return std::nullopt;
    std::uint64_t value = 0;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c.unicode() - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

} // namespace

SetupCheck CheckSetupFields(const ProductionTexts& t) {
    SetupCheck check;
    const auto serial = WholeNumber(t.serial, 0xFFFFFFFFull);
    if (!serial) {
        check.error =
            QStringLiteral("Serial number: \"%1\" is not a whole number from 0 to 4294967295").arg(t.serial);
        return check;
    }
    const auto year = WholeNumber(t.year, 9999);
    if (!year || *year < 2006 || *year >= 2100) {
        check.error = QString::fromLatin1(kYearRefused);
        return check;
    }
    const auto week = WholeNumber(t.week, 255);
    if (!week) {
        check.error =
            QStringLiteral("Production week: \"%1\" is not a whole number from 0 to 255").arg(t.week);
        return check;
    }
    const auto hardware = WholeNumber(t.hardware, 255);
    if (!hardware) {
        check.error =
            QStringLiteral("Hardware version: \"%1\" is not a whole number from 0 to 255").arg(t.hardware);
        return check;
    }
    check.data = ProductionData{static_cast<std::uint32_t>(*serial), static_cast<std::uint8_t>(*week),
                                static_cast<int>(*year), static_cast<std::uint8_t>(*hardware)};
    return check;
}

ProductionTexts TextsOf(const ProductionData& d) {
    return {QString::number(d.serial).rightJustified(8, QLatin1Char('0')),
            QStringLiteral("20") + QString::asprintf("%02d", d.year - 2000),
            QString::asprintf("%02d", d.week), QString::asprintf("%02d", d.hardware)};
}

std::array<std::uint8_t, 7> SetupPayload(const ProductionData& d) {
    return {static_cast<std::uint8_t>(d.serial >> 24),
            static_cast<std::uint8_t>(d.serial >> 16),
            static_cast<std::uint8_t>(d.serial >> 8),
            static_cast<std::uint8_t>(d.serial),
            d.week,
            static_cast<std::uint8_t>(d.year - 2000),
            d.hardware};
}

SetupLogic::SetupLogic(UnitSession& unit, QObject* parent) : QObject(parent), unit_(unit), guard_(unit) {
    guard_.resend = [this] { sendStore(); };
    guard_.gaveUp = [this] {
        storePending_ = false;
        Q_EMIT storeFailed(
            QStringLiteral("USB DISCONNECTED during the store: the unit did not confirm it, so it "
                           "holds either its old production data or the new. Upload again."));
    };
}

void SetupLogic::Read() {
    readPending_ = true;
    unit_.Send(LinkPacket::make(kGroupApp, msg::SYSTEM_SETUP_READ));
}

std::optional<QString> SetupLogic::Upload(const ProductionTexts& texts) {
    const SetupCheck check = CheckSetupFields(texts);
    if (!check.data) return check.error;
    toStore_ = *check.data;
    storePending_ = true;
    guard_.arm();
    sendStore();
    return std::nullopt;
}

void SetupLogic::sendStore() {
    const auto payload = SetupPayload(toStore_);
    unit_.Send(LinkPacket::make(kGroupApp, msg::SYSTEM_SETUP_WRITE, payload.data(),
                                static_cast<int>(payload.size())));
}

void SetupLogic::ReceivePacket(const LinkPacket& p) {
    // The production data answer serves other windows too: take only what was asked for.
    if (readPending_) {
        const Answer a = CheckAnswer(p, kGroupApp, msg::SYSTEM_SETUP, kAnswerLength);
        if (a == Answer::Short) Q_EMIT shortAnswer(p.command());
        if (a == Answer::Ok) {
            readPending_ = false;
            ProductionData d;
            d.serial = (std::uint32_t(p.at(4)) << 24) | (std::uint32_t(p.at(5)) << 16) |
                       (std::uint32_t(p.at(6)) << 8) | p.at(7);
            d.week = p.at(8);
            d.year = 2000 + p.at(9);
            d.hardware = p.at(10);
            unitData_ = d;
            Q_EMIT dataRead(d);
            return;
        }
    }
    if (storePending_ &&
        CheckAnswer(p, kGroupApp, msg::SYSTEM_SETUP_WRITE_DONE, kMinPacketLength) == Answer::Ok) {
        storePending_ = false;
        guard_.disarm();
        Q_EMIT stored();
        Read(); // show what the unit now holds
    }
}

} // namespace vm
