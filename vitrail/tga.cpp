// TGA images and 2D textures: owns the header records, the open file FTGA, the image slots and
// the filter settings. Files are read in large blocks; every failure shows a message box (caption
// "ERROR", or "Invalid Image" for a refused type) and returns false after releasing what it holds.
#include "vitrail/tga.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "vitrail/platform/platform.h"

TTGAHeader TGAHeader = {};
TTGA TGA = {};
const uint8_t UTGACompare[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const uint8_t CTGACompare[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
std::FILE* FTGA = nullptr;
TGATexture TextureTGA2[201] = {};
int32_t GL_MIN_FILTER = GL_LINEAR;
int32_t GL_MAG_FILTER = GL_LINEAR;

namespace {

// A failure the user is told about: the message box's text and caption.
struct TgaFailure {
    const char* text;
    const char* caption = "ERROR";
};

// The read block: 256 KiB (a whole number of 3- and 4-byte pixels), big enough that reads are
// few, small enough to stay in the cache while it is decoded.
constexpr size_t blockSize = 12 * 21846;

struct FreeDeleter {
    void operator()(uint8_t* p) const { std::free(p); }
};
using ImageBuffer = std::unique_ptr<uint8_t, FreeDeleter>;

void showFailure(const TgaFailure& failure) {
    MessageBoxA(0, failure.text, failure.caption, MB_OK);
}

// Reads up to n bytes of FTGA; a short count means the end of the file, a read error throws.
size_t readFile(std::FILE* file, void* dst, size_t n) {
    const size_t got = std::fread(dst, 1, n, file);
    if (got < n && std::ferror(file))
        throw std::system_error(errno, std::generic_category(), "LoadTGA: reading the texture file failed");
    return got;
}

// The bytes of FTGA after the current position, read through one block buffer. It knows how many
// bytes are left, so a header can be checked against the file before anything is allocated. A
// stream that cannot be measured (a pipe) is read into the buffer once the header has said how
// many bytes the image can need at most (bound), and no further.
class BlockReader {
  public:
    explicit BlockReader(std::FILE* file) : file_(file) {
        const long at = std::ftell(file);
        if (at >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
            const long size = std::ftell(file);
            std::fseek(file, at, SEEK_SET);
            fileLeft_ = size > at ? static_cast<uint64_t>(size - at) : 0;
        } else {
            streamed_ = true;
            fileLeft_ = std::numeric_limits<uint64_t>::max();
        }
    }
    // Of a stream that cannot be measured, reads up to `most` further bytes into memory: from
    // here on left() is exact and nothing beyond them is read.
    void bound(uint64_t most) {
        if (streamed_) slurp(most);
    }
    // Bytes not yet consumed.
    uint64_t left() const { return available() + fileLeft_; }
    // True when at least n (at most blockSize) bytes are in the window, refilling it if needed.
    bool ensure(size_t n) { return available() >= n || refill(n); }
    const uint8_t* data() const { return pos_; }
    // Bytes in the window.
    size_t available() const { return static_cast<size_t>(end_ - pos_); }
    void skip(size_t n) { pos_ += n; }
    // Copies up to n bytes to dst, from the window and then straight from the file; fewer only
    // at the end.
    size_t readInto(uint8_t* dst, size_t n) {
        const size_t inWindow = std::min(n, available());
        if (inWindow > 0) std::memcpy(dst, pos_, inWindow);
        pos_ += inWindow;
        return inWindow + pull(dst + inWindow, n - inWindow);
    }

  private:
    size_t pull(uint8_t* dst, size_t n) {
        if (!file_ || n == 0) return 0;
        const size_t got = readFile(file_, dst, static_cast<size_t>(std::min<uint64_t>(n, fileLeft_)));
        fileLeft_ -= got;
        return got;
    }
    bool refill(size_t n) {
        const size_t kept = available();
        if (!file_ || fileLeft_ == 0) return false;
        if (buffer_.empty()) buffer_.resize(blockSize);
        if (kept > 0) std::memmove(buffer_.data(), pos_, kept);
        const size_t got = pull(buffer_.data() + kept, blockSize - kept);
        pos_ = buffer_.data();
        end_ = pos_ + kept + got;
        return kept + got >= n;
    }
    // The buffer grows with the bytes that arrive, never ahead of them.
    void slurp(uint64_t most) {
        buffer_.assign(pos_, end_);
        uint8_t chunk[4096];
        for (size_t got = 1; got > 0 && buffer_.size() < most;) {
            got = readFile(file_, chunk,
                           static_cast<size_t>(std::min<uint64_t>(sizeof chunk, most - buffer_.size())));
            buffer_.insert(buffer_.end(), chunk, chunk + got);
        }
        file_ = nullptr;
        fileLeft_ = 0;
        streamed_ = false;
        pos_ = buffer_.data();
        end_ = pos_ + buffer_.size();
    }

    std::FILE* file_;
    bool streamed_ = false;
    std::vector<uint8_t> buffer_;
    const uint8_t* pos_ = nullptr;
    const uint8_t* end_ = nullptr;
    uint64_t fileLeft_ = 0;
};

// Closes FTGA when it is still open as the scope ends (failures and errors alike).
struct FileCloser {
    ~FileCloser() {
        if (FTGA) std::fclose(FTGA);
        FTGA = nullptr;
    }
};

void closeFile() {
    std::fclose(FTGA);
    FTGA = nullptr;
}

// Reads the six bytes after the leading header into TGA and fills the image's size and format.
void readInfoHeader(TGATexture& texture, BlockReader& in, const char* fileName) {
    texture.ImageData = nullptr;
    if (in.readInto(TGA.Header, 6) < 6) throw TgaFailure{"Could not read info header"};
    texture.Width = TGA.Header[1] * 256u + TGA.Header[0];
    texture.Height = TGA.Header[3] * 256u + TGA.Header[2];
    texture.Bpp = TGA.Header[4];
    TGA.Width = texture.Width;
    TGA.Heigh = texture.Height;
    TGA.Bpp = texture.Bpp;
    if (texture.Width == 0 || texture.Height == 0 || (texture.Bpp != 24 && texture.Bpp != 32))
        throw TgaFailure{"Invalid texture information"};
    texture.Typ = texture.Bpp == 24 ? GL_RGB : GL_RGBA;
    TGA.BytesPerPixel = texture.Bpp / 8;
    // The size is a 32-bit count: a larger one (65535 by 65535 by 4 bytes is 4 GiB) is an overflow
    // error, raised before anything is allocated.
    const uint64_t size = uint64_t{TGA.BytesPerPixel} * texture.Width * texture.Height;
    if (size > std::numeric_limits<uint32_t>::max())
        throw std::overflow_error("LoadTGA: " + std::string(fileName ? fileName : "") + ": the image size " +
                                  std::to_string(texture.Width) + " x " + std::to_string(texture.Height) +
                                  " x " + std::to_string(TGA.BytesPerPixel) + " bytes overflows 32 bits");
    TGA.ImageSize = static_cast<uint32_t>(size);
}

// Asks for the 2 MiB pages of a large block to be faulted in whole where the system offers that: a
// 4096 x 4096 picture then takes a few dozen page faults instead of twelve thousand.
void adviseLargePages([[maybe_unused]] uint8_t* bytes, [[maybe_unused]] size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t large = uintptr_t{2} << 20;
    const uintptr_t start = (reinterpret_cast<uintptr_t>(bytes) + large - 1) & ~(large - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(bytes) + size) & ~(large - 1);
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#endif
}

ImageBuffer allocateImage(uint64_t size) {
    uint8_t* bytes = nullptr;
    if (size <= std::numeric_limits<size_t>::max()) bytes = static_cast<uint8_t*>(std::malloc(size));
    if (!bytes) throw TgaFailure{"Could not allocate memory for image"};
    adviseLargePages(bytes, static_cast<size_t>(size));
    return ImageBuffer(bytes);
}

// Pixel conversion and packet decoding, with the pixel size (3 or 4 bytes) known at compile time.

// Stores the stored pixel src (B, G, R (, A)) at dst as R, G, B (, A).
template <size_t Bpp>
void putPixel(uint8_t* dst, const uint8_t* src) {
    const uint8_t b = src[0], g = src[1], r = src[2];
    dst[0] = r;
    dst[1] = g;
    dst[2] = b;
    if constexpr (Bpp == 4) dst[3] = src[3];
}

#if defined(__SSE2__)

// Sixteen stored bytes with red and blue exchanged in every whole pixel: five three-byte pixels
// (the sixteenth byte comes out zero) or four four-byte ones.
template <size_t Bpp>
__m128i swapped(__m128i v) {
    if constexpr (Bpp == 4) {
        const __m128i keep = _mm_set1_epi32(static_cast<int32_t>(0xFF00FF00u)), low = _mm_set1_epi32(0xFF);
        return _mm_or_si128(_mm_and_si128(v, keep), _mm_or_si128(_mm_and_si128(_mm_srli_epi32(v, 16), low),
                                                                 _mm_slli_epi32(_mm_and_si128(v, low), 16)));
    } else {
        const __m128i first = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
        const __m128i middle = _mm_slli_si128(first, 1), last = _mm_slli_si128(first, 2);
        return _mm_or_si128(_mm_and_si128(v, middle),
                            _mm_or_si128(_mm_and_si128(_mm_srli_si128(v, 2), first),
                                         _mm_and_si128(_mm_slli_si128(v, 2), last)));
    }
}

#endif

// Copies count stored pixels from src to dst (not overlapping) as R, G, B (, A), sixteen bytes at a
// time: five three-byte pixels or four four-byte ones a step, each step's store reaching one byte
// into the next pixel when three bytes wide, which the next step writes again. The last pixels,
// whose sixteen bytes would reach past the end, go one by one.
template <size_t Bpp>
void copySwapped(uint8_t* dst, const uint8_t* src, size_t count) {
    size_t i = 0;
#if defined(__SSE2__)
    constexpr size_t step = Bpp == 3 ? 5 : 4;
    for (; Bpp * i + 16 <= Bpp * count; i += step)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + Bpp * i),
                         swapped<Bpp>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + Bpp * i))));
