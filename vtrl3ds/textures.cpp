// Texture maps of a model: ResolveTextureFile finds the file a material's map name means beside
// the model file, and LoadTextures hands each such file to the host's loader. Names are matched
// ignoring case, as maps named on Windows need. Nothing fails: a map that gives no texture is
// reported once per model with one warning line on standard error (however many materials name
// it, with one summary line when there is more than that to say) and its materials draw untextured.
#if !defined(_WIN32)
#include <dirent.h>
#endif

#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <map>
#include <string>
#include <system_error>

#include "vtrl3ds/private/glrelease.h"
#include "vtrl3ds/private/names.h"
#include "vtrl3ds/model.h"

using namespace vtrl3ds_internal;
namespace fs = std::filesystem;

namespace {

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// The entry of `dir` named `name`, exactly or else ignoring ASCII case; empty when none.
fs::path entryIgnoringCase(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::exists(dir / name, ec)) return dir / name;
#if defined(_WIN32)
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (equalIgnoringAsciiCase(it->path().filename().string(), name)) return it->path();
#else
    // The names as the system lists them: a folder beside models can hold thousands of files,
    // and a path made for each would cost more than the listing.
    if (DIR* listing = opendir(dir.c_str())) {
        fs::path found;
        while (const dirent* entry = readdir(listing))
            if (equalIgnoringAsciiCase(entry->d_name, name)) {
                found = dir / entry->d_name;
                break;
            }
        closedir(listing);
        return found;
    }
#endif
    return {};
}

// The stored path walked from `dir` one component at a time, each matched ignoring case.
fs::path relativeFile(const fs::path& dir, const std::string& stored) {
    fs::path p = dir;
    size_t start = 0;
    while (start <= stored.size()) {
        const size_t slash = std::min(stored.find('/', start), stored.size());
        const std::string part = stored.substr(start, slash - start);
        start = slash + 1;
        if (part.empty() || part == ".") continue;
        p = part == ".." ? p / part : entryIgnoringCase(p, part);
        if (p.empty()) return {};
    }
    return isFile(p) ? p : fs::path();
}

// One line on standard error.
void writeLine(const std::string& line) {
    std::fwrite((line + '\n').data(), 1, line.size() + 1, stderr);
}

// Tells the user why a material of the model draws untextured.
void warn(const TGL3dsMaterial& m, const std::string& model, const std::string& why) {
    writeLine("vtrl3ds: texture map '" + m.FFileName + "' of model '" + model + "' " + why + "; material '" +
              m.FName + "' is drawn untextured");
}

// The maps of one LoadTextures call that gave no texture, each warned about once: its name
// (ignoring case) and the materials that name it.
struct FailedMaps {
    std::map<std::string, int32_t> materials;
    int32_t total = 0;

    static std::string key(const std::string& name) {
        std::string k = name;
        for (char& c : k) c = c == '\\' ? '/' : (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
        return k;
    }
    // True the first time the map fails: that time is warned about.
    bool fail(const std::string& name) {
        ++total;
        return ++materials[key(name)] == 1;
    }
    bool failed(const std::string& name) const { return materials.count(key(name)) != 0; }
    // The summary, when the warnings above it do not say everything.
    void summarise(const std::string& model) const {
        if (total <= 1) return;
        writeLine("vtrl3ds: model '" + model + "': " + std::to_string(materials.size()) + " texture map" +
                  (materials.size() == 1 ? "" : "s") + " could not be loaded; " + std::to_string(total) +
                  " materials are drawn untextured");
    }
};

}  // namespace

std::string ResolveTextureFile(const std::string& ModelFile, const std::string& MapName) {
    std::string stored = MapName;
    for (char& c : stored)
        if (c == '\\') c = '/';
    if (stored.rfind("./", 0) == 0) stored.erase(0, 2);
    if (stored.empty() || stored.back() == '/') return {};
    fs::path dir = fs::path(ModelFile).parent_path();
    if (dir.empty()) dir = ".";
    fs::path found = relativeFile(dir, stored);
    const size_t slash = stored.rfind('/');
    if (found.empty() && slash != std::string::npos) found = relativeFile(dir, stored.substr(slash + 1));
    return found.string();
}

namespace {

// A material's map through the host's loader; 0 with the reason in `why` when it gives none.
uint32_t loadMap(const TTextureLoader& Loader, const std::string& path, std::string& why) {
    uint32_t name = 0;
    // A loader that throws (a decoder refusing the file) fails that map, never the model.
    try {
        name = Loader ? Loader(path) : 0;
    } catch (const std::exception& e) {
        why = std::string(": ") + e.what();
    }
    return name <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ? name : 0;
}

}  // namespace

int32_t TGLAll3dsMesh::LoadTextures(const TTextureLoader& Loader) {
    int32_t loaded = 0;
    FailedMaps failed;
    for (TGL3dsMaterial* m : FMaterial) {
        if (!m) continue;
        m->FUseTexId = true;
        if (!m->FHasTextureMap || m->FFileName.empty()) continue;
        // A map that failed once in this call fails again without a second try or warning.
        if (failed.failed(m->FFileName)) {
            failed.fail(m->FFileName);
            continue;
        }
        const std::string path = ResolveTextureFile(FName, m->FFileName);
        std::string why;
        const uint32_t name = path.empty() ? 0 : loadMap(Loader, path, why);
        if (name == 0) {
            if (failed.fail(m->FFileName))
                warn(*m, FName,
                     path.empty() ? "names no file beside the model"
                                  : "could not be loaded from '" + path + "'" + why);
            continue;
        }
        // A texture of an earlier call belongs to the material and is replaced.
        if (m->FTexId > 0 && glRelease().deleteTexture)
            glRelease().deleteTexture(static_cast<uint32_t>(m->FTexId));
        m->FTexId = static_cast<int32_t>(name);
        ++loaded;
    }
    failed.summarise(FName);
    return loaded;
}
