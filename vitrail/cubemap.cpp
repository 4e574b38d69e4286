// Cube-map textures: the BMP depth probe, the per-face decode and upload through the platform's
// image loader, binding (an incomplete cube map shows no environment), and the texture-matrix
// bracket. No globals; a missing face or one of another depth is left empty without a message;
// unreadable BMP headers, and 24- or 32-bit faces whose pixels do not decode, throw
// std::ios_base::failure.
#include "vitrail/cubemap.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <filesystem>
#include <ios>
#include <memory>
#include <string>
#include <utility>

#include "vitrail/platform/platform.h"
#include "vitrail/tga.h"

namespace {

constexpr uint16_t bmpSignature = 19778;  // "BM"
constexpr size_t fileHeaderSize = 14, infoHeaderSize = 40;
constexpr uint32_t coreHeaderSize = 12;

uint32_t readLE(const unsigned char* p, size_t bytes) {
    uint32_t v = 0;
    for (size_t i = bytes; i-- > 0;) v = (v << 8) | p[i];
    return v;
}

// An I/O failure that reads as its own text: the standard library's adds ": iostream error".
class BmpReadFailure : public std::ios_base::failure {
  public:
    explicit BmpReadFailure(const std::string& text) : std::ios_base::failure(text), text_(text) {}
    const char* what() const noexcept override { return text_.c_str(); }

  private:
    std::string text_;
};

// Closes the probed file on every way out of GetBMPDepth.
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads up to `size` bytes; a read error (as opposed to the end of the file) throws.
size_t readSome(std::FILE* f, unsigned char* out, size_t size, const char* file) {
    const size_t got = std::fread(out, 1, size, f);
    if (got < size && std::ferror(f)) throw BmpReadFailure(std::string("GetBMPDepth: cannot read ") + file);
    return got;
}

BmpReadFailure tooShort(const char* file, size_t got) {
    return BmpReadFailure(std::string("GetBMPDepth: ") + file + ": file too short, expected " +
                          std::to_string(fileHeaderSize + infoHeaderSize) + " header bytes but got " +
                          std::to_string(got));
}

// A decoded bitmap from the platform loader, released when it goes out of scope.
class DecodedBitmap {
  public:
    explicit DecodedBitmap(const char* file)
        : handle(LoadImageA(GetModuleHandleA(nullptr), file, IMAGE_BITMAP, 0, 0,
                            LR_LOADFROMFILE | LR_LOADTRANSPARENT | LR_CREATEDIBSECTION)) {
        if (handle && GetObjectA(handle, sizeof info, &info) != sizeof info) info = BITMAP{};
    }
    ~DecodedBitmap() {
        if (handle) DeleteObject(handle);
    }
    DecodedBitmap(const DecodedBitmap&) = delete;
    DecodedBitmap& operator=(const DecodedBitmap&) = delete;
    bool usable() const { return info.bmBits && info.bmWidth > 0 && info.bmHeight > 0; }
    HANDLE handle;
    BITMAP info{};
};

// The bitmap's rows are padded to 4 bytes; the swap runs row by row so that the padding of a
// row whose length is not a multiple of 4 never shifts into the next row's pixels.
void swapRows(const BITMAP& bmp) {
    auto* row = static_cast<unsigned char*>(bmp.bmBits);
    for (LONG y = 0; y < bmp.bmHeight; ++y, row += bmp.bmWidthBytes) SwapRGB(row, bmp.bmWidth);
}

// The cube map bound to GL_TEXTURE_CUBE_MAP, or a new one bound in its place when none is.
GLuint boundOrNewCubeMap() {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &bound);
    GLuint name = static_cast<GLuint>(bound);
    if (name == 0) glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    return name;
}

// Unpack state and cube-map parameters for one face upload.
void setCubeMapState() {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_MIN_FILTER);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_MAG_FILTER);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
}

// Uploads one face with its mipmap chain: 24-bit rows already turned to R, G, B; 32-bit rows
// handed over in their stored B, G, R, A order.
void uploadFace(uint32_t target, int32_t format, const BITMAP& bmp) {
    if (format == 24)
        gluBuild2DMipmaps(target, GL_RGB8, bmp.bmWidth, bmp.bmHeight, GL_RGB, GL_UNSIGNED_BYTE, bmp.bmBits);
    else if (format == 32)
        gluBuild2DMipmaps(target, GL_RGBA8, bmp.bmWidth, bmp.bmHeight, GL_BGRA, GL_UNSIGNED_BYTE, bmp.bmBits);
}

