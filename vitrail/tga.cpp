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
#include <system_error>
#include <utility>
#include <vector>

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

// Read blocks of the run-length decoder; big enough that refills are rare, small beside an image.
constexpr size_t blockSize = size_t{1} << 18;
// Uncompressed pixels are read and swapped in slices of this many bytes (a multiple of 3 and 4),
// so that each slice is swapped while it is still in the cache.
constexpr size_t sliceBytes = 12 * 87381;

struct FreeDeleter {
    void operator()(uint8_t* p) const { std::free(p); }
};
using ImageBuffer = std::unique_ptr<uint8_t, FreeDeleter>;

void showFailure(const TgaFailure& failure) { MessageBoxA(0, failure.text, failure.caption, MB_OK); }

// Reads up to n bytes of FTGA; a short count means the end of the file, a read error throws.
size_t readFile(std::FILE* file, void* dst, size_t n) {
    const size_t got = std::fread(dst, 1, n, file);
    if (got < n && std::ferror(file))
        throw std::system_error(errno, std::generic_category(), "LoadTGA: reading the texture file failed");
    return got;
}

// The bytes of FTGA after the current position, read through one block buffer. It knows how many
// bytes are left, so a header can be checked against the file before anything is allocated. A
// stream that cannot be measured (a pipe) is read whole into the buffer first.
class BlockReader {
public:
    explicit BlockReader(std::FILE* file) : file_(file) {
        const long at = std::ftell(file);
        if (at >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
            const long size = std::ftell(file);
            std::fseek(file, at, SEEK_SET);
            fileLeft_ = size > at ? static_cast<uint64_t>(size - at) : 0;
        } else {
            slurp();
        }
    }
    // Bytes not yet consumed.
    uint64_t left() const { return static_cast<uint64_t>(end_ - pos_) + fileLeft_; }
    // True when at least n (at most blockSize) bytes are in the window, refilling it if needed.
    bool ensure(size_t n) { return static_cast<size_t>(end_ - pos_) >= n || refill(n); }
    const uint8_t* data() const { return pos_; }
    void skip(size_t n) { pos_ += n; }
    // Copies up to n bytes to dst; large requests go straight from the file. Fewer only at the end.
    size_t readInto(uint8_t* dst, size_t n) {
        const size_t inWindow = std::min(n, static_cast<size_t>(end_ - pos_));
        std::memcpy(dst, pos_, inWindow);
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
        const size_t kept = static_cast<size_t>(end_ - pos_);
        if (!file_ || fileLeft_ == 0) return false;
        if (buffer_.empty()) buffer_.resize(blockSize);
        std::memmove(buffer_.data(), pos_, kept);
        const size_t got = pull(buffer_.data() + kept, blockSize - kept);
        pos_ = buffer_.data();
        end_ = pos_ + kept + got;
        return kept + got >= n;
    }
    void slurp() {
        uint8_t chunk[4096];
        for (size_t got; (got = readFile(file_, chunk, sizeof chunk)) > 0;)
            buffer_.insert(buffer_.end(), chunk, chunk + got);
        file_ = nullptr;
        pos_ = buffer_.data();
        end_ = pos_ + buffer_.size();
    }

