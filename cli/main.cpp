// grabwell-cli: the same core as the desktop program, without a display.
#include <cstdio>

int main(int argc, char** argv) {
    std::puts("grabwell-cli");
    return 0;
}
