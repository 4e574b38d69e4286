// The converter's texture reader for the model library: PNG and JPEG files go into the glTF file
// byte for byte; TGA, BMP and the other images stb_image decodes are written again as PNG
// (stb_image_write). Reports failure as false with the reason.
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <memory>

#include "convert.h"
#include "vtrl3ds/errors.h"
#include "vtrl3ds/stream.h"

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

}  // namespace

bool ReadTextureImage(const std::string& Path, TGltfImage& Image, std::string& Error) {
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadFileBytes(Path);
    } catch (const EStreamError&) {
        return (Error = "cannot be opened"), false;
    }
    Image.MimeType = GltfImageMimeType(bytes);
    if (!Image.MimeType.empty()) {
        Image.Bytes = std::move(bytes);
        return true;
    }
    int w = 0, h = 0, channels = 0;
    if (bytes.size() > size_t(INT32_MAX)) return (Error = "is too large"), false;
    const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 0), stbi_image_free);
    if (!pixels) return (Error = std::string("does not decode (") + stbi_failure_reason() + ")"), false;
    Image.Bytes.clear();
    if (!stbi_write_png_to_func(appendBytes, &Image.Bytes, w, h, channels, pixels.get(), w * channels))
        return (Error = "could not be written as PNG"), false;
    Image.MimeType = "image/png";
    return true;
}
