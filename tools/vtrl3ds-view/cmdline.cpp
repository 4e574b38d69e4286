// The viewer's command line: FILE and the options --png OUT, --size WxH, --frame N, --yaw DEG,
// --pitch DEG and --bones MODE in any order; --help or --version anywhere asks for that alone. An unknown
// option, a missing value or a value that does not read whole is refused with the reason; nothing is opened.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "viewer.h"
#include "vtrl3ds/version.h"

const char* const ViewerUsage =
    "Usage: vtrl3ds-view FILE [OPTION]...\n"
    "Shows a 3D model or motion in a window, or draws one frame of it into a PNG file.\n"
    "\n"
    "FILE is a model (.3ds, .txt for MilkShape 3D ASCII, .bin) or a BVH motion (.bvh), whose\n"
    "skeleton is drawn. Without --png a window opens; with it no display is needed.\n"
    "\n"
    "Options:\n"
    "  --png OUT.png   draw one frame into OUT.png and exit; no display is needed\n"
    "  --size WxH      window or picture size in pixels, each 1 to 16384 (default 1024x768)\n"
    "  --frame N       first frame shown; frames start at 1\n"
    "  --yaw DEG       view angle about the vertical axis (default 30)\n"
    "  --pitch DEG     view angle about the horizontal axis (default 20)\n"
    "  --bones MODE    how bones are drawn: solid (default) or lines\n"
    "  -h, --help      print this help and exit\n"
    "  --version       print the version and exit\n"
    "\n"
    "Keys: Space plays and pauses, Left and Right step a frame, Home goes to frame 1, B shows the\n"
    "bones, W the wireframe, T toggles textures, F frames the model again, Escape quits.\n"
    "A left drag turns the model; a right drag or the mouse wheel zooms.\n"
    "\n"
    "Exit status: 0 done, 1 a file that cannot be shown or no display, 2 a wrong command line.\n";

const char* const ViewerVersion = "vtrl3ds-view (showroom) " VTRL_VERSION_STRING "\n";

namespace {

bool readFloat(const char* text, float& out) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno != 0 || !std::isfinite(v)) return false;
    out = static_cast<float>(v);
    return std::isfinite(out);
}

// "WxH", each 1..16384.
bool readSize(std::string_view text, int32_t& w, int32_t& h) {
    const size_t x = text.find('x');
    if (x == std::string_view::npos) return false;
    auto number = [](std::string_view s, int32_t& out) {
        if (s.empty() || s.size() > 5) return false;
        int32_t v = 0;
        for (char c : s) {
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
        }
        out = v;
        return v >= 1 && v <= 16384;
    };
    return number(text.substr(0, x), w) && number(text.substr(x + 1), h);
}

bool readBones(std::string_view text, bool& lines) {
    lines = text == "lines";
    return lines || text == "solid";
}

bool known(std::string_view name) {
    for (const char* o : {"--png", "--size", "--frame", "--yaw", "--pitch", "--bones"})
        if (name == o) return true;
    return false;
}

// What a value must look like, said after a value that does not.
const char* valueRule(std::string_view name) {
    if (name == "--size") return " (WxH, each 1 to 16384)";
    if (name == "--frame") return " (a number, 1 or more)";
    if (name == "--bones") return " (solid or lines)";
    return "";
}

bool option(std::string_view name, const char* value, TViewerOptions& o, std::string& error) {
    bool ok = true;
    if (name == "--png")
        o.Png = value, ok = !o.Png.empty();
    else if (name == "--size")
        ok = readSize(value, o.Width, o.Height);
    else if (name == "--frame")
        ok = readFloat(value, o.Frame) && o.Frame >= 1;
    else if (name == "--yaw")
        ok = readFloat(value, o.Yaw);
    else if (name == "--pitch")
        ok = readFloat(value, o.Pitch);
    else
        ok = readBones(value, o.BoneLines);
    if (!ok) error = "bad value for " + std::string(name) + ": '" + value + "'" + valueRule(name);
    return ok;
}

}  // namespace

bool ParseViewerCommandLine(int argc, const char* const* argv, TViewerOptions& Options, std::string& Error) {
    Options = TViewerOptions{};
    Error.clear();
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        // Help and version win over everything else on the line.
        if (arg == "--help" || arg == "-h") return Options.Help = true;
        if (arg == "--version") return Options.Version = true;
        if (arg.size() > 1 && arg[0] == '-') {
            if (!known(arg)) {
                Error = "unknown option " + std::string(arg);
                return false;
            }
            if (i + 1 >= argc) {
                Error = "missing value for " + std::string(arg);
                return false;
            }
            if (!option(arg, argv[++i], Options, Error)) return false;
        } else if (Options.File.empty() && !arg.empty()) {
            Options.File = arg;
        } else {
            Error = "unexpected argument '" + std::string(arg) + "'";
            return false;
        }
    }
    if (Options.File.empty()) Error = "no file named";
    return Error.empty();
}