// Whether the bound cube map has six faces of one size and one internal format. GL refuses a face
// that is not square, which then reads as width 0.
bool cubeMapComplete() {
    GLint size = 0, format = 0;
    for (GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X; face <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z; ++face) {
        GLint w = 0, f = 0;
        glGetTexLevelParameteriv(face, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(face, 0, GL_TEXTURE_INTERNAL_FORMAT, &f);
        if (face == GL_TEXTURE_CUBE_MAP_POSITIVE_X) size = w, format = f;
        if (w == 0 || w != size || f != format) return false;
    }
    return true;
}

// A face of a usable depth whose pixels did not decode, named with its size as a short header is.
BmpReadFailure undecodable(const char* file, int32_t depth) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(file, ec);
    return BmpReadFailure(std::string("CheckCubeMapTex: ") + file + ": its " + std::to_string(depth) +
                          "-bit pixels could not be decoded from its " + std::to_string(ec ? 0 : size) +
                          " bytes (cut short, or stored in a way the reader does not know)");
}

}  // namespace

int32_t GetBMPDepth(const char* BMPFile) {
    std::error_code ec;
    if (!BMPFile || !std::filesystem::exists(BMPFile, ec)) return 0;
    const File f(std::fopen(BMPFile, "rb"));
    if (!f) throw BmpReadFailure(std::string("GetBMPDepth: cannot open ") + BMPFile);
    unsigned char header[fileHeaderSize + infoHeaderSize] = {};
    size_t got = readSome(f.get(), header, fileHeaderSize, BMPFile);
    // Files that are no BMP at all, or old core-header BMPs, are refused as soon as the bytes
    // that tell are in, however short the file is; only a short BMP of the usable kind throws.
    if (got >= 2 && readLE(header, 2) != bmpSignature) return 0;
    if (got < fileHeaderSize) throw tooShort(BMPFile, got);
    got += readSome(f.get(), header + fileHeaderSize, infoHeaderSize, BMPFile);
    if (got >= fileHeaderSize + 4 && readLE(header + 14, 4) == coreHeaderSize) return 0;
    if (got < fileHeaderSize + infoHeaderSize) throw tooShort(BMPFile, got);
    return static_cast<int32_t>(readLE(header + 28, 2));
}

void SwapRGB(void* Data, int32_t Size) {
    if (!Data) return;
    auto* p = static_cast<unsigned char*>(Data);
    for (int32_t i = 0; i < Size; ++i, p += 3) std::swap(p[0], p[2]);
}

void CheckCubeMapTex(uint32_t Target, const char* BMPFile, uint32_t& Texture) {
    const int32_t format = GetBMPDepth(BMPFile);
    DecodedBitmap bitmap(format == 24 || format == 32 ? BMPFile : nullptr);
    // The decoder may widen other depths; only a bitmap of the probed depth is uploaded.
    if ((format == 24 || format == 32) && !bitmap.usable()) throw undecodable(BMPFile, format);
    const bool usable = bitmap.usable() && bitmap.info.bmBitsPixel == format;
    if (usable && format == 24) swapRows(bitmap.info);
    Texture = boundOrNewCubeMap();
    setCubeMapState();
    if (usable) uploadFace(Target, format, bitmap.info);
}

void GenCubeMapTex(const char* BMPPosX, const char* BMPNegX, const char* BMPPosY, const char* BMPNegY,
                   const char* BMPPosZ, const char* BMPNegZ, TGLCubeMap& Texture) {
    GLuint cube = 0;
    glGenTextures(1, &cube);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    CheckCubeMapTex(GL_TEXTURE_CUBE_MAP_POSITIVE_X, BMPPosX, Texture.Tex[0]);
    CheckCubeMapTex(GL_TEXTURE_CUBE_MAP_NEGATIVE_X, BMPNegX, Texture.Tex[1]);
    CheckCubeMapTex(GL_TEXTURE_CUBE_MAP_POSITIVE_Y, BMPNegY, Texture.Tex[2]);
    CheckCubeMapTex(GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, BMPPosY, Texture.Tex[3]);
    CheckCubeMapTex(GL_TEXTURE_CUBE_MAP_POSITIVE_Z, BMPPosZ, Texture.Tex[4]);
    CheckCubeMapTex(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, BMPNegZ, Texture.Tex[5]);
}

void BindCubeMapTex(const TGLCubeMap& Texture) {
    glBindTexture(GL_TEXTURE_CUBE_MAP, Texture.Tex[0]);
    // An incomplete cube map must texture nothing. Some drivers (Mesa) fall back to the 2D texture
    // instead, drawing a smeared copy of it with the generated coordinates; with no 2D texture
    // bound there is nothing to fall back to.
    if (!cubeMapComplete()) glBindTexture(GL_TEXTURE_2D, 0);
}

void CubeMapBegin(float RotX, float RotY) {
    glPushMatrix();
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glRotatef(RotY, 0.0f, 1.0f, 0.0f);
    glRotatef(-180.0f - RotX, 1.0f, 0.0f, 0.0f);
}

void CubeMapEnd() {
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
