#include "tools/firmware/hex_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

using namespace vm;
namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kSize = HEXFile::kFirmwareSize;

// One record text with its checksum.
std::string Rec(int type, int address, std::vector<int> data) {
    char buf[16];
    std::string text = ":";
    int sum = static_cast<int>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::snprintf(buf, sizeof buf, "%02X%04X%02X", static_cast<int>(data.size()), address, type);
    text += buf;
    for (int d : data) {
        std::snprintf(buf, sizeof buf, "%02X", d);
        text += buf;
        sum += d;
    }
    std::snprintf(buf, sizeof buf, "%02X", (-sum) & 0xFF);
    return text + buf;
}
const std::string kEof = ":00000001FF";

std::string Lines(std::initializer_list<std::string> records) {
    std::string text;
    for (const std::string& r : records) text += r + "\n";
    return text;
}

std::string ErrorOf(HEXFile& image, const std::string& text) {
    try {
        image.LoadText(text);
    } catch (const ErrorMsg& e) {
        return e.Message();
    }
    return {};
}

std::string Record(const char* prefix, const std::string& record) { return prefix + record + ")."; }

} // namespace

TEST(HexFile, RecordsAndTheirFaults) {
    struct Case {
        const char* what;
        std::string text;
        std::string error;        // empty: loads
        std::uint32_t low = 0, high = 0;
        std::int32_t probe = -1;  // a loaded byte to check
        int probeValue = 0;
    };
    const std::string data10 = ":0400100001020304E2";
    const std::string wrapping = Rec(0, 0xFFF0, std::vector<int>(32, 0x11));
    const Case cases[] = {
        {"data record", Lines({data10, kEof}), "", 0x10, 0x13, 0x12, 3},
        {"linear base 0001", Lines({Rec(4, 0, {0, 1}), Rec(0, 0, {0xAB}), kEof}), "", 0x10000, 0x10000, 0x10000, 0xAB},
        {"segment base 1000", Lines({Rec(2, 0, {0x10, 0}), Rec(0, 5, {0x5A}), kEof}), "", 0x10005, 0x10005, 0x10005, 0x5A},
        {"ends exactly at the image end", Lines({Rec(4, 0, {0, 1}), Rec(0, 0xFFFF, {7}), kEof}), "", 0x1FFFF, 0x1FFFF,
         0x1FFFF, 7},
        {"empty data record moves nothing", Lines({Rec(0, 0, {}), data10, kEof}), "", 0x10, 0x13},
        {"start addresses ignored", Lines({data10, Rec(3, 0, {0, 0, 0x12, 0x34}), Rec(5, 0, {0, 0, 1, 0}), kEof}), "",
         0x10, 0x13},
        {"several records on one line, CR LF", data10 + " \t" + Rec(0, 0x20, {9}) + "\r\n" + kEof + "\r\n", "", 0x10,
         0x20, 0x20, 9},
        {"lower-case digits", Lines({":0400100001020304e2", kEof}), "", 0x10, 0x13},
        {"characters after the checksum ignored", Lines({data10 + "ZZ", kEof}), "", 0x10, 0x13},
        {"one byte past the image", Lines({Rec(4, 0, {0, 1}), Rec(0, 0xFFFF, {7, 8}), kEof}),
         Record(hex_text::kOutside, Rec(0, 0xFFFF, {7, 8}))},
        {"linear base 0002", Lines({Rec(4, 0, {0, 2}), Rec(0, 0, {1}), kEof}), Record(hex_text::kOutside, Rec(0, 0, {1}))},
        {"base + offset + count past 4 GiB does not wrap", Lines({Rec(4, 0, {0xFF, 0xFF}), wrapping, kEof}),
         Record(hex_text::kOutside, wrapping)},
        {"only an end record", Lines({kEof}), hex_text::kNoData},
        {"only empty data records", Lines({Rec(0, 0x40, {}), kEof}), hex_text::kNoData},
        {"no colon", Lines({"0000000001FF"}), Record(hex_text::kNoColon, "0000000001FF")},
        {"ten characters", Lines({":00000001F"}), Record(hex_text::kMissingFields, ":00000001F")},
        {"shorter than its length says", Lines({":0400100001020304", kEof}),
         Record(hex_text::kMissingFields, ":0400100001020304")},
        {"checksum off by one", Lines({":0400100001020304E3", kEof}),
         Record(hex_text::kBadChecksum, ":0400100001020304E3")},
        {"type 6", Lines({Rec(6, 0, {}), kEof}), Record(hex_text::kUnsupported, Rec(6, 0, {}))},
        {"bad digit", Lines({":0400100001020G04E2", kEof}), hex_text::kBadDigit},
        {"segment record with one byte", Lines({Rec(2, 0, {0x10}), kEof}), Record(hex_text::kMissingFields, Rec(2, 0, {0x10}))},
        {"linear record without bytes", Lines({Rec(4, 0, {}), kEof}), Record(hex_text::kMissingFields, Rec(4, 0, {}))},
        {"no end record", Lines({data10}), hex_text::kPrematureEnd},
        {"end record without a line break", data10 + "\n" + kEof, hex_text::kPrematureEnd},
        {"empty file", "", hex_text::kPrematureEnd},
        {"blank inside, short first part", Lines({":04001000 01020304E2", kEof}),
         Record(hex_text::kMissingFields, ":04001000")},
        {"blank inside, long first part", Lines({Rec(0, 0, {0x55}) + " 0000000001FF", kEof}),
         Record(hex_text::kNoColon, "0000000001FF")},
    };
    for (const Case& c : cases) {
        HEXFile image(kSize, 0xFF);
        const std::string error = ErrorOf(image, c.text);
        EXPECT_EQ(error, c.error) << c.what;
        if (!c.error.empty()) {
            // Refused whole: the image and its range are as before.
            EXPECT_EQ(image.lowAddress(), static_cast<std::uint32_t>(kSize)) << c.what;
            EXPECT_EQ(image.highAddress(), 0u) << c.what;
            EXPECT_EQ(image.GetByte(0x10), 0xFF) << c.what;
            continue;
        }
        EXPECT_EQ(image.lowAddress(), c.low) << c.what;
        EXPECT_EQ(image.highAddress(), c.high) << c.what;
        if (c.probe >= 0) EXPECT_EQ(image.GetByte(c.probe), c.probeValue) << c.what;
    }
}

