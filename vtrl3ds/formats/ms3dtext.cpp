// Reading MilkShape 3D ASCII text (see ms3dtext.h): number conversion, the line cursor and field
// lists. Every failure raises the library's exception with the routine, the source, the line
// number and what was being read; no count is trusted before the text is seen to hold it.
#include "vtrl3ds/private/ms3dtext.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

#include "vtrl3ds/locale.h"
#include "vtrl3ds/private/compat.h"
#include "vtrl3ds/stream.h"

namespace vtrl3ds_internal {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Characters with codes 1 to 32 separate fields.
bool isBlank(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

// Characters that end an unquoted field: blanks and the comma (a table, as every byte is tested).
constexpr std::array<bool, 256> endsField = [] {
    std::array<bool, 256> table{};
    for (int c = 1; c <= 32; ++c) table[static_cast<size_t>(c)] = true;
    table[','] = true;
    return table;
}();

// The layout of a real number found by scanNumber: where its parts are within the text.
struct RealShape {
    size_t begin = 0, end = 0;  // the number without surrounding blanks
    bool plus = false;          // written with a leading '+'
    size_t separatorAt = std::string_view::npos;
    int64_t magnitude = 0;  // decimal exponent of the first non-zero digit, roughly
};

// Checks the grammar: [blanks] [sign] digits [separator digits] [(e|E) [sign] digits] [blanks],
// with at least one digit before the exponent.
bool scanNumber(std::string_view s, char separator, RealShape& shape) {
    size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ') ++i;
    while (n > i && s[n - 1] == ' ') --n;
    shape.begin = i;
    shape.end = n;
    if (i < n && (s[i] == '+' || s[i] == '-')) shape.plus = s[i++] == '+';
    // `leading` counts the integer digits from the first non-zero one, less the zeros after the
    // separator that stand before it: the decimal exponent of the number, give or take one.
    size_t digits = 0;
    int64_t leading = 0;
    bool nonZero = false;
    for (; i < n && isDigit(s[i]); ++i, ++digits) {
        nonZero = nonZero || s[i] != '0';
        if (nonZero) ++leading;
    }
    if (i < n && s[i] == separator) {
        shape.separatorAt = i++;
        for (; i < n && isDigit(s[i]); ++i, ++digits) {
            if (!nonZero && s[i] == '0') --leading;
            nonZero = nonZero || s[i] != '0';
        }
    }
    if (digits == 0) return false;
    int64_t exponent = 0;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        const bool negative = i < n && s[i] == '-';
        if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
        if (i == n || !isDigit(s[i])) return false;
        for (; i < n && isDigit(s[i]); ++i)
            exponent = std::min<int64_t>(exponent * 10 + (s[i] - '0'), 1 << 30);
        if (negative) exponent = -exponent;
    }
    shape.magnitude = leading + exponent;
    return i == n;
}

// Converts a number whose grammar scanNumber accepted; the separator becomes a point.
template <class T>
std::from_chars_result convertShape(std::string_view s, const RealShape& shape, T& value) {
    const size_t from = shape.begin + (shape.plus ? 1 : 0);
    if (shape.separatorAt == std::string_view::npos || s[shape.separatorAt] == '.')
        return realFromChars(s.data() + from, s.data() + shape.end, value);
    std::string text(s.substr(from, shape.end - from));
    text[shape.separatorAt - from] = '.';
    const auto r = realFromChars(text.data(), text.data() + text.size(), value);
    return {s.data() + from + static_cast<size_t>(r.ptr - text.data()), r.ec};
}

template <class T>
NumberStatus convertReal(std::string_view s, char separator, T& value) {
    RealShape shape;
    if (!scanNumber(s, separator, shape)) return NumberStatus::invalid;
    const auto r = convertShape(s, shape, value);
    if (r.ec == std::errc() && r.ptr == s.data() + shape.end) return NumberStatus::ok;
    if (r.ec != std::errc::result_out_of_range) return NumberStatus::invalid;
    // Too large is refused; too small for the type reads as a zero of the number's sign.
    if (shape.magnitude > 0) return NumberStatus::outOfRange;
    value = s[shape.begin] == '-' ? -T(0) : T(0);
    return NumberStatus::ok;
}

}  // namespace

