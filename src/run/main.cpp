#include "run/driver.h"

int main(int argc, char** argv) { brimvel::RunMain(argc, argv); }
