#include "scan/logrecord.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

// SSE2 is part of every x86-64 processor; GCC and Clang say so with __SSE2__, MSVC with _M_X64.
#if defined(__SSE2__) || defined(_M_X64)
#define RUNTALLY_SSE2 1
#include <emmintrin.h>
#endif

namespace scan {

namespace {

constexpr double kLargestPart = 1e9;
constexpr int kExponentClamp = 100000; // far beyond what a double holds either way

// The bytes of `word` (eight bytes in memory order) that equal `byte`, as the high bit of each.
// Exact per byte: no borrow runs from one byte into the next.
std::uint64_t byteMatches(std::uint64_t word, char byte) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t x = word ^ (0x0101010101010101ULL * static_cast<unsigned char>(byte));
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// The bytes of `text` from `from` up to `to`, both within it. Unlike substr, nothing to check
// and nothing to throw: this runs several times for every line.
std::string_view slice(std::string_view text, size_t from, size_t to) {
    return std::string_view(text.data() + from, to - from);
}

// Where `text` is cut at `separator` into its first N pieces, the last of them running to the
// next separator or to the end: the end of each piece (a separator's position, or the text's
// size). Positions rather than views, which take more setting up: this runs for every line.
template <size_t N> struct PieceEnds {
    std::array<size_t, N> ends{}; // the first `count` are found; piece(k) is for k < count
    size_t count = 0;

    std::string_view piece(std::string_view text, size_t k) const {
        return slice(text, k == 0 ? 0 : ends[k - 1] + 1, ends[k]);
    }
};

// Looks at sixteen (or eight) bytes at a time: fields are short and there are several per line.
template <size_t N> PieceEnds<N> splitPieces(std::string_view text, char separator) {
    PieceEnds<N> cut;
    size_t i = 0;
#ifdef RUNTALLY_SSE2
    const __m128i wanted = _mm_set1_epi8(separator);
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
        for (; hits != 0; hits &= hits - 1) {
            cut.ends[cut.count++] = i + static_cast<size_t>(std::countr_zero(hits));
            if (cut.count == N) return cut;
        }
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + sizeof(std::uint64_t) <= text.size(); i += sizeof(std::uint64_t)) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, sizeof word);
            for (std::uint64_t hits = byteMatches(word, separator); hits != 0; hits &= hits - 1) {
                cut.ends[cut.count++] = i + static_cast<size_t>(std::countr_zero(hits)) / 8;
                if (cut.count == N) return cut;
            }
        }
    }
    for (; i < text.size(); ++i) {
        if (text[i] == separator) {
            cut.ends[cut.count++] = i;
            if (cut.count == N) return cut;
        }
    }
    cut.ends[cut.count++] = text.size();
    return cut;
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

} // namespace

std::string_view fileNameOf(std::string_view path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : slice(path, slash + 1, path.size());
}

std::optional<double> RecordReader::generalNumber(std::string_view part) {
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
    // Fields 0 and 1: cut file path, mode. Most skipped lines are skipped for their mode, so it
    // is looked at before the rest of the line is cut.
    const auto head = splitPieces<2>(line, ',');
    if (head.count < 2 || !isModeCut(head.piece(line, 1))) return std::nullopt;
    if (head.ends[1] == line.size()) return std::nullopt;

    // Fields 2 to 5: duration, (unused), start time, date.
    const std::string_view rest = slice(line, head.ends[1] + 1, line.size());
    const auto fields = splitPieces<4>(rest, ',');
    if (fields.count < 4 || fields.ends[0] == 0) return std::nullopt;
    const std::string_view duration = fields.piece(rest, 0);

    // Duration parts 0 to 3: (unused), hours, minutes, seconds.
    const auto parts = splitPieces<4>(duration, ':');
    if (parts.count < 4 || parts.ends[1] == parts.ends[0] + 1) return std::nullopt;
    const std::string_view hoursText = parts.piece(duration, 1);
    const std::string_view minutesText = parts.piece(duration, 2);
    const std::string_view secondsText = parts.piece(duration, 3);

    DurationValues values;
    if (!partValue(hoursText, values.hours) || !partValue(minutesText, values.minutes) ||
        !partValue(secondsText, values.seconds))
        return std::nullopt;

    return CutRecord{
        .cutFileName = fileNameOf(head.piece(line, 0)),
        .startTime = fields.piece(rest, 2),
        .date = fields.piece(rest, 3),
        .hoursText = hoursText,
        .minutesText = minutesText,
        .secondsText = secondsText,
        // Hours to seconds stand together in the log, colons and all.
        .durationText = slice(duration, parts.ends[0] + 1, parts.ends[3]),
        .duration = values,
    };
}

} // namespace scan
