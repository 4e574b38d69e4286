// The converter's command line: inputs, -o OUT, -j N, the glTF options (--scale S, --no-textures,
// --gltf), --fps N (a .bvh output's rate, or a 3DS keyframer's in glTF), the BVH options (--order,
// --frames A:B), --help and --version. A wrong command
// line, options for the other kind of output among them, is reported as one reason.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "convert.h"

const char* const ConvertUsage =
    "usage: vtrl3ds-convert IN... -o OUT.glb|OUT.gltf|OUT.bvh|DIR [OPTION]...\n"
    "Converts 3DS, MilkShape 3D ASCII and binary models and BVH motions to glTF 2.0, or a motion to BVH.\n"
    "A .bvh output takes one input: a BVH motion, or a MilkShape model whose skeleton is sampled once\n"
    "a frame. Several inputs, or a folder as the output, give one glTF file per input.\n"
    "  -o PATH        the output file (.glb: one binary file; .gltf: with .bin and images beside it;\n"
    "                 .bvh: the motion), or a folder that receives one glTF file per input\n"
    "  -j N           conversions at a time (default: one per core)\n"
    "  --scale S      multiply every position by S (default 1)\n"
    "  --no-textures  write materials without texture images\n"
    "  --gltf         in a folder, write .gltf files instead of .glb\n"
    "  --order XYZ    .bvh output: every joint's rotation channels in this order (any of XYZ, XZY,\n"
    "                 YXZ, YZX, ZXY, ZYX; the first axis outermost), the poses unchanged\n"
    "  --fps N        .bvh output: resampled to N frames a second (rotations by slerp); glTF output:\n"
    "                 the rate of 3DS keyframer animation (default 30; the files store none)\n"
    "  --frames A:B   .bvh output: frames A to B - 1 only (0-based; A or B may be left out)\n"
    "  --help         this text\n"
    "  --version      the version\n"
    "Exit status: 0 when every input was converted, 1 when one failed, 2 for a wrong command line.\n";

namespace {

bool hasExtension(const std::string& path, const char* ext) {
    std::string e = std::filesystem::path(path).extension().string();
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e == ext;
}

// The value after option `name`, advancing i; false when there is none.
bool optionValue(int argc, const char* const* argv, int& i, std::string& value) {
    if (i + 1 >= argc) return false;
    value = argv[++i];
    return true;
}

bool parseNumber(const std::string& text, float& out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(out) && out > 0;
}

// A frame index, or nothing for an empty text.
bool parseFrame(const std::string& text, std::optional<size_t>& out) {
    if (text.empty()) return true;
    size_t v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return false;
    out = v;
    return true;
}

// A:B with either side left out, A below B when both are given.
bool parseFrames(const std::string& text, TConvertOptions& o) {
    const size_t colon = text.find(':');
    std::optional<size_t> first;
    if (colon == std::string::npos || !parseFrame(text.substr(0, colon), first) ||
        !parseFrame(text.substr(colon + 1), o.LastFrame))
        return false;
    o.CutFrames = true;
    o.FirstFrame = first.value_or(0);
    return !o.LastFrame || o.FirstFrame < *o.LastFrame;
}

// Three letters, X, Y and Z once each, in either case.
bool parseOrder(const std::string& text, std::string& out) {
    out = text;
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string sorted = out;
    std::sort(sorted.begin(), sorted.end());
    return sorted == "XYZ";
}

bool parseJobs(const std::string& text, int& out) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && out >= 1 && out <= 1024;
}

// Where the output goes once all arguments are read.
bool settleOutput(TConvertOptions& o, std::string& error) {
    if (o.Inputs.empty()) return (error = "no input file"), false;
    if (o.Output.empty()) return (error = "no output given (-o)"), false;
    std::error_code ec;
    o.ToFolder = o.Inputs.size() > 1 || std::filesystem::is_directory(o.Output, ec) || o.Output.back() == '/';
    o.ToBvh = !o.ToFolder && hasExtension(o.Output, ".bvh");
    const bool folderThere = std::filesystem::is_directory(o.Output, ec);
    if (o.Inputs.size() > 1 && hasExtension(o.Output, ".bvh") && !folderThere)
        return (error = "a .bvh output takes one input"), false;
    // Several inputs go into a folder: one named like a glTF file is more likely a slip than a wish.
    if (o.Inputs.size() > 1 && (hasExtension(o.Output, ".glb") || hasExtension(o.Output, ".gltf")) &&
        !folderThere)
        return (error = "several inputs need a folder as the output, not " + o.Output), false;
    if (!o.ToFolder && !o.ToBvh && !hasExtension(o.Output, ".glb") && !hasExtension(o.Output, ".gltf"))
        return (error = "the output " + o.Output + " is neither a .glb, .gltf or .bvh file nor a folder"),
               false;
    const bool motionOptions = o.CutFrames || !o.Order.empty();
    if (motionOptions && !o.ToBvh) return (error = "--order and --frames need a .bvh output"), false;
    if (o.ToBvh && (o.Scale != 1 || !o.Textures || o.Text))
        return (error = "--scale, --no-textures and --gltf need a glTF output"), false;
    return true;
}

}  // namespace

bool ParseConvertCommandLine(int argc, const char* const* argv, TConvertOptions& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        std::string v;
        if (a == "--help" || a == "-h") {
            o.Help = true;
        } else if (a == "--version") {
            o.Version = true;
        } else if (a == "--no-textures") {
            o.Textures = false;
        } else if (a == "--gltf") {
            o.Text = true;
        } else if (a == "-o") {
            if (!optionValue(argc, argv, i, o.Output)) return (error = "-o needs a path"), false;
        } else if (a == "-j") {
            if (!optionValue(argc, argv, i, v) || !parseJobs(v, o.Jobs))
                return (error = "-j needs a number from 1 to 1024"), false;
        } else if (a == "--order") {
            if (!optionValue(argc, argv, i, v) || !parseOrder(v, o.Order))
                return (error = "--order needs an order of the axes X, Y and Z, such as ZXY"), false;
        } else if (a == "--fps") {
            float fps = 0;
            if (!optionValue(argc, argv, i, v) || !parseNumber(v, fps))
                return (error = "--fps needs a positive number"), false;
            o.Fps = fps;
        } else if (a == "--frames") {
            if (!optionValue(argc, argv, i, v) || !parseFrames(v, o))
                return (error = "--frames needs A:B, frame numbers from 0 with A below B"), false;
        } else if (a == "--scale") {
            if (!optionValue(argc, argv, i, v) || !parseNumber(v, o.Scale))
                return (error = "--scale needs a positive number"), false;
        } else if (a.size() > 1 && a[0] == '-') {
            return (error = "unknown option " + a), false;
        } else {
            o.Inputs.push_back(a);
        }
    }
    return o.Help || o.Version || settleOutput(o, error);
}
