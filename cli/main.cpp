#include "cli/driver.h"

int main(int argc, char **argv) { return torvix_main(argc, argv); }