TEST(HexFile, ErrorsNameTheLineAndCutRunawayRecords) {
    HEXFile image(kSize, 0xFF);
    try {
        image.LoadText("\n" + Lines({":0400100001020304E2", ":0400100001020304E3", kEof}));
        FAIL() << "loaded";
    } catch (const ErrorMsg& e) {
        EXPECT_EQ(e.line(), 3);
    }
    const std::string runaway = ":" + std::string(100000, '1');
    const std::string error = ErrorOf(image, runaway + "\n");
    EXPECT_EQ(error.size(), std::string(hex_text::kBadChecksum).size() + HEXFile::kMaxQuoted + 5) << error.substr(0, 80);
}

TEST(HexFile, HexToNumberImageBoundsAndRefill) {
    EXPECT_EQ(Utility::HexToNumber("FFFFFFFF"), 4294967295u);
    EXPECT_EQ(Utility::HexToNumber("0a"), 10u);
    struct Bad {
        const char* text;
        const char* error;
    };
    for (const Bad& b : {Bad{"", hex_text::kEmptyHex}, Bad{"123456789", hex_text::kHexOverflow},
                         Bad{"1G", hex_text::kBadDigit}, Bad{" 1", hex_text::kBadDigit}}) {
        try {
            Utility::HexToNumber(b.text);
            ADD_FAILURE() << b.text;
        } catch (const ErrorMsg& e) {
            EXPECT_EQ(e.Message(), b.error) << b.text;
        }
    }
    HEXFile image(kSize, 0xFF);
    for (std::int32_t index : {-1, kSize}) {
        try {
            image.GetByte(index);
            ADD_FAILURE() << index;
        } catch (const ErrorMsg& e) {
            EXPECT_EQ(e.Message(), hex_text::kOutsideRange);
        }
    }
    EXPECT_THROW(HEXFile(0, 0xFF), ErrorMsg);

    // A second load starts from the fill byte: nothing of the first is left.
    image.LoadText(Lines({Rec(0, 0x100, {1, 2}), kEof}));
    image.LoadText(Lines({Rec(0, 0x200, {3}), kEof}));
    EXPECT_EQ(image.GetByte(0x100), 0xFF);
    EXPECT_EQ(image.GetByte(0x200), 3);
    EXPECT_EQ(image.lowAddress(), 0x200u);
    // A refused load keeps the last good one.
    EXPECT_FALSE(ErrorOf(image, Lines({Rec(0, 0x300, {4})})).empty());
    EXPECT_EQ(image.GetByte(0x200), 3);
    EXPECT_EQ(image.GetByte(0x300), 0xFF);
    EXPECT_EQ(image.highAddress(), 0x200u);

    int marks = 0;
    image.SetTrace([&](std::string_view mark) { marks += mark == "#"; });
    image.LoadText(Lines({Rec(0, 0, {1}), Rec(0, 1, {2}), kEof}));
    EXPECT_EQ(marks, 3);
}

