// assimp's reading of a motion, posed the plain way: a joint's model-space matrix at one key
// index, from its own keys (or its fixed transform) under those of its ancestors. The reference
// the BVH pose tests and the Python tests' position printer compare with.
#pragma once

#include <assimp/scene.h>

#include <algorithm>

// The animation's channel for the node called `name`, or null.
inline const aiNodeAnim* AssimpChannelOf(const aiAnimation& anim, const aiString& name) {
    for (unsigned c = 0; c < anim.mNumChannels; ++c)
        if (anim.mChannels[c]->mNodeName == name) return anim.mChannels[c];
    return nullptr;
}

// The node's model-space matrix at key index `key` (the last key for a shorter track).
inline aiMatrix4x4 AssimpWorldAt(const aiAnimation& anim, const aiNode* node, unsigned key) {
    aiMatrix4x4 world;
    for (; node; node = node->mParent) {
        aiMatrix4x4 local = node->mTransformation;
        if (const aiNodeAnim* ch = AssimpChannelOf(anim, node->mName)) {
            const aiVector3D p = ch->mPositionKeys[std::min(key, ch->mNumPositionKeys - 1)].mValue;
            local =
                aiMatrix4x4(ch->mRotationKeys[std::min(key, ch->mNumRotationKeys - 1)].mValue.GetMatrix());
            local.a4 = p.x, local.b4 = p.y, local.c4 = p.z;
        }
        world = local * world;
    }
    return world;
}
