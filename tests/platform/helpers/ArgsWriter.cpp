// Test helper: writes its arguments after the first, one per line, into the
// file named by the first, then exits with status 7. With "--fds" as the only
// other argument it writes the numbers of its open descriptors instead.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    FILE *f = std::fopen(argv[1], "wb");
    if (!f)
        return 3;
    if (argc == 3 && std::strcmp(argv[2], "--fds") == 0) {
        DIR *dir = opendir("/proc/self/fd");
        if (!dir)
            return 4;
        for (dirent *e; (e = readdir(dir)) != nullptr;) {
            int fd = std::atoi(e->d_name);
            if (e->d_name[0] != '.' && fd != dirfd(dir) && fd != fileno(f))
                std::fprintf(f, "%d\n", fd);
        }
        closedir(dir);
    } else {
        for (int i = 2; i < argc; ++i)
            std::fprintf(f, "%s\n", argv[i]);
    }
    std::fclose(f);
    return 7;
}
