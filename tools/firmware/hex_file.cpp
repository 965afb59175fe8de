#include "tools/firmware/hex_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <new>

namespace vm {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Record errors quote the record; a runaway one is cut so the message stays readable.
[[noreturn]] void ThrowRecord(const char* prefix, std::string_view record, int line) {
    std::string text(prefix);
    if (record.size() > HEXFile::kMaxQuoted) {
        text.append(record.substr(0, HEXFile::kMaxQuoted));
        text += "...";
    } else {
        text.append(record);
    }
    text += ").";
    throw ErrorMsg(std::move(text), line);
}

struct Record {
    std::uint8_t length = 0;
    std::uint32_t address = 0;
    std::uint8_t type = 0;
    std::uint8_t data[255] = {};
};

std::uint8_t HexByte(std::string_view record, std::size_t at, int line) {
    try {
        return static_cast<std::uint8_t>(Utility::HexToNumber(record.substr(at, 2)));
    } catch (const ErrorMsg& e) {
        throw ErrorMsg(e.Message(), line);
    }
}

Record Parse(std::string_view text, int line) {
    if (text.size() < 11) ThrowRecord(hex_text::kMissingFields, text, line);
    if (text[0] != ':') ThrowRecord(hex_text::kNoColon, text, line);
    Record r;
    r.length = HexByte(text, 1, line);
    r.address = static_cast<std::uint32_t>(HexByte(text, 3, line)) << 8 | HexByte(text, 5, line);
    r.type = HexByte(text, 7, line);
    if (text.size() < 2u * r.length + 11u) ThrowRecord(hex_text::kMissingFields, text, line);
    std::uint8_t sum = static_cast<std::uint8_t>(r.length + (r.address >> 8) + (r.address & 0xFF) + r.type);
    for (std::size_t i = 0; i < r.length; ++i) {
        r.data[i] = HexByte(text, 9 + 2 * i, line);
        sum = static_cast<std::uint8_t>(sum + r.data[i]);
    }
    sum = static_cast<std::uint8_t>(sum + HexByte(text, 9 + 2u * r.length, line));
    if (sum != 0) ThrowRecord(hex_text::kBadChecksum, text, line);
    return r;
}

// Record texts are separated by white space; a read that runs into the end of
// the text (no white space after it) ends the file, whatever it read.
class RecordReader {
public:
    explicit RecordReader(std::string_view text) : text_(text) {}
    // False when this read reached the end of the text.
    bool next(std::string_view& record, int& line) {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) {
            if (text_[pos_] == '\n') ++line_;
            ++pos_;
        }
        const std::size_t from = pos_;
        while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
        record = text_.substr(from, pos_ - from);
        line = line_;
        if (pos_ >= text_.size()) return false;
        if (text_[pos_] == '\n') ++line_;
        ++pos_; // the separator is consumed
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

} // namespace

std::uint32_t Utility::HexToNumber(std::string_view text) {
    if (text.empty()) throw ErrorMsg(hex_text::kEmptyHex);
    if (text.size() > 8) throw ErrorMsg(hex_text::kHexOverflow);
    std::uint32_t value = 0;
    for (char c : text) {
        std::uint32_t digit;
        if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f') digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else throw ErrorMsg(hex_text::kBadDigit);
        value = value * 16 + digit;
    }
    return value;
}

HEXFile::HEXFile(std::int32_t size, std::uint8_t fill) : lowAddress_(0), size_(size), fill_(fill) {
    if (size <= 0) throw ErrorMsg(hex_text::kZeroSize);
    try {
        buffer_.assign(static_cast<std::size_t>(size), fill);
    } catch (const std::bad_alloc&) {
        throw ErrorMsg(hex_text::kNoMemory);
    } catch (const std::length_error&) {
        throw ErrorMsg(hex_text::kNoMemory);
    }
    lowAddress_ = static_cast<std::uint32_t>(size);
}

void HEXFile::Fill(std::uint8_t fill) {
    fill_ = fill;
    std::fill(buffer_.begin(), buffer_.end(), fill);
}

std::uint8_t HEXFile::GetByte(std::int32_t index) const {
    if (index < 0 || index >= size_) throw ErrorMsg(hex_text::kOutsideRange);
    return buffer_[static_cast<std::size_t>(index)];
}

void HEXFile::Load(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw ErrorMsg(hex_text::kCannotOpen);
    const auto bytes = std::filesystem::file_size(path, ec);
    if (ec) throw ErrorMsg(hex_text::kCannotOpen);
    if (bytes > kMaxFileBytes) throw ErrorMsg(hex_text::kTooLarge);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ErrorMsg(hex_text::kCannotOpen);
    std::string text;
    text.resize(static_cast<std::size_t>(bytes));
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    // A file that changed size under us is loaded as far as it was read.
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw ErrorMsg(hex_text::kCannotOpen);
    LoadText(text);
}

void HEXFile::LoadText(std::string_view text) {
    std::vector<std::uint8_t> image;
    try {
        image.assign(buffer_.size(), fill_);
    } catch (const std::bad_alloc&) {
        throw ErrorMsg(hex_text::kNoMemory);
    }
    const std::uint64_t size = static_cast<std::uint64_t>(size_);
    std::uint64_t low = size, high = 0;
    std::uint64_t base = 0;
    bool any = false;

    RecordReader reader(text);
    std::string_view recordText;
    int line = 0;
    bool more = reader.next(recordText, line);
    while (more) {
        if (trace_) trace_("#");
        const Record r = Parse(recordText, line);
        if (r.type > 5) ThrowRecord(hex_text::kUnsupported, recordText, line);
        switch (r.type) {
        case 0: {
            if (r.length == 0) break; // defines nothing, so moves nothing
            // 64-bit sums: no base and offset can wrap back into the image.
            const std::uint64_t at = base + r.address;
            if (at + r.length > size) ThrowRecord(hex_text::kOutside, recordText, line);
            std::copy(r.data, r.data + r.length, image.begin() + static_cast<std::ptrdiff_t>(at));
            low = std::min(low, at);
            high = std::max(high, at + r.length - 1);
            any = true;
            break;
        }
        case 1:
            if (!any) throw ErrorMsg(hex_text::kNoData);
            if (trace_) trace_("\r\n");
            buffer_.swap(image);
            lowAddress_ = static_cast<std::uint32_t>(low);
            highAddress_ = static_cast<std::uint32_t>(high);
            return;
        case 2:
        case 4:
            if (r.length < 2) ThrowRecord(hex_text::kMissingFields, recordText, line);
            base = (static_cast<std::uint64_t>(r.data[0]) << 8 | r.data[1]) << (r.type == 2 ? 4 : 16);
            break;
        default: break; // start addresses mean nothing to the image
        }
        more = reader.next(recordText, line);
    }
    throw ErrorMsg(hex_text::kPrematureEnd);
}

} // namespace vm