#endif
    for (; i < count; ++i) putPixel<Bpp>(dst + Bpp * i, src + Bpp * i);
}

// Stores the stored pixel src count times from dst on, as R, G, B (, A). Long runs are written
// 48 bytes at a time (a whole number of 3- and of 4-byte pixels), the tail by one last
// overlapping 48-byte store.
template <size_t Bpp>
void fillRun(uint8_t* dst, const uint8_t* src, size_t count) {
    constexpr size_t wide = 48;
    const size_t bytes = count * Bpp;
    uint8_t pattern[wide];
    putPixel<Bpp>(pattern, src);
    if (bytes < wide) {
        for (size_t at = 0; at < bytes; at += Bpp) std::memcpy(dst + at, pattern, Bpp);
        return;
    }
    for (size_t at = Bpp; at < wide; at *= 2) std::memcpy(pattern + at, pattern, std::min(at, wide - at));
    for (size_t at = 0; at + wide <= bytes; at += wide) std::memcpy(dst + at, pattern, wide);
    std::memcpy(dst + bytes - wide, pattern, wide);
}

// Decodes the packet at p, whose bytes are all in memory, into image (null: skips it) and
// returns the byte after it. Refuses a packet that would run past pixelCount.
template <size_t Bpp>
const uint8_t* decodePacket(const uint8_t* p, uint8_t* image, uint64_t& current, uint64_t pixelCount) {
    const uint8_t chunkHeader = *p++;
    const size_t count = (chunkHeader & 0x7Fu) + 1;
    if (count > pixelCount - current) throw TgaFailure{"Too many pixels read"};
    uint8_t* dst = image ? image + current * Bpp : nullptr;
    current += count;
    if (chunkHeader >= 128) {
        if (dst) fillRun<Bpp>(dst, p, count);
        return p + Bpp;
    }
    if (dst) copySwapped<Bpp>(dst, p, count);
    return p + count * Bpp;
}

