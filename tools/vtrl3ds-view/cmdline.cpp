// The viewer's command line: FILE and the options --png OUT, --size WxH, --frame N, --yaw DEG and
// --pitch DEG in any order. Anything else, a missing value or a value that does not read whole is refused
// with the reason; nothing is opened here.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "viewer.h"

const char* const ViewerUsage =
    "usage: vtrl3ds-view FILE [--png OUT.png] [--size WxH] [--frame N] [--yaw DEG] [--pitch DEG]\n"
    "Shows a model (.3ds, .txt, .bin) or a motion (.bvh) in a window, or draws one frame of it\n"
    "into a PNG file without a display. Frames start at 1.\n";

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
    else {
        error = "unknown option " + std::string(name);
        return false;
    }
    if (!ok) error = "bad value for " + std::string(name) + ": '" + value + "'";
    return ok;
}

}  // namespace

bool ParseViewerCommandLine(int argc, const char* const* argv, TViewerOptions& Options, std::string& Error) {
    Options = TViewerOptions{};
    Error.clear();
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.size() > 2 && arg.substr(0, 2) == "--") {
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
