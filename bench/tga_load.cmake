# stb_image, the peer the TGA decoder is measured against (Debian libstb-dev: header and libstb).
find_library(STB_LIBRARY stb REQUIRED)
target_link_libraries(bench_tga_load PRIVATE ${STB_LIBRARY})
