#pragma once
// A memory image of the unit's program memory and the Intel HEX loader that
// fills it. Plain C++ so the fuzz target and the tests use it as it is.
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vm {

// What the loader and the hex conversion throw: one text, shown to the user as
// it is. Thrown by value and caught by reference.
class ErrorMsg : public std::exception {
public:
    explicit ErrorMsg(std::string message, int line = 0) : message_(std::move(message)), line_(line) {}
    virtual const std::string& Message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }
    // Line of the file the failing record starts on, from 1; 0 when the error is
    // about the whole file.
    int line() const { return line_; }

private:
    std::string message_;
    int line_;
};

namespace hex_text {
inline constexpr char kZeroSize[] = "Cannot have zero-size HEX buffer!";
inline constexpr char kNoMemory[] = "Memory allocation failed for HEX-line-buffer!";
inline constexpr char kEmptyHex[] = "Cannot convert zero-length hex-string to number!";
inline constexpr char kHexOverflow[] = "Hex conversion overflow! Too many hex digits in string.";
inline constexpr char kBadDigit[] = "Invalid hex digit found!";
inline constexpr char kMissingFields[] = "Wrong HEX file format, missing fields! Line from file was: (";
inline constexpr char kNoColon[] = "Wrong HEX file format, does not start with colon! Line from file was: (";
inline constexpr char kBadChecksum[] = "Wrong checksum for HEX record! Line from file was: (";
inline constexpr char kCannotOpen[] = "Error opening HEX file for input!";
inline constexpr char kUnsupported[] = "Unsupported HEX record format! Line from file was: (";
inline constexpr char kOutside[] =
    "HEX file defines data outside buffer limits! Make sure file does not contain data outside device memory "
    "limits. Line from file was: (";
inline constexpr char kPrematureEnd[] = "Premature end of file encountered! Make sure file contains an EOF-record.";
inline constexpr char kOutsideRange[] = "Address outside legal range!";
inline constexpr char kNoData[] = "HEX file contains no data!";
inline constexpr char kTooLarge[] = "HEX file is too large!";
} // namespace hex_text

class Utility {
public:
    // 1 to 8 hexadecimal digits, most significant first.
    static std::uint32_t HexToNumber(std::string_view text);
};

class HEXFile {
public:
    // The image both firmware tools work on.
    static constexpr std::int32_t kFirmwareSize = 0x20000;
    static constexpr std::uint8_t kFirmwareFill = 0xFF;
    // A full image as HEX text is under 400 KB; anything far beyond is not one.
    static constexpr std::size_t kMaxFileBytes = 8u << 20;
    // A record is at most 11 + 2 * 255 characters; longer record texts are quoted cut.
    static constexpr std::size_t kMaxQuoted = 600;

    using Trace = std::function<void(std::string_view)>;

    HEXFile(std::int32_t size, std::uint8_t fill);

    // Every byte becomes fill, which is also what later loads start from.
    void Fill(std::uint8_t fill);
    // Reads the file (at most kMaxFileBytes) and loads it as LoadText does.
    void Load(const std::string& path);
    // Loads HEX text. The whole text is checked first: on any error nothing of
    // the image or the addresses changes. On success the image is the fill
    // byte everywhere the text defines no data.
    void LoadText(std::string_view text);

    std::uint8_t GetByte(std::int32_t index) const;
    std::uint32_t lowAddress() const { return lowAddress_; }
    std::uint32_t highAddress() const { return highAddress_; }
    std::int32_t size() const { return size_; }
    // Whether a load defined at least one byte (low <= high).
    bool hasData() const { return lowAddress_ <= highAddress_ && lowAddress_ < static_cast<std::uint32_t>(size_); }

    // Loader progress marks, for the traffic log; none by default.
    void SetTrace(Trace trace) { trace_ = std::move(trace); }

private:
    std::vector<std::uint8_t> buffer_;
    std::uint32_t lowAddress_;
    std::uint32_t highAddress_ = 0;
    std::int32_t size_;
    std::uint8_t fill_;
    Trace trace_;
};

} // namespace vm