TEST(HexFile, FilesWrittenByHandAndRefusedPaths) {
    const fs::path data = fs::path(VOLTMAST_TEST_DATA) / "hex";
    HEXFile image(kSize, 0xFF);
    image.Load((data / "two_pages_crlf.hex").string());
    EXPECT_EQ(image.lowAddress(), 0x0000u);
    EXPECT_EQ(image.highAddress(), 0x01FFu);
    EXPECT_EQ(image.GetByte(0x0100), 0x10);
    EXPECT_EQ(image.GetByte(0x01FF), 0x1F);

    struct Refused {
        fs::path path;
        const char* error;
    };
    for (const Refused& r : {Refused{data / "no_such.hex", hex_text::kCannotOpen},
                             Refused{data, hex_text::kCannotOpen},
                             Refused{data / "no_eof.hex", hex_text::kPrematureEnd}}) {
        try {
            image.Load(r.path.string());
            ADD_FAILURE() << r.path;
        } catch (const ErrorMsg& e) {
            EXPECT_EQ(e.Message(), r.error) << r.path;
        }
    }
    EXPECT_EQ(image.GetByte(0x0100), 0x10);
}

// Files a standard tool made from a binary load to that binary.
TEST(HexFile, FilesMadeByObjcopyAndSrecCatEqualTheirBinary) {
    const fs::path dir = fs::temp_directory_path() / ("voltmast-hex-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    struct Made {
        const char* tool;
        std::size_t bytes;
        std::uint32_t offset;
        std::string command; // {in} and {out} replaced
    };
    const Made made[] = {
        {"objcopy, segment records above 64 KiB", 100000, 0,
         std::string(VOLTMAST_OBJCOPY) + " -I binary -O ihex {in} {out}"},
        {"objcopy at 0x1230 with a start address", 300, 0x1230,
         std::string(VOLTMAST_OBJCOPY) + " -I binary -O ihex --change-addresses 0x1230 --set-start 0x1234 {in} {out}"},
        {"srec_cat, linear records", 5000, 0x10100,
         std::string(VOLTMAST_SREC_CAT) + " {in} -binary -offset 0x10100 -o {out} -intel"},
        {"srec_cat with a linear start address", 256, 0x100,
         std::string(VOLTMAST_SREC_CAT) + " {in} -binary -offset 0x100 -o {out} -intel -execution-start-address=0x100"},
    };
    std::mt19937 random(15);
    for (const Made& m : made) {
        if (m.command.find("NOTFOUND") != std::string::npos) {
            ADD_FAILURE() << m.tool << ": tool not installed";
            continue;
        }
        std::vector<std::uint8_t> binary(m.bytes);
        for (auto& b : binary) b = static_cast<std::uint8_t>(random());
        const fs::path in = dir / "in.bin", out = dir / "out.hex";
        std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(binary.data()),
                                                  static_cast<std::streamsize>(binary.size()));
        std::string command = m.command;
        command.replace(command.find("{in}"), 4, in.string());
        command.replace(command.find("{out}"), 5, out.string());
        ASSERT_EQ(std::system(command.c_str()), 0) << command;

        HEXFile image(kSize, 0xFF);
        image.Load(out.string());
        EXPECT_EQ(image.lowAddress(), m.offset) << m.tool;
        EXPECT_EQ(image.highAddress(), m.offset + m.bytes - 1) << m.tool;
        std::size_t differ = 0;
        for (std::int32_t i = 0; i < kSize; ++i) {
            const bool inside = static_cast<std::uint32_t>(i) >= m.offset && i < static_cast<std::int32_t>(m.offset + m.bytes);
            const std::uint8_t want = inside ? binary[static_cast<std::size_t>(i) - m.offset] : 0xFF;
            differ += image.GetByte(i) != want;
        }
        EXPECT_EQ(differ, 0u) << m.tool;
    }
    fs::remove_all(dir);
}
