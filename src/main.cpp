// lomtra-sat: turns a rectangle of the Earth into one georeferenced satellite image.
#include <cstdio>

int main() {
    std::fputs("lomtra-sat: the main window arrives with a later step of the build.\n", stderr);
    return 0;
}
