// The inspector's JSON description of a loaded model (type, version, scale, counts, box, render
// order, meshes, materials, skeletons with their bones, and a 3DS file's keyframer segment and
// nodes). Text is converted from Windows-1252 to UTF-8;
// nothing fails.
#pragma once

#include <nlohmann/json.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "vtrl3ds/keyframer.h"
#include "vtrl3ds/model.h"
#include "vtrl3ds/text.h"

// Ordered keys; reals kept as singles, so they print as short as the model stores them.
using ModelJson = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t,
                                       std::uint64_t, float>;

// What the model holds, in a fixed key order.
ModelJson DescribeModel(const TGLAll3dsMesh& model, const std::string& fileName,
                        const TKeyframer& keyframer = {});
