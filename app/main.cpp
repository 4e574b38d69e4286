// showroom's entry point: --help and --version answer on standard output; any other argument is
// refused (exit status 2). An error no routine handles (a broken model file, a range or overflow
// error) ends the program here with its message, not an abort.
#include <cstdio>
#include <cstring>
#include <exception>

#include "app/showroom.h"
#include "vitrail/version.h"

namespace {

const char* const usage =
    "Usage: showroom [OPTION]\n"
    "Real-time 3D demonstration of environment-mapped solids, a 3DS model and water.\n"
    "\n"
    "A sky box and, mapped with the environment, a cube, a sphere, a torus, the teapot, a 3DS\n"
    "model or a water surface. It asks first whether to run full screen (Return: yes; Escape or\n"
    "closing the box: no). The data files are loaded from the current folder.\n"
    "\n"
    "Keys: 1 to 6 choose the element, R reflection mapping, N normal mapping; a left drag turns\n"
    "the view, a right drag moves nearer or farther; Escape quits.\n"
    "\n"
    "Options:\n"
    "  -h, --help      print this help and exit\n"
    "  --version       print the version and exit\n";

bool is(const char* arg, const char* name) {
    return std::strcmp(arg, name) == 0;
}

// The exit status for a command line with arguments; -1 for none (the program runs). Help and
// version win over anything else on the line.
int commandLine(int argc, char** argv) {
    if (argc < 2) return -1;
    for (int i = 1; i < argc; ++i)
        if (is(argv[i], "--help") || is(argv[i], "-h")) {
            std::fputs(usage, stdout);
            return 0;
        }
    for (int i = 1; i < argc; ++i)
        if (is(argv[i], "--version")) {
            std::puts("showroom " VTRL_VERSION_STRING);
            return 0;
        }
    std::fprintf(stderr, "showroom: %s %s\n%s", argv[1][0] == '-' ? "unknown option" : "unexpected argument",
                 argv[1], usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = commandLine(argc, argv); status >= 0) return status;
    try {
        return ShowroomMain();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "showroom: %s\n", e.what());
        return 1;
    }
}
