// The 3DS file's chunk identifiers the library knows and the records read while walking a file.
// Plain constants and records; nothing here reports failure.
#pragma once

#include <cstdint>

// A chunk header as stored: identifier, then the whole chunk's length including these 6 bytes.
struct TChunkHdr {
    uint16_t ChunkID;
    uint32_t ChunkLe;
};

// A colour of three singles (MAT_COLOR).
struct T3dsColor {
    float R, G, B;
};

// A colour of three bytes (MAT_COLOR24).
struct RGB {
    uint8_t R, G, B;
};

constexpr int32_t OVERSION = 3;  // the file version the library is written for

constexpr uint16_t MAIN3DS = 0x4D4D;
constexpr uint16_t VERS3DS = 0x0002;
constexpr uint16_t EDIT3DS = 0x3D3D;
constexpr uint16_t OBJ_VERINFO = 0x3D3E;
constexpr uint16_t MASTER_SCALE = 0x0100;

constexpr uint16_t MAT_MATRIAL = 0xAFFF;
constexpr uint16_t MAT_MATNAME = 0xA000;
constexpr uint16_t MAT_AMBIENT = 0xA010;
constexpr uint16_t MAT_DIFFUSE = 0xA020;
constexpr uint16_t MAT_SPECULAR = 0xA030;
constexpr uint16_t MAT_COLOR = 0x0010;
constexpr uint16_t MAT_COLOR24 = 0x0011;
constexpr uint16_t MAT_SHININESS = 0xA040;  // the loader reads it into FShininess
constexpr uint16_t MAT_SHIN2PCT = 0xA041;   // skipped by the loader, written by the tools
constexpr uint16_t MAT_TRANSPARENCY = 0xA050;
constexpr uint16_t MAT_TWO_SIDE = 0xA081;
constexpr uint16_t MAT_SHADING = 0xA100;  // skipped by the loader, written by the tools
constexpr uint16_t MAT_TEXTURE = 0xA200;
constexpr uint16_t MAT_BUMPMAP = 0xA230;
constexpr uint16_t MAT_MAPFILE = 0xA300;
constexpr uint16_t MAT_VSCALE = 0xA354;
constexpr uint16_t MAT_USCALE = 0xA356;
constexpr uint16_t MAT_UOFF = 0xA358;
constexpr uint16_t MAT_VOFF = 0xA35A;
constexpr uint16_t MAT_TEXROT = 0xA35C;

constexpr uint16_t EDIT_OBJECT = 0x4000;
constexpr uint16_t OBJ_HIDDEN = 0x4010;
constexpr uint16_t OBJ_TRIMESH = 0x4100;
constexpr uint16_t OBJ_LIGHT = 0x4600;
constexpr uint16_t OBJ_CAMERA = 0x4700;
constexpr uint16_t TRI_VERTEXL = 0x4110;
constexpr uint16_t TRI_FACEL1 = 0x4120;
constexpr uint16_t TRI_MATERIAL = 0x4130;
constexpr uint16_t TRI_MAPPINGCOORDS = 0x4140;
constexpr uint16_t TRI_SMOOTH = 0x4150;
constexpr uint16_t TRI_MATRIX = 0x4160;

constexpr uint16_t KEYF3DS = 0xB000;
constexpr uint16_t KEYF_OBJDES = 0xB002;
constexpr uint16_t KEYF_OBJHIERARCH = 0xB010;
constexpr uint16_t KEYF_OBJPIVOT = 0xB013;
// The rest of the keyframer, read by ReadKeyframer alone: node kinds, header, segment, node
// sub-chunks and tracks.
constexpr uint16_t KEYF_AMBIENTDES = 0xB001;
constexpr uint16_t KEYF_CAMERADES = 0xB003;
constexpr uint16_t KEYF_TARGETDES = 0xB004;
constexpr uint16_t KEYF_LIGHTDES = 0xB005;
constexpr uint16_t KEYF_LTARGETDES = 0xB006;
constexpr uint16_t KEYF_SPOTDES = 0xB007;
constexpr uint16_t KEYF_SEGMENT = 0xB008;
constexpr uint16_t KEYF_CURTIME = 0xB009;
constexpr uint16_t KEYF_HDR = 0xB00A;
constexpr uint16_t KEYF_OBJINSTANCE = 0xB011;
constexpr uint16_t KEYF_OBJBOUNDBOX = 0xB014;
constexpr uint16_t KEYF_POSTRACK = 0xB020;
constexpr uint16_t KEYF_ROTTRACK = 0xB021;
constexpr uint16_t KEYF_SCLTRACK = 0xB022;
constexpr uint16_t KEYF_HIDETRACK = 0xB029;
constexpr uint16_t KEYF_NODE_ID = 0xB030;

// Percentage sub-chunks: a 16-bit integer, or a single.
constexpr uint16_t INT_PERCENTAGE = 0x0030;
constexpr uint16_t FLOAT_PERCENTAGE = 0x0031;
