#include "tools/runtime_error/error_log_logic.h"

#include "protocol/message_catalogue.h"
#include "session/unit_session.h"
#include "tools/service_answer.h"

#include <algorithm>

namespace vm {

namespace {
constexpr int kNamePos = 5, kNameChars = 12, kLinePos = 17, kCountPos = 19, kDataLenPos = 20, kDataPos = 21;
} // namespace

QStringList ErrorEntryLines(const LinkPacket& p) {
    int nameLen = 0;
    while (nameLen < kNameChars && p.at(kNamePos + nameLen) != 0)
        ++nameLen;
    const int n = p.at(kDataLenPos);
    // The length byte bounds what is read, whatever the data length claims.
    const int present = std::clamp(std::min<int>(p.length(), p.size) - kDataPos, 0, n);
    QString data;
    for (int i = 0; i < present; ++i)
        data += QStringLiteral("0x") +
                QString::number(p.at(kDataPos + i), 16).toUpper().rightJustified(2, QLatin1Char('0')) +
                QLatin1Char(':');
    QStringList lines;
    lines << QString(53, QLatin1Char('-'))
          << QStringLiteral("File name   : ") + PrintableText(&p.bytes[kNamePos], nameLen)
          << QStringLiteral("Line number : ") + QString::number(p.at(kLinePos) | (p.at(kLinePos + 1) << 8))
          << QStringLiteral("Count       : ") + QString::number(p.at(kCountPos))
          << QStringLiteral("Data len    : ") + QString::number(n) << QStringLiteral("Data        : ") + data;
    if (present < n) lines << QStringLiteral("(%1 of %2 data bytes arrived)").arg(present).arg(n);
    return lines;
}

ErrorLogLogic::ErrorLogLogic(UnitSession& unit, QObject* parent) : QObject(parent), unit_(unit) {}

void ErrorLogLogic::Start() {
    count_ = 0;
    shown_ = 0;
    asked_ = 0;
    countPending_ = true;
    unit_.Send(LinkPacket::make(kGroupService, msg::ERROR_LOG_COUNT_REQ));
}

void ErrorLogLogic::askEntry(int number) {
    asked_ = number;
    unit_.Send(
        LinkPacket::make(kGroupService, msg::ERROR_LOG_ENTRY_REQ, {static_cast<std::uint8_t>(number)}));
}

void ErrorLogLogic::ResetLog() {
    resetPending_ = true;
    unit_.Send(LinkPacket::make(kGroupService, msg::ERROR_LOG_RESET));
}

void ErrorLogLogic::ResetSystemLog() {
    systemResetPending_ = true;
    unit_.Send(LinkPacket::make(kGroupApp, msg::SYSTEM_LOG_RESET));
}

void ErrorLogLogic::Reboot() {
    rebootPending_ = true;
    unit_.Send(LinkPacket::make(kGroupApp, msg::REBOOT_REQ));
}

void ErrorLogLogic::ReceivePacket(const LinkPacket& p) {
    if (p.size < kMinPacketLength || !p.checksumOk()) return;
    // Each answer is taken only when its request is outstanding, so no other
    // window's use of the same code can move this one.
    if (rebootPending_ && CheckAnswer(p, kGroupApp, msg::REBOOT_DONE, 4) == Answer::Ok) {
        rebootPending_ = false;
        addLine(QStringLiteral(" System reboot.."));
        Q_EMIT rebooted();
    } else if (systemResetPending_ &&
               CheckAnswer(p, kGroupApp, msg::SYSTEM_LOG_RESET_DONE, 4) == Answer::Ok) {
        systemResetPending_ = false;
        addLine(QStringLiteral(" System log data reset.."));
        Q_EMIT systemLogReset();
    } else if (resetPending_ && CheckAnswer(p, kGroupService, msg::ERROR_LOG_RESET_DONE, 4) == Answer::Ok) {
        resetPending_ = false;
        addLine(QStringLiteral(" Error log reset.."));
        Q_EMIT logReset();
    } else if (countPending_) {
        const Answer a = CheckAnswer(p, kGroupService, msg::ERROR_LOG_COUNT, kCountLength);
        if (a == Answer::Short) Q_EMIT shortAnswer(p.command());
        if (a != Answer::Ok) return;
        countPending_ = false;
        count_ = p.at(4);
        addLine(QStringLiteral(" Error list count ") + QString::number(count_));
        if (count_ != 0)
            askEntry(1);
        else
            Q_EMIT listingDone();
    } else if (asked_ != 0) {
        const Answer a = CheckAnswer(p, kGroupService, msg::ERROR_LOG_ENTRY, kEntryHeaderLength);
        if (a == Answer::Short) Q_EMIT shortAnswer(p.command());
        if (a != Answer::Ok || p.at(4) != asked_) return; // not the entry asked for
        for (const QString& line : ErrorEntryLines(p))
            addLine(line);
        ++shown_;
        // The count is one byte: at most 255 requests, each after its answer.
        if (asked_ < count_) {
            askEntry(asked_ + 1);
        } else {
            asked_ = 0;
            Q_EMIT listingDone();
        }
    }
}

} // namespace vm