NumberStatus parseInt32(std::string_view s, int32_t& value) {
    const char* p = s.data();
    const char* const e = p + s.size();
    while (p < e && *p == ' ') ++p;
    const bool negative = p < e && *p == '-';
    if (p < e && (*p == '+' || *p == '-')) ++p;
    if (p == e) return NumberStatus::invalid;
    // Saturates at 2^32, which is beyond the range either way (v * 10 + 9 cannot overflow).
    constexpr uint64_t beyond = uint64_t{1} << 32;
    uint64_t v = 0;
    for (; p < e; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (digit > 9) return NumberStatus::invalid;
        v = std::min(v * 10 + digit, beyond);
    }
    if (v > (negative ? uint64_t{1} << 31 : uint64_t{INT32_MAX})) return NumberStatus::outOfRange;
    value = negative ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
    return NumberStatus::ok;
}

NumberStatus parseFloat(std::string_view s, char separator, float& value) {
    // The usual field ("-12.5", "0.000000") is read whole in its plain form. Anything else takes
    // the full path, which also tells an invalid text from an out-of-range one.
    float f = 0;
    if (!s.empty() && plainDecimal(s.data(), s.data() + s.size(), separator, f) == s.size()) {
        value = f;
        return NumberStatus::ok;
    }
    const NumberStatus status = convertReal(s, separator, f);
    // Files written with the point (as the format's own writers always do) load under a comma
    // locale too: the point is accepted wherever the locale's separator is.
    if (status == NumberStatus::invalid && separator != '.') return parseFloat(s, '.', value);
    // from_chars refuses values beyond the float range; a double that rounds to one is refused too.
    if (status == NumberStatus::ok && std::isinf(f)) return NumberStatus::outOfRange;
    if (status == NumberStatus::ok) value = f;
    return status;
}

NumberStatus parseDouble(std::string_view s, char separator, double& value) {
    const NumberStatus status = convertReal(s, separator, value);
    if (status == NumberStatus::invalid && separator != '.') return convertReal(s, '.', value);
    return status;
}

// These two append piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on a literal plus a
// temporary string.
std::string quoted(std::string_view s) {
    constexpr size_t shown = 40;
    std::string q = "'";
    q += s.substr(0, shown);
    q += s.size() > shown ? "...'" : "'";
    return q;
}

std::string describe(const Item& item) {
    std::string s = item.kind;
    const auto add = [&s](const char* separator, const std::string& part) {
        s += separator;
        s += part;
    };
    if (item.number > 0) add(" ", std::to_string(item.number));
    if (item.count > 0) add(" of ", std::to_string(item.count));
    if (item.ownerKind) add(" of ", item.ownerKind);
    if (item.ownerKind && item.ownerName) add(" ", quoted(*item.ownerName));
    return s;
}

// ---- The line cursor ---------------------------------------------------------------------------

namespace {

constexpr size_t pieceSize = size_t{1} << 20;  // bytes read from the stream at a time

}  // namespace

MsText::MsText(TStream& stream, std::string source, const char* routine)
    : FStream(stream), FSource(std::move(source)), FRoutine(routine), FSeparator(DecimalSeparator()) {
    findLineEnd();
}

// Keeps the bytes from the current line's start, moved to the front, and reads the next piece
// after them; a line longer than the buffer doubles it.
void MsText::refill() {
    const size_t shift = FStart;
    const size_t kept = FSize - shift;
    if (kept + pieceSize > FCapacity) {
        const size_t capacity = std::max(2 * FCapacity, kept + pieceSize);
        auto bigger = uninitialisedArray<char>(capacity);
        if (kept) std::memcpy(bigger.get(), FBuffer.get() + shift, kept);
        FBuffer = std::move(bigger);
        FCapacity = capacity;
    } else if (shift && kept) {
        std::memmove(FBuffer.get(), FBuffer.get() + shift, kept);
    }
    FStart -= shift, FEnd -= shift, FNext -= shift, FSize = kept;
    const int64_t got = FStream.Read(FBuffer.get() + FSize, static_cast<int64_t>(FCapacity - FSize));
    if (got <= 0) FEof = true;
    FSize += static_cast<size_t>(std::max<int64_t>(got, 0));
    FFound = false;
}

