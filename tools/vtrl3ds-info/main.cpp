// vtrl3ds-info MODEL_FILE: loads a model or a motion through the library's LoadModelOrMotion and
// prints what the loader saw as JSON on standard output, with a 3DS file's keyframer (whose
// repairs are warned of on standard error). A file that does not load, or in which
// nothing was recognised, prints one line naming the file and the reason on standard error and
// exits with status 1; --help and --version print to standard output; a wrong command line exits
// with status 2.
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "describe.h"
#include "vtrl3ds/host.h"
#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/version.h"

namespace {

const char* const usage =
    "Usage: vtrl3ds-info MODEL_FILE\n"
    "Prints what a 3D model or motion file holds, as JSON.\n"
    "\n"
    "MODEL_FILE is a model (.3ds, .txt for MilkShape 3D ASCII, .bin) or a BVH motion (.bvh). The\n"
    "JSON gives its type, counts, bounding box, meshes, materials and skeletons.\n"
    "\n"
    "Options:\n"
    "  -h, --help      print this help and exit\n"
    "  --version       print the version and exit\n"
    "\n"
    "Exit status: 0 done, 1 a file that does not load or in which nothing was recognised,\n"
    "2 a wrong command line.\n";

// --help, --version or a wrong command line: the exit status; -1 when argv names a file to load.
int commandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << usage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "vtrl3ds-info (showroom) " VTRL_VERSION_STRING "\n";
            return 0;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::cerr << "vtrl3ds-info: unknown option " << arg << "\n" << usage;
            return 2;
        }
    }
    if (argc == 2) return -1;
    std::cerr << "vtrl3ds-info: " << (argc < 2 ? "no file named" : "more than one file named") << "\n"
              << usage;
    return 2;
}

int fail(const std::string& file, std::string reason) {
    for (char& c : reason)
        if (c == '\n' || c == '\r') c = ' ';
    std::cerr << "vtrl3ds-info: " << Cp1252ToUtf8(file) << ": " << Cp1252ToUtf8(reason) << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = commandLine(argc, argv); status >= 0) return status;
    const std::string file = argv[1];
    TGLAll3dsMesh model;
    try {
        LoadModelOrMotion(model, file);
    } catch (const std::exception& e) {
        return fail(file, e.what());
    }
    const TKeyframer keyframer = ReadKeyframerOf(model);
    for (const std::string& warning : keyframer.Warnings)
        std::cerr << "vtrl3ds-info: " << Cp1252ToUtf8(file) << ": " << Cp1252ToUtf8(warning) << "\n";
    std::cout << DescribeModel(model, file, keyframer).dump(2) << "\n";
    return std::cout.good() ? 0 : 1;
}
