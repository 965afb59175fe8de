#include "config/cfg_keys.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

namespace vm::cfg {

namespace {

struct StemInfo {
    const char* section;
    const char* stem;
    int first; // first number
    int count; // numbers; 0 for a key without one
};

// In Stem order.
constexpr StemInfo kStems[] = {
    {"INPUT", "NAME", 1, 11},
    {"INPUT", "MODE", 1, 11},
    {"INPUT", "PWM_ENABLE", 0, 0},
    {"OUTPUT", "NAME", 1, 34},
    {"OUTPUT", "TRIGGER", 1, 34},
    {"OUTPUT", "TRIGLEVEL", 1, 34},
    {"OUTPUT", "DELAY", 1, 34},
    {"OUTPUT", "MAX_CURRENT", 1, 18},
    {"OUTPUT", "PEAK_TIME", 1, 18},
    {"OUTPUT", "LOW_CURRENT", 1, 18},
    {"OUTPUT", "LOW_CURRENT_TIME", 1, 18},
    {"OUTPUT", "ON_TIME", 1, 34},
    {"OUTPUT", "PWM_1", 0, 0},
    {"OUTPUT", "PWM_2", 0, 0},
    {"LOW_BATTERY", "LOW_TRIG", 0, 0},
    {"LOW_BATTERY", "UPPER_TRIG", 0, 0},
    {"LOW_BATTERY", "OUTPUT_LIST_COUNT", 0, 0},
    {"LOW_BATTERY", "LIST_SELECTED", 0, 34},
    {"START BUTTON", "INPUT_TRIGGER_INDEX", 0, 0},
    {"START BUTTON", "OUTPUT_LIST_COUNT", 0, 0},
    {"START BUTTON", "LIST_SELECTED", 0, 34},
    {"CAN_INPUT", "ENABLED", 1, 32},
    {"CAN_INPUT", "CAN_ID_ON", 1, 32},
    {"CAN_INPUT", "CAN_ID_OFF", 1, 32},
    {"CAN_INPUT", "CAN_OPERATOR_ON", 1, 32},
    {"CAN_INPUT", "CAN_OPERATOR_OFF", 1, 32},
    {"CAN_INPUT", "CAN_VALUE_ON", 1, 32},
    {"CAN_INPUT", "CAN_VALUE_OFF", 1, 32},
    {"CAN_INPUT", "CAN_HIGH_BYTE_ON_POS", 1, 32},
    {"CAN_INPUT", "CAN_LOW_BYTE_ON_POS", 1, 32},
    {"CAN_INPUT", "CAN_HIGH_BYTE_OFF_POS", 1, 32},
    {"CAN_INPUT", "CAN_LOW_BYTE_OFF_POS", 1, 32},
    {"CAN_INPUT", "CAN_NAME", 1, 32},
    {"CAN_INPUT", "ROW_ENABLED", 1, 32},
    {"CAN_INPUT", "ROW_INDEX", 1, 32},
    {"CAN_INPUT", "ROW_VALUE", 1, 32},
    {"CAN_INPUT", "DATA_TYPE_", 1, 32},
    {"CAN_INPUT", "DIMENSION_NAME", 1, 32},
    {"CAN_INPUT", "MULTIPLICATOR_", 1, 32},
    {"CAN_INPUT", "CAL_OFFSET_", 1, 32},
    {"CAN_INPUT_ENABLE", "ENABLE", 0, 0},
    {"CAN_INPUT_ENABLE", "INPUT_PIN", 0, 0},
    {"VIRTUAL_INPUT", "IN_DELAY_1_", 1, 15},
    {"VIRTUAL_INPUT", "IN_DELAY_2_", 1, 15},
    {"VIRTUAL_INPUT", "IN_DELAY_3_", 1, 15},
    {"VIRTUAL_INPUT", "CHANNEL_1_Index", 1, 15},
    {"VIRTUAL_INPUT", "CHANNEL_2_Index", 1, 15},
    {"VIRTUAL_INPUT", "CHANNEL_3_Index", 1, 15},
    {"VIRTUAL_INPUT", "OPERATOR_1_Index", 1, 15},
    {"VIRTUAL_INPUT", "OPERATOR_2_Index", 1, 15},
    {"VIRTUAL_INPUT", "MASK_NOT", 1, 15},
    {"VIRTUAL_INPUT", "VIRTUAL_NAME", 1, 15},
    {"FLASH", "ENABLED", 1, 5},
    {"FLASH", "CONTINUES", 1, 5},
    {"FLASH", "INPUT_TRIGGER", 1, 5},
    {"FLASH", "CHANNEL_LIST1index ", 0, 4},
    {"FLASH", "CHANNEL_LIST2index ", 0, 4},
    {"FLASH", "CHANNEL_LIST3index ", 0, 4},
    {"FLASH", "CHANNEL_LIST4index ", 0, 4},
    {"FLASH", "CHANNEL_LIST5index ", 0, 4},
    {"FLASH", "FLASH_TIME", 1, 5},
    {"FLASH", "DURATION", 1, 5},
    {"FLASH", "FLASH_NAME", 1, 5},
    {"CAN_EXPORT_1", "ENABLED", 0, 0},
    {"CAN_EXPORT_1", "CAN_ID_1", 0, 0},
    {"CAN_EXPORT_1", "ROW_COUNT", 0, 0},
    {"CAN_EXPORT_1", "REFRESS_TIME_1", 0, 0},
    {"CAN_EXPORT_1", "CHANNEL_INDEX_", 1, 18},
    {"CAN_EXPORT_2", "ENABLED", 0, 0},
    {"CAN_EXPORT_2", "CAN_ID", 0, 0},
    {"CAN_EXPORT_2", "REFRESS_TIME", 0, 0},
    {"CAN_EXPORT_2", "CHANNEL_INDEX_", 0, 34},
    {"CAN_EXPORT_3", "ENABLED", 0, 0},
    {"CAN_EXPORT_3", "CAN_ID", 0, 0},
    {"CAN_EXPORT_3", "REFRESS_TIME", 0, 0},
    {"CAN_EXPORT_3", "CHANNEL_INDEX_", 0, 34},
    {"CAN_EXPORT_4", "ENABLED", 0, 0},
    {"CAN_EXPORT_4", "CAN_ID", 0, 0},
    {"CAN_EXPORT_4", "REFRESS_TIME", 0, 0},
    {"CAN_EXPORT_4", "CHANNEL_INDEX_", 0, 64},
};
static_assert(std::size(kStems) == kStemCount);

bool IsAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// ASCII names compared without regard to case; `length` is strlen(known).
bool SameName(QStringView name, const char* known, qsizetype length) {
    return name.size() == length && name.compare(QLatin1String(known, length), Qt::CaseInsensitive) == 0;
}

struct Table {
    std::array<int, kStemCount> base{};
    std::array<qsizetype, kStemCount> length{}; // of the stem
    int slotCount = 0;
    std::vector<const char*> sections;      // distinct, in file order
    std::vector<std::vector<Stem>> stemsOf; // by section
    std::array<int, kStemCount> sectionOf{};

