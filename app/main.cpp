// showroom's entry point; the program takes no arguments. An error no routine handles (a broken
// model file, a range or overflow error) ends the program here with its message, not an abort.
#include <cstdio>
#include <exception>

#include "app/showroom.h"

int main() {
    try {
        return ShowroomMain();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "showroom: %s\n", e.what());
        return 1;
    }
}
