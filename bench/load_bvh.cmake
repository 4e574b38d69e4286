# The peer the BVH loader is measured against: assimp (Debian libassimp-dev).
find_library(ASSIMP_LIBRARY assimp REQUIRED)
target_link_libraries(bench_load_bvh PRIVATE ${ASSIMP_LIBRARY})
