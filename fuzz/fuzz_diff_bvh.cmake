# The peer the BVH loader is compared with: assimp's BVH reader (Debian libassimp-dev).
find_library(ASSIMP_LIBRARY assimp REQUIRED)
target_link_libraries(fuzz_diff_bvh PRIVATE ${ASSIMP_LIBRARY})
