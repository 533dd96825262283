// lomtra-sat: turns a rectangle of the Earth into one georeferenced satellite image.
#include "app/startup.h"

int main(int argc, char** argv) { return app::run_program(argc, argv); }
