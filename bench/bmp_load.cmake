# stb_image, the peer the BMP reader is measured against (Debian libstb-dev: header and libstb).
find_library(STB_LIBRARY stb REQUIRED)
target_link_libraries(bench_bmp_load PRIVATE ${STB_LIBRARY})
