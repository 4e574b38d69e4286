// The outside judge of the Python module's world positions: reads a BVH file with assimp and
// prints, for every node that has animation keys, its name on one line and then its world
// position at every key, one "x y z" line each (its keys composed down the node chain).
// Usage: assimp_positions FILE.bvh; exit status 1 when assimp refuses the file.
#include <assimp/cimport.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cstdio>

#include "support/assimp_pose.h"

namespace {

void print(const aiAnimation& anim, const aiNode* node) {
    if (const aiNodeAnim* ch = AssimpChannelOf(anim, node->mName)) {
        std::printf("%s\n", node->mName.C_Str());
        for (unsigned k = 0; k < ch->mNumRotationKeys; ++k) {
            const aiMatrix4x4 w = AssimpWorldAt(anim, node, k);
            std::printf("%.9g %.9g %.9g\n", w.a4, w.b4, w.c4);
        }
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c) print(anim, node->mChildren[c]);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const aiScene* scene = aiImportFile(argv[1], 0);
    if (!scene || scene->mNumAnimations != 1) {
        std::fprintf(stderr, "assimp: %s\n", aiGetErrorString());
        return 1;
    }
    print(*scene->mAnimations[0], scene->mRootNode);
    aiReleaseImport(scene);
    return 0;
}
