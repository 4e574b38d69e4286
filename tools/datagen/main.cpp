// showroom-datagen: writes the demo's data files (sky box, cube faces, crystal model) into the
// folder given as its only argument. Exit code 0 on success, 1 with a message otherwise.
#include <cstdio>
#include <exception>

#include "tools/datagen/datagen.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: showroom-datagen OUTDIR\n");
        return 1;
    }
    try {
        datagen::WriteDemoData(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "showroom-datagen: %s\n", e.what());
        return 1;
    }
    return 0;
}
