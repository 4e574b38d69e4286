// The image decoder and PNG writer the converter's texture reader calls (natively they come from
// Debian's libstb; here from the same headers, compiled once into the module). The reader passes
// PNG and JPEG files through without decoding them, so those two decoders are left out.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_NO_PNG
#define STBI_NO_JPEG
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
