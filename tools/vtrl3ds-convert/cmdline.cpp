// The converter's command line: inputs, -o OUT, -j N, --scale S, --fps N, --no-textures, --gltf,
// --help and --version. A wrong command line is reported as one reason; nothing is converted.
#include <charconv>
#include <cmath>
#include <filesystem>

#include "convert.h"

const char* const ConvertUsage =
    "usage: vtrl3ds-convert IN -o OUT.glb|OUT.gltf\n"
    "       vtrl3ds-convert IN... -o DIR [-j N] [--gltf]\n"
    "Converts 3DS, MilkShape 3D ASCII (.txt), binary (.bin) models and BVH motions to glTF 2.0.\n"
    "  -o PATH        the output file (.glb: one binary file; .gltf: with .bin and images beside it),\n"
    "                 or a folder that receives one file per input\n"
    "  -j N           conversions at a time (default: one per core)\n"
    "  --scale S      multiply every position by S (default 1)\n"
    "  --fps N        frames per second of 3DS keyframer animation (default 30; the files store none)\n"
    "  --no-textures  write materials without texture images\n"
    "  --gltf         in a folder, write .gltf files instead of .glb\n"
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
    if (!o.ToFolder && !hasExtension(o.Output, ".glb") && !hasExtension(o.Output, ".gltf"))
        return (error = "the output " + o.Output + " is neither a .glb nor a .gltf file nor a folder"), false;
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
        } else if (a == "--scale") {
            if (!optionValue(argc, argv, i, v) || !parseNumber(v, o.Scale))
                return (error = "--scale needs a positive number"), false;
        } else if (a == "--fps") {
            if (!optionValue(argc, argv, i, v) || !parseNumber(v, o.FramesPerSecond))
                return (error = "--fps needs a positive number"), false;
        } else if (a.size() > 1 && a[0] == '-') {
            return (error = "unknown option " + a), false;
        } else {
            o.Inputs.push_back(a);
        }
    }
    return o.Help || o.Version || settleOutput(o, error);
}
