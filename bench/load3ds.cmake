# The peers the 3DS loader is measured against: lib3ds (Debian lib3ds-dev) and assimp
# (Debian libassimp-dev).
find_library(LIB3DS_LIBRARY 3ds REQUIRED)
find_library(ASSIMP_LIBRARY assimp REQUIRED)
target_link_libraries(bench_load3ds PRIVATE ${LIB3DS_LIBRARY} ${ASSIMP_LIBRARY})
