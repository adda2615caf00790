#include <cstdio>

int main() {
    std::puts("usage: trelmlink <command> [options]");
    return 0;
}
