// The one writer of chunked little-endian files (3DS and the binary model format) for the data
// generator, the benchmarks and the tests: fields byte by byte, and each chunk's length filled in
// when it is closed, so that nesting and lengths always agree. Header-only; it never fails.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

class ChunkWriter {
  public:
    std::vector<uint8_t> data;

    ChunkWriter& u8(uint8_t v) {
        data.push_back(v);
        return *this;
    }
    ChunkWriter& u16(uint16_t v) { return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8)); }
    ChunkWriter& u32(uint32_t v) { return u16(static_cast<uint16_t>(v)).u16(static_cast<uint16_t>(v >> 16)); }
    // A single-precision float; doubles are narrowed here, once.
    ChunkWriter& f32(double v) {
        const auto f = static_cast<float>(v);
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return u32(bits);
    }
    // Bytes as they are, without a terminator.
    ChunkWriter& text(std::string_view s) {
        data.insert(data.end(), s.begin(), s.end());
        return *this;
    }
    // A zero-terminated string.
    ChunkWriter& str(std::string_view s) { return text(s).u8(0); }

    // Opens a chunk; its length is written by the matching end().
    ChunkWriter& begin(uint16_t id) {
        u16(id);
        open.push_back(data.size());
        return u32(0);
    }
    ChunkWriter& end() {
        const size_t at = open.back();
        open.pop_back();
        const auto length = static_cast<uint32_t>(data.size() - at + 2);
        for (size_t i = 0; i < 4; ++i) data[at + i] = static_cast<uint8_t>(length >> (8 * i));
        return *this;
    }
    // A chunk whose body `body` writes.
    template <class F>
    ChunkWriter& chunk(uint16_t id, F body) {
        begin(id);
        body();
        return end();
    }
    // A chunk header with a length of our choosing and no body.
    ChunkWriter& rawHeader(uint16_t id, uint32_t length) { return u16(id).u32(length); }

  private:
    std::vector<size_t> open;
};
