// vtrl3ds-convert: its command line, the texture reader it hands to the model library and its
// BVH output.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "vtrl3ds/gltf.h"

// What the command line asks for.
struct TConvertOptions {
    std::vector<std::string> Inputs;
    std::string Output;     // a .glb, .gltf or .bvh file, or a folder
    bool ToFolder = false;  // Output is a folder: one file per input, named after it
    bool ToBvh = false;     // Output is a .bvh file: the input's motion, not glTF
    bool Text = false;      // in a folder: .gltf files instead of .glb
    int Jobs = 0;           // conversions at a time; 0: one per core
    float Scale = 1;
    bool Textures = true;
    bool Help = false, Version = false;
    // What a .bvh output does to the motion, in this order: frames cut, resampled, orders rewritten.
    bool CutFrames = false;           // --frames A:B given: frames A .. B - 1 (0-based)
    size_t FirstFrame = 0;            // A; 0 when left out
    std::optional<size_t> LastFrame;  // B; the end when left out
    double Fps = 0;                   // --fps; 0: the input's rate (30 for a 3DS keyframer)
    std::string Order;                // --order; empty: each joint's own
};

extern const char* const ConvertUsage;

// Fills Options from argv; false with the reason in Error for a wrong command line.
bool ParseConvertCommandLine(int argc, const char* const* argv, TConvertOptions& Options, std::string& Error);

// The texture reader: PNG and JPEG files as stored, TGA, BMP and other images stb_image decodes
// written again as PNG; false with the reason for anything else.
bool ReadTextureImage(const std::string& Path, TGltfImage& Image, std::string& Error);

// Writes the motion of Input (a BVH file, or a model's skeleton) to Options.Output as BVH, after
// the cut, resampling and rotation order Options asks for. Raises the library's errors.
void WriteBvhOutput(const TConvertOptions& Options, const std::string& Input);
