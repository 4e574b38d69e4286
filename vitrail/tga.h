// TGA images and 2D textures: the loader chain TextureLoadTGAID -> LoadTGA ->
// LoadUncompressedTGA / LoadCompressedTGA, the mipmap builder and the texture filter settings
// shared by every texture the toolkit creates. Failures show a message box and return false; an
// image size beyond 32 bits throws std::overflow_error, a failing read std::system_error.
#pragma once

#include <cstdint>
#include <cstdio>

#include "vitrail/types.h"

// One decoded image.
struct TGATexture {
    uint8_t* ImageData;  // Width x Height pixels of Bpp/8 bytes, R, G, B (, A), rows in file order; std::free
    uint32_t Bpp;        // bits per pixel: 24 or 32
    uint32_t Width;      // width in pixels, 1..65535
    uint32_t Height;     // height in pixels, 1..65535
    uint32_t TexID;      // a GL texture name slot; the loaders never write it
    uint32_t Typ;        // GL_RGB for 24 bits, GL_RGBA for 32 bits
};

// The 12 leading bytes of a TGA file.
struct TTGAHeader {
    uint8_t Header[12];
};

// The rest of the header (file bytes 12 to 17) and the sizes derived from it.
struct TTGA {
    uint8_t Header[6];
    uint32_t BytesPerPixel;  // Bpp div 8
    uint32_t ImageSize;      // BytesPerPixel x Width x Height; a larger product is an overflow error
    uint32_t Typ;            // never written
    uint32_t Heigh;
    uint32_t Width;
    uint32_t Bpp;
};

extern TTGAHeader TGAHeader;           // the 12 leading bytes of the file being loaded
extern TTGA TGA;                       // the rest of the header of the file being loaded
extern const uint8_t UTGACompare[12];  // signature of an uncompressed true-colour file
extern const uint8_t CTGACompare[12];  // signature of a run-length encoded true-colour file
extern std::FILE* FTGA;                // the file being loaded; null when none is open
extern TGATexture TextureTGA2[201];    // image slots; TextureLoadTGAID decodes into slot 0
extern int32_t GL_MIN_FILTER;          // minifying filter of every texture the toolkit creates
extern int32_t GL_MAG_FILTER;          // magnifying filter of every texture the toolkit creates

// Loads a TGA file into a new GL 2D texture whose name goes to Texture (left bound, 2D texturing
// left enabled). A missing file does nothing; on any failure Texture is unchanged.
void TextureLoadTGAID(const char* TGAFile, GLName& Texture);
// Opens FileName, classifies its leading header and decodes it into Texture; the caller then
// owns Texture.ImageData (release with std::free).
bool LoadTGA(TGATexture& Texture, const char* FileName);
// Decode the rest of FTGA (positioned after the leading header) as image type 2 / type 10.
// They close FTGA on success and leave it open on failure; FileName only names the file in an
// overflow error.
bool LoadUncompressedTGA(TGATexture& Texture, const char* FileName);
bool LoadCompressedTGA(TGATexture& Texture, const char* FileName);
// Builds the mipmap chain of the bound 2D texture from R, G, B (, A) pixels; Format is 24 or 32.
void AddMipmapsTexture(int32_t Format, int32_t Width, int32_t Height, const uint8_t* Bits);
// Sets the filters for textures created from now on (passed to the GL unchecked).
void SetQualityTexture2(int32_t MinFilter, int32_t MagFilter);
