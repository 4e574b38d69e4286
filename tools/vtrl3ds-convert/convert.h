// vtrl3ds-convert: its command line and the texture reader it hands to the model library.
#pragma once

#include <string>
#include <vector>

#include "vtrl3ds/gltf.h"

// What the command line asks for.
struct TConvertOptions {
    std::vector<std::string> Inputs;
    std::string Output;     // a .glb or .gltf file, or a folder
    bool ToFolder = false;  // Output is a folder: one file per input, named after it
    bool Text = false;      // in a folder: .gltf files instead of .glb
    int Jobs = 0;           // conversions at a time; 0: one per core
    float Scale = 1;
    float FramesPerSecond = 30;  // of 3DS keyframer animation
    bool Textures = true;
    bool Help = false, Version = false;
};

extern const char* const ConvertUsage;

// Fills Options from argv; false with the reason in Error for a wrong command line.
bool ParseConvertCommandLine(int argc, const char* const* argv, TConvertOptions& Options, std::string& Error);

// The texture reader: PNG and JPEG files as stored, TGA, BMP and other images stb_image decodes
// written again as PNG; false with the reason for anything else.
bool ReadTextureImage(const std::string& Path, TGltfImage& Image, std::string& Error);
