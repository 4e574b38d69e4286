// showroom's entry point; the program takes no arguments.
#include "app/showroom.h"

int main() { return ShowroomMain(); }
