// vtrl3ds-info MODEL_FILE: loads the model through LoadFromFile and prints what the loader saw as
// JSON on standard output. A file that does not load prints one line naming the file and the
// reason on standard error and exits with status 1; a wrong command line exits with status 2.
#include <exception>
#include <iostream>
#include <string>

#include "describe.h"
#include "vtrl3ds/model.h"

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
                     "Loads a model file (.3ds, .txt or .bin) and prints what it holds as JSON.\n";
        return 2;
    }
    const std::string file = argv[1];
    TGLAll3dsMesh model;
    try {
        model.LoadFromFile(file);
    } catch (const std::exception& e) {
        return fail(file, e.what());
    }
    if (model.FType == 0)
        return fail(file, "unsupported file name extension (the model loaders read .3ds, .txt and .bin)");
    std::cout << DescribeModel(model, file).dump(2) << "\n";
    return std::cout.good() ? 0 : 1;
}
