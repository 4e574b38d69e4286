// Headless pictures: the back buffer read once and written as an opaque PNG file (stb_image_write).
#include <GL/gl.h>
#include <stb/stb_image_write.h>

#include <vector>

#include "viewer.h"

bool WriteViewerPng(const std::string& Path, int32_t Width, int32_t Height) {
    const size_t stride = static_cast<size_t>(Width) * 4;
    std::vector<uint8_t> pixels(stride * static_cast<size_t>(Height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    // See-through materials leave alpha below 1 in the buffer; the picture is what was seen.
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    // GL's first row is the bottom one; the PNG's is the top one.
    stbi_flip_vertically_on_write(1);
    return stbi_write_png(Path.c_str(), Width, Height, 4, pixels.data(), static_cast<int>(stride)) != 0;
}
