// vtrl3ds-info MODEL_FILE: loads the model through LoadFromFile (a .bvh file as a skeleton) and
// prints what the loader saw as JSON on standard output. A file that does not load prints one
// line naming the file and the reason on standard error and exits with status 1; a wrong command
// line exits with status 2.
#include <cctype>
#include <exception>
#include <iostream>
#include <string>

#include "describe.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/skeleton.h"

namespace {

int fail(const std::string& file, std::string reason) {
    for (char& c : reason)
        if (c == '\n' || c == '\r') c = ' ';
    std::cerr << "vtrl3ds-info: " << Cp1252ToUtf8(file) << ": " << Cp1252ToUtf8(reason) << "\n";
    return 1;
}

bool isMotionFile(const std::string& file) {
    std::string ext = file.size() > 4 ? file.substr(file.size() - 4) : file;
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".bvh";
}

// Models through LoadFromFile; motion files as the one skeleton of an otherwise empty model.
void load(TGLAll3dsMesh& model, const std::string& file) {
    if (!isMotionFile(file)) return model.LoadFromFile(file);
    model.FName = file;
    auto* skeleton = new TGLSkeleton(&model);
    model.FSkeleton.push_back(skeleton);
    model.FNumSkeletons = 1;
    skeleton->LoadFromFile(file);
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
        load(model, file);
    } catch (const std::exception& e) {
        return fail(file, e.what());
    }
    if (model.FType == 0)
        return fail(file, "unsupported file name extension (the loaders read .3ds, .txt, .bin and .bvh)");
    std::cout << DescribeModel(model, file).dump(2) << "\n";
    return std::cout.good() ? 0 : 1;
}
