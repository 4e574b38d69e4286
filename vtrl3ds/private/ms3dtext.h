// Reading MilkShape 3D ASCII text, shared by the model and the skeleton loaders: the text walked
// line by line with a cursor, field lists, and integer and real conversion with the decimal
// separator of DecimalSeparator. Failures raise EConvertError, ERangeError or EIndexError with
// the routine, the text's name and the line number. Not part of the library's public surface.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "vtrl3ds/errors.h"

class TStream;

namespace vtrl3ds_internal {

// The outcome of a number conversion.
enum class NumberStatus { ok, invalid, outOfRange };

// Decimal integer: leading blanks, an optional sign, digits and nothing after them.
NumberStatus parseInt32(std::string_view s, int32_t& value);
// Real number in decimal notation with an optional sign and exponent, blanks around it allowed,
// written with `separator` as its decimal separator. A value beyond the single range is outOfRange;
// one too small for it becomes zero.
NumberStatus parseFloat(std::string_view s, char separator, float& value);
// The same at double precision.
NumberStatus parseDouble(std::string_view s, char separator, double& value);

// What a line or field belongs to, for messages ("vertex 3 of 12 of mesh 'Body'"); cheap to make,
// turned into text only when something fails.
struct Item {
    const char* kind;                 // "vertex", "ambient colour line", "vertices", ...
    int64_t number = 0;               // 1-based place, 0 for none
    int64_t count = 0;                // how many there are, 0 for not told
    const char* ownerKind = nullptr;  // "mesh", "material", "bone" or null
    const std::string* ownerName = nullptr;
};
std::string describe(const Item& item);

// The rest of a stream as lines split at CR, LF or CR LF (a break at the very end starts no
// further line), read a piece at a time and walked by a cursor that may stand past the last line.
// Errors name the routine, the source and the 1-based number of the line under the cursor; a
// stream that fails to read raises its own EStreamError.
class MsText {
  public:
    // The separator real numbers are read with is DecimalSeparator() at this moment.
    MsText(TStream& stream, std::string source, const char* routine);

    bool atLine() const { return FStart < FSize; }              // the cursor is on a line
    bool onLastLine() const { return FEof && FNext >= FSize; }  // ... and it is the last one
    std::string_view line() const { return {FBuffer.get() + FStart, FEnd - FStart}; }
    int64_t lineNumber() const { return FLine; }
    char separator() const { return FSeparator; }
    // Moves to the next line, or past the last one.
    void advance();
    // Moves to the next line, which must exist: the text ending first raises EIndexError naming `what`.
    void nextLine(const Item& what);
    // Refuses (EIndexError) `count` items of at least `minBytes` bytes each when the text after
    // the current line cannot hold them; checked before anything is allocated for them.
    void checkRoom(int64_t count, size_t minBytes, const Item& what) const;

    // The value of a header line: the line with every occurrence of `header` removed, as an integer.
    int32_t headerValue(std::string_view header) const;
    // The whole line as an integer, or as a real number.
    int32_t integerLine(const Item& what) const;
    float realLine(const Item& what) const;
    // The whole line with every double quote removed.
    std::string unquotedLine() const;

    // Raises E naming the line under the cursor, or the given line.
    template <class E>
    [[noreturn]] void fail(const std::string& fact) const {
        failAt<E>(FLine, fact);
    }
    template <class E>
    [[noreturn]] void failAt(int64_t line, const std::string& fact) const {
        throw E(std::string(FRoutine) + ": " + FSource + ":" + std::to_string(line) + ": " + fact);
    }

  private:
    void findLineEnd();
    bool breakFound();
    void refill();
    size_t find(char c) const;

    TStream& FStream;
    std::string FSource;
    const char* FRoutine;
    char FSeparator;
    std::unique_ptr<char[]> FBuffer;  // the bytes from the current line's start on
    size_t FCapacity = 0;
    size_t FSize = 0;     // bytes held
    bool FEof = false;    // the stream has nothing more
    size_t FStart = 0;    // first byte of the current line
    size_t FEnd = 0;      // the byte after its last character
    size_t FNext = 0;     // first byte of the next line
    size_t FNextLF = 0;   // first LF at or after FStart (FSize for none held); remembered, so
    size_t FNextCR = 0;   // ... each byte is searched once for each, also in CR-only texts
    bool FFound = false;  // FNextLF and FNextCR hold for the bytes held
    int64_t FLine = 1;
};

// The first fields of the line under a text's cursor, split at runs of characters with codes 1
// to 32 or at commas; a field opening with a double quote runs to the matching one, which is
// dropped (a doubled quote inside is passed over, and kept as it stands: no field read from a
// list is text). Lines with more fields are split only as far as needed. Too few fields raise
// EIndexError, a field that does not convert EConvertError (ERangeError for a real beyond the
// single range), each naming `what`.
class FieldList {
  public:
    static constexpr size_t maxFields = 8;
    FieldList(const MsText& text, size_t needed, const Item& what);

    std::string_view operator[](size_t i) const { return FField[i]; }
    int32_t integer(size_t i) const;
    float real(size_t i) const;
    double realDouble(size_t i) const;

  private:
    [[noreturn]] void badField(size_t i, const char* kind, NumberStatus status) const;

    const MsText& FText;
    const Item& FWhat;
    std::array<std::string_view, maxFields> FField{};
};

// The first fields of the line under a text's cursor read straight from the line, for the lines
// of plain numbers that make up nearly all of a file: kinds[i] is 'i' for an integer of at most
// nine digits with an optional minus, 'r' for a real in plainDecimal's form, '-' for any field
// without quotes or commas (passed over). Fields are separated by bytes 1..32; what follows them
// is not looked at. The reals and integers go to `reals` and `integers` in order. False, with
// nothing to use, when a field is not so or the line holds too few; FieldList then reads the
// line, with its messages.
bool plainFields(const MsText& text, const char* kinds, float* reals, int32_t* integers);

// Text for messages: a value in single quotes, cut to a readable length.
std::string quoted(std::string_view s);

}  // namespace vtrl3ds_internal
