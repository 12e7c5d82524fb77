// drevanta-c2c-cli: the command-line companion of the configuration tool.
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::puts("usage: drevanta-c2c-cli COMMAND ...");
        return argc < 2 ? 1 : 0;
    }
    std::fprintf(stderr, "drevanta-c2c-cli: unknown command '%s'\n", argv[1]);
    return 1;
}
