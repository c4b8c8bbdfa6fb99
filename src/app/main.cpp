#include <cstdio>

int main(int argc, char** argv)
{
    std::printf("Quillmark core libraries built; the main window is not part of this build yet.\n");
    for (int i = 1; i < argc; ++i)
        std::printf("  would open: %s\n", argv[i]);
    return 0;
}