// Decodes one packet whose bytes may still be in the file, with the message for each short read.
template <size_t Bpp>
void decodeCheckedPacket(BlockReader& in, uint8_t* image, uint64_t& current, uint64_t pixelCount) {
    if (!in.ensure(1)) throw TgaFailure{"Could not read RLE header"};
    const uint8_t chunkHeader = *in.data();
    const size_t count = (chunkHeader & 0x7Fu) + 1;
    if (count > pixelCount - current) throw TgaFailure{"Too many pixels read"};
    const bool run = chunkHeader >= 128;
    const size_t size = 1 + (run ? Bpp : count * Bpp);
    if (!in.ensure(size)) throw TgaFailure{run ? "Could not read from file" : "Could not read image data"};
    decodePacket<Bpp>(in.data(), image, current, pixelCount);
    in.skip(size);
}

// Decodes packets until pixelCount pixels are stored at image. With image null the packets are
// only walked, which finds the failure of a file too short to fill the image without allocating.
// While the window holds a packet of the largest size, packets are decoded without checks.
template <size_t Bpp>
void decodeRle(BlockReader& in, uint8_t* image, uint64_t pixelCount) {
    constexpr size_t largestPacket = 1 + 128 * Bpp;
    for (uint64_t current = 0; current < pixelCount;) {
        const uint8_t* p = in.data();
        const uint8_t* const safeEnd =
            p + (in.available() >= largestPacket ? in.available() - largestPacket : 0);
        while (p < safeEnd && current < pixelCount) p = decodePacket<Bpp>(p, image, current, pixelCount);
        in.skip(static_cast<size_t>(p - in.data()));
        if (current < pixelCount) decodeCheckedPacket<Bpp>(in, image, current, pixelCount);
    }
}

