// vtrl3ds-view's entry point: the whole program is ViewerMain.
#include "viewer.h"

int main(int argc, char** argv) {
    return ViewerMain(argc, argv);
}