    Table() {
        for (int s = 0; s < kStemCount; ++s) {
            base[static_cast<std::size_t>(s)] = slotCount;
            length[static_cast<std::size_t>(s)] = static_cast<qsizetype>(std::strlen(kStems[s].stem));
            slotCount += std::max(kStems[s].count, 1);
            if (sections.empty() || std::string_view(sections.back()) != kStems[s].section) {
                sections.push_back(kStems[s].section);
                stemsOf.emplace_back();
            }
            stemsOf.back().push_back(static_cast<Stem>(s));
            sectionOf[static_cast<std::size_t>(s)] = static_cast<int>(sections.size()) - 1;
        }
    }
};

const Table& TheTable() {
    static const Table table;
    return table;
}

} // namespace

int SlotCount() { return TheTable().slotCount; }

int Slot(Stem stem, int n) {
    // Callers name their keys from the same table; no range check here, the
    // slot's user checks it.
    const StemInfo& info = kStems[stem];
    return TheTable().base[static_cast<std::size_t>(stem)] + (info.count == 0 ? 0 : n - info.first);
}

int FindSection(QStringView section) {
    const Table& table = TheTable();
    for (std::size_t i = 0; i < table.sections.size(); ++i)
        if (SameName(section, table.sections[i], static_cast<qsizetype>(std::strlen(table.sections[i]))))
            return static_cast<int>(i);
    return -1;
}

int FindSlot(int section, QStringView key, Stem* hint) {
    const Table& table = TheTable();
    if (section < 0 || static_cast<std::size_t>(section) >= table.sections.size()) return -1;
    // The number: at most three digits, no leading zero (NAME01 is no NAME1).
    // Some keys without a number end in a digit (PWM_1, CAN_ID_1).
    qsizetype digits = 0;
    while (digits < key.size() && digits < 4 && IsAsciiDigit(key[key.size() - 1 - digits]))
        ++digits;
    const bool numbered =
        digits > 0 && digits <= 3 && (digits == 1 || key[key.size() - digits] != QLatin1Char('0'));
    const int n = numbered ? key.right(digits).toInt() : -1;
    const QStringView stem = key.left(key.size() - (numbered ? digits : 0));
    const auto match = [&](Stem s) {
        const StemInfo& info = kStems[s];
        if (info.count == 0) return SameName(key, info.stem, table.length[s]) ? table.base[s] : -1;
        if (!numbered || n < info.first || n >= info.first + info.count) return -1;
        return SameName(stem, info.stem, table.length[s]) ? table.base[s] + n - info.first : -1;
    };
    for (const Stem guess : {*hint, static_cast<Stem>(*hint + 1)}) {
        if (guess >= kStemCount || table.sectionOf[guess] != section) continue;
        if (const int slot = match(guess); slot >= 0) {
            *hint = guess;
            return slot;
        }
    }
    for (const Stem s : table.stemsOf[static_cast<std::size_t>(section)]) {
        if (const int slot = match(s); slot >= 0) {
            *hint = s;
            return slot;
        }
    }
    return -1;
}

int SectionOf(Stem stem) { return TheTable().sectionOf[static_cast<std::size_t>(stem)]; }

std::pair<int, int> SectionSlots(int section) {
    const Table& table = TheTable();
    const std::vector<Stem>& stems = table.stemsOf[static_cast<std::size_t>(section)];
    const Stem last = stems.back();
    return {table.base[stems.front()], table.base[last] + std::max(kStems[last].count, 1)};
}

QString SectionName(Stem stem) { return QString::fromLatin1(kStems[stem].section); }

QString KeyName(Stem stem, int n) {
    const StemInfo& info = kStems[stem];
    return info.count == 0 ? QString::fromLatin1(info.stem) : QLatin1String(info.stem) + QString::number(n);
}

void AppendKey(QString& out, Stem stem, int n) {
    const StemInfo& info = kStems[stem];
    out += QLatin1String(info.stem);
    if (info.count != 0) {
        char digits[12];
        int len = 0;
        unsigned v = static_cast<unsigned>(n);
        do {
            digits[len++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0);
        while (len > 0)
            out += QLatin1Char(digits[--len]);
    }
    out += QLatin1Char('=');
}

QStringList DescribeSlots(const std::vector<bool>& missing) {
    QStringList out;
    const Table& table = TheTable();
    for (int s = 0; s < kStemCount; ++s) {
        const StemInfo& info = kStems[s];
        const int base = table.base[static_cast<std::size_t>(s)];
        const int count = std::max(info.count, 1);
        for (int i = 0; i < count;) {
            if (static_cast<std::size_t>(base + i) >= missing.size() ||
                !missing[static_cast<std::size_t>(base + i)]) {
                ++i;
                continue;
            }
            int end = i;
            while (end + 1 < count && static_cast<std::size_t>(base + end + 1) < missing.size() &&
                   missing[static_cast<std::size_t>(base + end + 1)])
                ++end;
            const Stem stem = static_cast<Stem>(s);
            QString entry =
                QLatin1Char('[') + SectionName(stem) + QStringLiteral("] ") + KeyName(stem, info.first + i);
            if (end > i) entry += QStringLiteral(" to ") + KeyName(stem, info.first + end);
            out << entry;
            i = end + 1;
        }
    }
    return out;
}

} // namespace vm::cfg