// The first c at or after FStart among the bytes held, or FSize.
size_t MsText::find(char c) const {
    const void* p = std::memchr(FBuffer.get() + FStart, c, FSize - FStart);
    return p ? static_cast<size_t>(static_cast<const char*>(p) - FBuffer.get()) : FSize;
}

// Sets FEnd and FNext when the line under the cursor is held whole with its break (a CR at the
// end of the bytes held may be the first half of a CR LF); false when more must be read first.
bool MsText::breakFound() {
    if (!FFound || FNextLF < FStart) FNextLF = find('\n');
    if (!FFound || FNextCR < FStart) FNextCR = find('\r');
    FFound = true;
    FEnd = std::min(FNextLF, FNextCR);
    if (FEnd == FSize || (FBuffer[FEnd] == '\r' && FEnd + 1 == FSize && !FEof)) return false;
    FNext = FEnd + ((FBuffer[FEnd] == '\r' && FEnd + 1 < FSize && FBuffer[FEnd + 1] == '\n') ? 2 : 1);
    return true;
}

void MsText::findLineEnd() {
    while (FStart >= FSize && !FEof) refill();
    if (FStart >= FSize) {
        FEnd = FNext = FSize;  // past the last line
        return;
    }
    while (!breakFound()) {
        if (FEof) {
            FEnd = FNext = FSize;  // the last line, without a break
            return;
        }
        refill();
    }
    // Whether another line follows is known only once a byte after this one is held.
    if (FNext == FSize && !FEof) refill();
}

void MsText::advance() {
    FStart = FNext;
    ++FLine;
    findLineEnd();
}

void MsText::nextLine(const Item& what) {
    if (onLastLine()) fail<EIndexError>("the text ends before " + describe(what));
    advance();
}

void MsText::checkRoom(int64_t count, size_t minBytes, const Item& what) const {
    const int64_t unread = std::max<int64_t>(FStream.Size() - FStream.Position(), 0);
    const size_t left = FSize - FNext + static_cast<size_t>(unread);
    // Every item is a line of at least minBytes - 1 characters and a break; the last needs no break.
    if (count > 0 && static_cast<uint64_t>(count) > (left + 1) / minBytes)
        fail<EIndexError>(std::to_string(count) + " " + describe(what) + " cannot fit in the " +
                          std::to_string(left) + " bytes that follow (at least " + std::to_string(minBytes) +
                          " each)");
}

int32_t MsText::headerValue(std::string_view header) const {
    std::string_view rest = line();
    std::string kept;
    for (size_t at; (at = rest.find(header)) != std::string_view::npos;
         rest.remove_prefix(at + header.size()))
        kept.append(rest.substr(0, at));
    kept.append(rest);
    int32_t value = 0;
    if (parseInt32(kept, value) != NumberStatus::ok)
        fail<EConvertError>("the value of the " + quoted(header) +
                            " header is not a 32-bit integer: " + quoted(kept));
    return value;
}

int32_t MsText::integerLine(const Item& what) const {
    int32_t value = 0;
    if (parseInt32(line(), value) != NumberStatus::ok)
        fail<EConvertError>(describe(what) + " is not a 32-bit integer: " + quoted(line()));
    return value;
}

float MsText::realLine(const Item& what) const {
    float value = 0;
    const NumberStatus status = parseFloat(line(), FSeparator, value);
    if (status == NumberStatus::outOfRange)
        fail<ERangeError>(describe(what) + " is beyond the single-precision range: " + quoted(line()));
    if (status != NumberStatus::ok)
        fail<EConvertError>(describe(what) + " is not a real number (decimal separator " +
                            quoted(std::string_view(&FSeparator, 1)) + "): " + quoted(line()));
    return value;
}