    std::FILE* file_;
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
void readInfoHeader(TGATexture& texture, BlockReader& in) {
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
    // At most 4 x 65535 x 65535: fits 64 bits with room to spare.
    TGA.ImageSize = uint64_t{TGA.BytesPerPixel} * texture.Width * texture.Height;
}

ImageBuffer allocateImage(uint64_t size) {
    uint8_t* bytes = nullptr;
    if (size <= std::numeric_limits<size_t>::max()) bytes = static_cast<uint8_t*>(std::malloc(size));
    if (!bytes) throw TgaFailure{"Could not allocate memory for image"};
    return ImageBuffer(bytes);
}

// Turns count pixels of B, G, R (, A) into R, G, B (, A) in place.
void swapRedBlue(uint8_t* pixels, size_t count, uint32_t bytesPerPixel) {
    if (bytesPerPixel == 4) {
        for (size_t i = 0; i < count; ++i) {
            uint32_t v;
            std::memcpy(&v, pixels + 4 * i, 4);
            v = (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
            std::memcpy(pixels + 4 * i, &v, 4);
        }
        return;
    }
    for (size_t i = 0; i < count; ++i) std::swap(pixels[3 * i], pixels[3 * i + 2]);
}

// Copies count stored pixels (B, G, R (, A)) to dst as R, G, B (, A).
void copySwapped(uint8_t* dst, const uint8_t* src, size_t count, uint32_t bytesPerPixel) {
    if (bytesPerPixel == 4) {
        std::memcpy(dst, src, count * 4);
        swapRedBlue(dst, count, 4);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        dst[3 * i] = src[3 * i + 2];
        dst[3 * i + 1] = src[3 * i + 1];
        dst[3 * i + 2] = src[3 * i];
    }
}

// Stores the stored pixel src (B, G, R (, A)) count times at dst as R, G, B (, A).
void fillRun(uint8_t* dst, const uint8_t* src, size_t count, uint32_t bytesPerPixel) {
    uint8_t pattern[48];  // 16 pixels of 3 bytes, or 12 of 4
    copySwapped(pattern, src, 1, bytesPerPixel);
    for (size_t at = bytesPerPixel; at < sizeof pattern; at += bytesPerPixel)
        std::memcpy(pattern + at, pattern, bytesPerPixel);
    size_t bytes = count * bytesPerPixel;
    for (; bytes >= sizeof pattern; bytes -= sizeof pattern, dst += sizeof pattern)
        std::memcpy(dst, pattern, sizeof pattern);
    std::memcpy(dst, pattern, bytes);
}

// Reads size bytes of stored pixels into image and swaps them to R, G, B (, A), slice by slice.
void readUncompressed(BlockReader& in, uint8_t* image, uint64_t size, uint32_t bytesPerPixel) {
    for (uint64_t done = 0; done < size;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(sliceBytes, size - done));
        const size_t got = in.readInto(image + done, want);
        if (got < want) throw TgaFailure{"Could not read image data"};
        swapRedBlue(image + done, got / bytesPerPixel, bytesPerPixel);
        done += got;
    }
}

// Decodes packets until pixelCount pixels are stored at image. With image null the packets are
// only walked, which finds the failure of a file too short to fill the image without allocating.
void decodeRle(BlockReader& in, uint8_t* image, uint64_t pixelCount, uint32_t bytesPerPixel) {
    for (uint64_t current = 0; current < pixelCount;) {
        if (!in.ensure(1)) throw TgaFailure{"Could not read RLE header"};
        const uint8_t chunkHeader = *in.data();
        in.skip(1);
        const size_t count = (chunkHeader & 0x7Fu) + 1;
        if (count > pixelCount - current) throw TgaFailure{"Too many pixels read"};
        uint8_t* dst = image ? image + current * bytesPerPixel : nullptr;
        if (chunkHeader < 128) {
            if (!in.ensure(count * bytesPerPixel)) throw TgaFailure{"Could not read image data"};
            if (dst) copySwapped(dst, in.data(), count, bytesPerPixel);
            in.skip(count * bytesPerPixel);
        } else {
            if (!in.ensure(bytesPerPixel)) throw TgaFailure{"Could not read from file"};
            if (dst) fillRun(dst, in.data(), count, bytesPerPixel);
            in.skip(bytesPerPixel);
        }
        current += count;
    }
}

// The most pixels `bytes` of packets can describe: 128 per packet of one header and one pixel.
uint64_t fillablePixels(uint64_t bytes, uint32_t bytesPerPixel) { return bytes / (1 + bytesPerPixel) * 128; }

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

bool LoadUncompressedTGA(TGATexture& Texture, const char* /*FileName*/) {
    try {
        BlockReader in(FTGA);
        readInfoHeader(Texture, in);
        // A file too short for its header's image fails before anything is allocated.
        if (in.left() < TGA.ImageSize) throw TgaFailure{"Could not read image data"};
        ImageBuffer image = allocateImage(TGA.ImageSize);
        readUncompressed(in, image.get(), TGA.ImageSize, TGA.BytesPerPixel);
        Texture.ImageData = image.release();
        closeFile();
        return true;
    } catch (const TgaFailure& failure) {
        showFailure(failure);
        return false;
    }
}

bool LoadCompressedTGA(TGATexture& Texture, const char* /*FileName*/) {
    try {
        BlockReader in(FTGA);
        readInfoHeader(Texture, in);
        const uint64_t pixelCount = uint64_t{Texture.Width} * Texture.Height;
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
        // A folder opens for reading here but not where the toolkit was born: refuse it at once.
        FTGA = FileName && !std::filesystem::is_directory(FileName, ec) ? std::fopen(FileName, "rb") : nullptr;
        if (!FTGA) throw TgaFailure{"Could not open texture file"};
        FileCloser closer;
        // Unbuffered: every read goes straight into the loader's own block or the image.
        std::setvbuf(FTGA, nullptr, _IONBF, 0);
        if (readFile(FTGA, TGAHeader.Header, 12) < 12) throw TgaFailure{"Could not read file header"};
        if (std::memcmp(TGAHeader.Header, UTGACompare, 12) == 0) return LoadUncompressedTGA(Texture, FileName);
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
