// Test helper: writes its arguments after the first, one per line, into the
// file named by the first, then exits with status 7.
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    FILE *f = std::fopen(argv[1], "wb");
    if (!f)
        return 3;
    for (int i = 2; i < argc; ++i)
        std::fprintf(f, "%s\n", argv[i]);
    std::fclose(f);
    return 7;
}
