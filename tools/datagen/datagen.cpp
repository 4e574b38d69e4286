// Writing the demo's data files (see datagen.h): renders the environment into the sky-box atlas
// and the cube faces, builds the crystal model, encodes each and writes it in place.
#include "tools/datagen/datagen.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "tools/datagen/crystal.h"
#include "tools/datagen/cubefaces.h"
#include "tools/datagen/imagefiles.h"
#include "tools/datagen/skyatlas.h"

namespace datagen {
namespace {

[[noreturn]] void cannotWrite(const std::filesystem::path& path, const std::string& why) {
    throw std::runtime_error("cannot write " + path.string() + ": " + why);
}

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path temporary = path;
    temporary += ".part";
    FILE* f = std::fopen(temporary.string().c_str(), "wb");
    if (!f) cannotWrite(path, std::strerror(errno));
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), f);
    const int writeError = std::ferror(f) ? errno : 0;
    if (std::fclose(f) != 0 || written != bytes.size()) {
        const std::string why = std::strerror(writeError ? writeError : errno);
        std::remove(temporary.string().c_str());
        cannotWrite(path, why);
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::remove(temporary.string().c_str());
        cannotWrite(path, ec.message());
    }
}

}  // namespace

std::vector<std::filesystem::path> WriteDemoData(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) cannotWrite(folder, ec.message());
    std::vector<std::filesystem::path> written;
    const auto put = [&](const char* name, const std::vector<uint8_t>& bytes) {
        written.push_back(folder / name);
        writeFile(written.back(), bytes);
    };
    const Environment env;
    put(skyBoxFile, EncodeTgaRle(RenderSkyAtlas(env, skyAtlasWidth, skyAtlasHeight)));
    for (const CubeFaceFile& f : cubeFaceFiles)
        put(f.name, EncodeBmp24(RenderCubeFace(env, f.face, cubeFaceSize)));
    put(modelFile, Encode3ds(BuildCrystalScene()));
    return written;
}

}  // namespace datagen
