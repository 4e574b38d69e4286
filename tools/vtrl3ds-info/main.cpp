// vtrl3ds-info MODEL_FILE: loads a model or a motion through the library's LoadModelOrMotion and
// prints what the loader saw as JSON on standard output. A file that does not load, or in which
// nothing was recognised, prints one line naming the file and the reason on standard error and
// exits with status 1; a wrong command line exits with status 2.
#include <exception>
#include <iostream>
#include <string>

#include "describe.h"
#include "vtrl3ds/host.h"

namespace {

int fail(const std::string& file, std::string reason) {
    for (char& c : reason)
        if (c == '\n' || c == '\r') c = ' ';
    std::cerr << "vtrl3ds-info: " << Cp1252ToUtf8(file) << ": " << Cp1252ToUtf8(reason) << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: vtrl3ds-info MODEL_FILE\n"
                     "Loads a model file (.3ds, .txt or .bin) or a motion file (.bvh) and prints what it\n"
                     "holds as JSON.\n";
        return 2;
    }
    const std::string file = argv[1];
    TGLAll3dsMesh model;
    try {
        LoadModelOrMotion(model, file);
    } catch (const std::exception& e) {
        return fail(file, e.what());
    }
    std::cout << DescribeModel(model, file).dump(2) << "\n";
    return std::cout.good() ? 0 : 1;
}