// Reads pixelCount stored pixels block by block into image as R, G, B (, A).
template <size_t Bpp>
void readUncompressed(BlockReader& in, uint8_t* image, uint64_t pixelCount) {
    for (uint64_t done = 0; done < pixelCount;) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(blockSize / Bpp, pixelCount - done));
        if (!in.ensure(count * Bpp)) throw TgaFailure{"Could not read image data"};
        copySwapped<Bpp>(image + done * Bpp, in.data(), count);
        in.skip(count * Bpp);
        done += count;
    }
}

void readUncompressed(BlockReader& in, uint8_t* image, uint64_t pixelCount, uint32_t bytesPerPixel) {
    if (bytesPerPixel == 3)
        readUncompressed<3>(in, image, pixelCount);
    else
        readUncompressed<4>(in, image, pixelCount);
}

void decodeRle(BlockReader& in, uint8_t* image, uint64_t pixelCount, uint32_t bytesPerPixel) {
    if (bytesPerPixel == 3)
        decodeRle<3>(in, image, pixelCount);
    else
        decodeRle<4>(in, image, pixelCount);
}

// The most pixels `bytes` of packets can describe: 128 per packet of one header and one pixel.
uint64_t fillablePixels(uint64_t bytes, uint32_t bytesPerPixel) {
    const uint64_t packets = bytes / (1 + bytesPerPixel);
    return packets > std::numeric_limits<uint64_t>::max() / 128 ? std::numeric_limits<uint64_t>::max()
                                                                : packets * 128;
}

bool isMipmapFilter(int32_t filter) {
    return filter == GL_NEAREST_MIPMAP_NEAREST || filter == GL_NEAREST_MIPMAP_LINEAR ||
           filter == GL_LINEAR_MIPMAP_NEAREST || filter == GL_LINEAR_MIPMAP_LINEAR;
}

// Our pixel rows are packed without padding: uploads read them with an unpack alignment of 1,
// and the caller's alignment is put back afterwards.
class PackedRows {
  public:
    PackedRows() {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~PackedRows() { glPixelStorei(GL_UNPACK_ALIGNMENT, saved_); }
    PackedRows(const PackedRows&) = delete;
    PackedRows& operator=(const PackedRows&) = delete;

  private:
    GLint saved_ = 4;
};

}  // namespace

void SetQualityTexture2(int32_t MinFilter, int32_t MagFilter) {
    GL_MIN_FILTER = MinFilter;
    GL_MAG_FILTER = MagFilter;
}

void AddMipmapsTexture(int32_t Format, int32_t Width, int32_t Height, const uint8_t* Bits) {
    if (Format != 24 && Format != 32) return;
    PackedRows packed;
    if (Format == 24)
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, Width, Height, GL_RGB, GL_UNSIGNED_BYTE, Bits);
    else
        gluBuild2DMipmaps(GL_TEXTURE_2D, 4, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, Bits);
}