std::string MsText::unquotedLine() const {
    std::string s;
    s.reserve(line().size());
    for (char c : line())
        if (c != '"') s.push_back(c);
    return s;
}

// ---- Field lists -------------------------------------------------------------------------------

FieldList::FieldList(const MsText& text, size_t needed, const Item& what) : FText(text), FWhat(what) {
    const std::string_view line = text.line();
    const char* p = line.data();
    const char* const e = p + line.size();
    size_t n = 0;
    while (p < e && isBlank(*p)) ++p;
    while (p < e && n < needed) {
        const char* start = p;
        if (*p == '"') {
            start = ++p;
            while (p < e && !(*p == '"' && (p + 1 == e || p[1] != '"'))) p += (*p == '"') ? 2 : 1;
            FField[n++] = std::string_view(start, static_cast<size_t>(p - start));
            if (p < e) ++p;
        } else {
            while (p < e && !endsField[static_cast<unsigned char>(*p)]) ++p;
            FField[n++] = std::string_view(start, static_cast<size_t>(p - start));
        }
        while (p < e && isBlank(*p)) ++p;
        if (p < e && *p == ',') {
            // A comma that ends the line stands before one more, empty field.
            if (p + 1 == e && n < needed) FField[n++] = std::string_view();
            do ++p;
            while (p < e && isBlank(*p));
        }
    }
    if (n < needed)
        text.fail<EIndexError>(describe(what) + " has " + std::to_string(n) + " field" + (n == 1 ? "" : "s") +
                               ", " + std::to_string(needed) + " expected");
}

bool plainFields(const MsText& text, const char* kinds, float* reals, int32_t* integers) {
    const std::string_view line = text.line();
    const char* p = line.data();
    const char* const e = p + line.size();
    // Commas end fields, so a comma separator never stands inside one: the point is read instead,
    // as the full conversion falls back to it.
    const char separator = text.separator() == ',' ? '.' : text.separator();
    for (; *kinds; ++kinds) {
        while (p < e && isBlank(*p)) ++p;
        if (p == e) return false;
        const char* start = p;
        if (*kinds == 'r') {
            p += plainDecimal(p, e, separator, *reals++);
            if (p == start) return false;
        } else if (*kinds == 'i') {
            const bool negative = *p == '-';
            p += negative ? 1 : 0;
            int32_t v = 0;
            const char* digits = p;
            for (; p < e && p - digits < 9 && isDigit(*p); ++p) v = v * 10 + (*p - '0');
            if (p == digits) return false;
            *integers++ = negative ? -v : v;
        } else {
            while (p < e && !endsField[static_cast<unsigned char>(*p)] && *p != '"') ++p;
        }
        // A field must end at a blank or the line's end; a comma or a quote is FieldList's to read.
        if (p < e && !isBlank(*p)) return false;
    }
    return true;
}

void FieldList::badField(size_t i, const char* kind, NumberStatus status) const {
    const std::string where = "field " + std::to_string(i) + " of " + describe(FWhat);
    if (status == NumberStatus::outOfRange && std::string_view(kind) == "a real number")
        FText.fail<ERangeError>(where + " is beyond the single-precision range: " + quoted(FField[i]));
    FText.fail<EConvertError>(where + " is not " + kind + ": " + quoted(FField[i]));
}

int32_t FieldList::integer(size_t i) const {
    int32_t value = 0;
    const NumberStatus status = parseInt32(FField[i], value);
    if (status != NumberStatus::ok) badField(i, "a 32-bit integer", status);
    return value;
}

float FieldList::real(size_t i) const {
    float value = 0;
    const NumberStatus status = parseFloat(FField[i], FText.separator(), value);
    if (status != NumberStatus::ok) badField(i, "a real number", status);
    return value;
}

double FieldList::realDouble(size_t i) const {
    double value = 0;
    const NumberStatus status = parseDouble(FField[i], FText.separator(), value);
    if (status != NumberStatus::ok) badField(i, "a real number", status);
    return value;
}

}  // namespace vtrl3ds_internal
