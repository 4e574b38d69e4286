// The demo's data files as one set: what they are called, how large the pictures are, and the
// routine that writes them all into a folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace datagen {

inline constexpr char skyBoxFile[] = "sky_rocksday6.tga";
inline constexpr char modelFile[] = "cristallo1.3ds";
inline constexpr int32_t skyAtlasWidth = 2048, skyAtlasHeight = 1024, cubeFaceSize = 512;

// Writes the sky-box texture, the six cube faces and the model into folder (created when
// missing) and returns the paths written. Each file is written under a temporary name and then
// renamed, so a reader never sees half a file. Throws std::runtime_error naming the file and the
// reason when one cannot be written.
std::vector<std::filesystem::path> WriteDemoData(const std::filesystem::path& folder);

}  // namespace datagen