bool LoadUncompressedTGA(TGATexture& Texture, const char* FileName) {
    try {
        BlockReader in(FTGA);
        readInfoHeader(Texture, in, FileName);
        in.bound(TGA.ImageSize);
        // A file too short for its header's image fails before anything is allocated.
        if (in.left() < TGA.ImageSize) throw TgaFailure{"Could not read image data"};
        ImageBuffer image = allocateImage(TGA.ImageSize);
        readUncompressed(in, image.get(), uint64_t{Texture.Width} * Texture.Height, TGA.BytesPerPixel);
        Texture.ImageData = image.release();
        closeFile();
        return true;
    } catch (const TgaFailure& failure) {
        showFailure(failure);
        return false;
    }
}

bool LoadCompressedTGA(TGATexture& Texture, const char* FileName) {
    try {
        BlockReader in(FTGA);
        readInfoHeader(Texture, in, FileName);
        const uint64_t pixelCount = uint64_t{Texture.Width} * Texture.Height;
        in.bound(pixelCount * (1 + TGA.BytesPerPixel));  // at worst a one-pixel raw packet per pixel
        // Packets that cannot fill the image are only walked, to find their failure: a
        // header's size is never allocated on the word of a file too short for it.
        if (pixelCount > fillablePixels(in.left(), TGA.BytesPerPixel)) {
            decodeRle(in, nullptr, pixelCount, TGA.BytesPerPixel);
            throw TgaFailure{"Could not read RLE header"};
        }
        ImageBuffer image = allocateImage(TGA.ImageSize);
        decodeRle(in, image.get(), pixelCount, TGA.BytesPerPixel);
        Texture.ImageData = image.release();
        closeFile();
        return true;
    } catch (const TgaFailure& failure) {
        showFailure(failure);
        return false;
    }
}

bool LoadTGA(TGATexture& Texture, const char* FileName) {
    try {
        std::error_code ec;
        // A folder is no texture file, although fopen accepts one for reading: it cannot be opened.
        FTGA =
            FileName && !std::filesystem::is_directory(FileName, ec) ? std::fopen(FileName, "rb") : nullptr;
        if (!FTGA) throw TgaFailure{"Could not open texture file"};
        FileCloser closer;
        // Unbuffered: every read goes straight into the loader's own block or the image.
        std::setvbuf(FTGA, nullptr, _IONBF, 0);
        if (readFile(FTGA, TGAHeader.Header, 12) < 12) throw TgaFailure{"Could not read file header"};
        if (std::memcmp(TGAHeader.Header, UTGACompare, 12) == 0)
            return LoadUncompressedTGA(Texture, FileName);
        if (std::memcmp(TGAHeader.Header, CTGACompare, 12) == 0) return LoadCompressedTGA(Texture, FileName);
        throw TgaFailure{"TGA file be type 2 or type 10", "Invalid Image"};
    } catch (const TgaFailure& failure) {
        showFailure(failure);
        return false;
    }
}

void TextureLoadTGAID(const char* TGAFile, GLName& Texture) {
    std::error_code ec;
    if (!TGAFile || !std::filesystem::exists(TGAFile, ec)) return;
    TGATexture& image = TextureTGA2[0];
    if (!LoadTGA(image, TGAFile)) return;
    const ImageBuffer pixels(image.ImageData);
    image.ImageData = nullptr;
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &Texture);
    glBindTexture(GL_TEXTURE_2D, Texture);
    {
        PackedRows packed;
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(image.Bpp / 8), static_cast<GLsizei>(image.Width),
                     static_cast<GLsizei>(image.Height), 0, image.Typ, GL_UNSIGNED_BYTE, pixels.get());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_MIN_FILTER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_MAG_FILTER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    if (isMipmapFilter(GL_MIN_FILTER))
        AddMipmapsTexture(static_cast<int32_t>(image.Bpp), static_cast<int32_t>(image.Width),
                          static_cast<int32_t>(image.Height), pixels.get());
    glBindTexture(GL_TEXTURE_2D, Texture);
}
