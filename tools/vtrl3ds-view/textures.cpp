// The viewer's texture loader, handed to the model library: TGA files through Vitrail's loader,
// BMP files through the platform layer's decoder, everything else (PNG, JPEG, GIF ...) through
// stb_image. Each texture gets a mipmap chain and repeats; a file that does not decode gives 0.
#include <GL/gl.h>
#include <GL/glu.h>
#include <stb/stb_image.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "viewer.h"
#include "vitrail/platform/platform.h"
#include "vitrail/tga.h"

namespace {

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

// A new texture from RGBA rows, the first row at the bottom (texture row 0).
uint32_t upload(const uint8_t* rgba, int32_t w, int32_t h) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    if (gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba) != 0) {
        glDeleteTextures(1, &name);
        return 0;
    }
    return name;
}

// The toolkit's reason for a file it refuses becomes the texture map's warning.
uint32_t loadTga(const std::string& path) {
    GLName name = 0;
    SetQualityTexture2(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    TakeViewerMessage();
    TextureLoadTGAID(path.c_str(), name);
    glDisable(GL_TEXTURE_2D);  // the loader leaves 2D texturing on
    const std::string why = TakeViewerMessage();
    if (name == 0 && !why.empty()) throw std::runtime_error(why);
    return name;
}

// Pixel x of a bottom-up bitmap row as R, G, B, A; colour-table images look their index up.
void bitmapPixel(const BITMAP& bm, const uint8_t* row, int32_t x, const RGBQUAD* table, uint8_t* out) {
    const int32_t bits = bm.bmBitsPixel;
    if (bits >= 24) {
        const uint8_t* p = row + static_cast<size_t>(x) * static_cast<size_t>(bits / 8);
        out[0] = p[2], out[1] = p[1], out[2] = p[0], out[3] = 255;
        return;
    }
    const int32_t bit = x * bits;
    const int32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
    const RGBQUAD& c = table[index];
    out[0] = c.rgbRed, out[1] = c.rgbGreen, out[2] = c.rgbBlue, out[3] = 255;
}

uint32_t loadBmp(const std::string& path) {
    const HANDLE bmp = LoadImageA(GetModuleHandleA(nullptr), path.c_str(), IMAGE_BITMAP, 0, 0,
                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    BITMAP bm{};
    if (!bmp) return 0;
    uint32_t name = 0;
    const bool read = GetObjectA(bmp, sizeof bm, &bm) == sizeof bm && bm.bmBits && bm.bmWidth > 0 &&
                      bm.bmHeight > 0 && bm.bmWidthBytes > 0;
    const int32_t bits = bm.bmBitsPixel;
    if (read && (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 24 || bits == 32)) {
        RGBQUAD table[256] = {};
        if (bm.bmBitsPixel <= 8) {
            const HDC dc = CreateCompatibleDC(0);
            const HGDIOBJ old = SelectObject(dc, bmp);
            GetDIBColorTable(dc, 0, 256, table);
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        std::vector<uint8_t> rgba(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight) * 4);
        for (int32_t y = 0; y < bm.bmHeight; ++y) {
            const auto* row =
                static_cast<const uint8_t*>(bm.bmBits) + static_cast<size_t>(y) * bm.bmWidthBytes;
            for (int32_t x = 0; x < bm.bmWidth; ++x)
                bitmapPixel(bm, row, x, table, &rgba[(static_cast<size_t>(y) * bm.bmWidth + x) * 4]);
        }
        name = upload(rgba.data(), bm.bmWidth, bm.bmHeight);
    }
    DeleteObject(bmp);
    return name;
}

uint32_t loadWithStb(const std::string& path) {
    int w = 0, h = 0, n = 0;
    stbi_set_flip_vertically_on_load(1);  // stb gives the top row first; GL wants the bottom one
    stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &n, 4);
    if (!pixels) return 0;
    const uint32_t name = upload(pixels, w, h);
    stbi_image_free(pixels);
    return name;
}

}  // namespace

uint32_t LoadViewerTexture(const std::string& Path) {
    const std::string ext = lowerExtension(Path);
    if (ext == ".tga") return loadTga(Path);
    if (ext == ".bmp") return loadBmp(Path);
    return loadWithStb(Path);
}
