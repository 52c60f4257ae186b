#include "scan/logrecord.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace scan {

namespace {

constexpr size_t kFieldsNeeded = 6; // cut file path, mode, duration, (unused), start time, date
constexpr size_t kPartsNeeded = 4;  // (unused), hours, minutes, seconds
constexpr double kLargestPart = 1e9;
constexpr int kExponentClamp = 100000; // far beyond what a double holds either way

// Splits `text` at `separator` into the first `wanted` pieces; false when it has fewer.
template <size_t N>
bool splitFirst(std::string_view text, char separator, std::array<std::string_view, N>& pieces) {
    const char* pos = text.data();
    const char* const end = pos + text.size();
    for (size_t i = 0; i + 1 < N; ++i) {
        const void* hit = std::memchr(pos, separator, static_cast<size_t>(end - pos));
        if (hit == nullptr) return false;
        const char* stop = static_cast<const char*>(hit);
        pieces[i] = std::string_view(pos, static_cast<size_t>(stop - pos));
        pos = stop + 1;
    }
    const void* hit = std::memchr(pos, separator, static_cast<size_t>(end - pos));
    const char* stop = hit ? static_cast<const char*>(hit) : end;
    pieces[N - 1] = std::string_view(pos, static_cast<size_t>(stop - pos));
    return true;
}

bool isModeCut(std::string_view mode) {
    return mode.size() == 3 && (mode[0] | 0x20) == 'c' && (mode[1] | 0x20) == 'u' &&
           (mode[2] | 0x20) == 't';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Cursor over a duration part that steps over blanks and tabs wherever they stand.
class BlankSkipper {
public:
    explicit BlankSkipper(std::string_view text) : text_(text) {}
    char peek() {
        while (pos_ < text_.size() && isBlank(text_[pos_]))
            ++pos_;
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    void next() { ++pos_; }
    size_t position() const { return pos_; }
    void rewind(size_t pos) { pos_ = pos; }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// Reads the exponent after 'e' or 'E': an optional sign and at least one digit. Nothing (and the
// cursor unmoved) when no digit follows, so that "1e" and "1e+" are just 1.
std::optional<int> readExponent(BlankSkipper& cursor) {
    const size_t start = cursor.position();
    cursor.next(); // the 'e'
    bool negative = false;
    if (cursor.peek() == '+' || cursor.peek() == '-') {
        negative = cursor.peek() == '-';
        cursor.next();
    }
    if (!isDigit(cursor.peek())) {
        cursor.rewind(start);
        return std::nullopt;
    }
    int exponent = 0;
    for (char c = cursor.peek(); isDigit(c); c = cursor.peek()) {
        if (exponent < kExponentClamp) exponent = exponent * 10 + (c - '0');
        cursor.next();
    }
    return negative ? -exponent : exponent;
}

// Power of ten of the leading significant digit of a mantissa of digits and at most one point;
// used to tell an overflow from an underflow.
int leadingDigitPower(std::string_view mantissa) {
    const size_t point = mantissa.find('.');
    const std::string_view whole = mantissa.substr(0, point);
    const size_t firstNonZero = whole.find_first_not_of('0');
    if (firstNonZero != std::string_view::npos)
        return static_cast<int>(whole.size() - firstNonZero) - 1;
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
    const size_t zeros = fraction.find_first_not_of('0');
    return zeros == std::string_view::npos ? -kExponentClamp : -static_cast<int>(zeros) - 1;
}

// Short plain integers ("05", " 12") are nearly every duration part; they skip the general path.
std::optional<double> smallInteger(std::string_view part) {
    if (part.empty() || part.size() > 9) return std::nullopt;
    qint64 value = 0;
    for (char c : part) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return static_cast<double>(value);
}

} // namespace

std::string_view fileNameOf(std::string_view path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::optional<double> RecordReader::leadingNumber(std::string_view part) {
    if (auto quick = smallInteger(part)) return quick;

    BlankSkipper cursor(part);
    bool negative = false;
    if (cursor.peek() == '+' || cursor.peek() == '-') {
        negative = cursor.peek() == '-';
        cursor.next();
    }
    std::string& mantissa = scratch_;
    mantissa.clear();
    bool hasDigits = false;
    bool hasPoint = false;
    for (char c = cursor.peek();; c = cursor.peek()) {
        if (isDigit(c)) {
            hasDigits = true;
        } else if (c == '.' && !hasPoint) {
            hasPoint = true;
        } else {
            break;
        }
        mantissa.push_back(c);
        cursor.next();
    }
    if (!hasDigits) return 0.0;
    int exponent = 0;
    if (cursor.peek() == 'e' || cursor.peek() == 'E') exponent = readExponent(cursor).value_or(0);

    const size_t mantissaSize = mantissa.size();
    mantissa.push_back('e');
    mantissa.append(std::to_string(exponent));
    double value = 0;
    const auto [end, error] =
        std::from_chars(mantissa.data(), mantissa.data() + mantissa.size(), value);
    if (error == std::errc::result_out_of_range) {
        const bool overflow =
            leadingDigitPower(std::string_view(mantissa.data(), mantissaSize)) + exponent > 0;
        if (overflow) return std::nullopt;
        value = 0;
    } else if (error != std::errc() || end != mantissa.data() + mantissa.size()) {
        return 0.0; // cannot happen for what was gathered above; a stray form counts as no number
    }
    if (!std::isfinite(value) || value > kLargestPart) return std::nullopt;
    return negative ? -value : value;
}

std::optional<CutRecord> RecordReader::read(std::string_view line) {
    std::array<std::string_view, kFieldsNeeded> fields;
    if (line.empty() || !splitFirst(line, ',', fields)) return std::nullopt;
    if (!isModeCut(fields[1]) || fields[2].empty()) return std::nullopt;

    std::array<std::string_view, kPartsNeeded> parts;
    if (!splitFirst(fields[2], ':', parts) || parts[1].empty()) return std::nullopt;

    const auto hours = leadingNumber(parts[1]);
    const auto minutes = leadingNumber(parts[2]);
    const auto seconds = leadingNumber(parts[3]);
    if (!hours || !minutes || !seconds) return std::nullopt;

    return CutRecord{fileNameOf(fields[0]),
                     fields[4],
                     fields[5],
                     parts[1],
                     parts[2],
                     parts[3],
                     DurationValues{*hours, *minutes, *seconds}};
}

} // namespace scan
