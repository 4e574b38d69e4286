// Cube-map textures from six BMP files (GenCubeMapTex, CheckCubeMapTex, GetBMPDepth, SwapRGB),
// binding them (BindCubeMapTex) and the texture-matrix bracket for cube-mapped drawing
// (CubeMapBegin, CubeMapEnd). No message is shown: an unusable face file leaves that face empty;
// a BMP whose headers cannot be read throws std::ios_base::failure out of GetBMPDepth.
#pragma once

#include <cstdint>

#include "vitrail/types.h"

// The texture-coordinate generation mode for reflection mapping (the GL's GL_REFLECTION_MAP).
constexpr int32_t GL_MAP_REFLECTION = 34066;

// Builds one cube map from six BMP files given for +X, -X, +Y, -Y, +Z, -Z. The two Y files go
// crosswise: BMPPosY becomes the -Y face and BMPNegY the +Y face. All six entries of Texture
// receive the name of the one cube-map texture object; it is left bound.
void GenCubeMapTex(const char* BMPPosX, const char* BMPNegX, const char* BMPPosY, const char* BMPNegY,
                   const char* BMPPosZ, const char* BMPNegZ, TGLCubeMap& Texture);
// Decodes BMPFile and makes it face Target (GL_TEXTURE_CUBE_MAP_POSITIVE_X ...) of the cube map
// bound to GL_TEXTURE_CUBE_MAP, with its full mipmap chain; when no cube map is bound, a new one
// is generated and bound. Texture receives the cube map's name. A file that is missing, not a
// 24- or 32-bit BMP, or not decodable uploads nothing and leaves the face empty.
void CheckCubeMapTex(uint32_t Target, const char* BMPFile, uint32_t& Texture);
// Bits per pixel of a BMP file; 0 when the file is missing, is not a BMP or has the old 12-byte
// core header. Throws std::ios_base::failure when an existing file cannot be read or is shorter
// than its headers.
int32_t GetBMPDepth(const char* BMPFile);
// Swaps the first and third byte of each of Size packed 3-byte pixels (B, G, R to R, G, B).
// Nothing happens when Size is below 1.
void SwapRGB(void* Data, int32_t Size);
// Binds the cube map built by GenCubeMapTex to GL_TEXTURE_CUBE_MAP and changes nothing else,
// unless a face is missing: then 2D texture 0 is bound as well, so that the cube-mapped drawing
// shows no environment rather than the 2D texture.
void BindCubeMapTex(const TGLCubeMap& Texture);
// Pushes the current matrix, then turns the texture matrix by the view's rotation (RotY about Y,
// then -180 - RotX about X) after pushing it; leaves GL_TEXTURE as the matrix mode.
void CubeMapBegin(float RotX, float RotY);
// Pops the texture matrix and the model-view matrix CubeMapBegin pushed; leaves GL_MODELVIEW.
void CubeMapEnd();
