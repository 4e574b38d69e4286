# The peer the 3DS loader is compared with: lib3ds (Debian lib3ds-dev).
find_library(LIB3DS_LIBRARY 3ds REQUIRED)
target_link_libraries(fuzz_diff_3ds PRIVATE ${LIB3DS_LIBRARY})
