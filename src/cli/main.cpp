#include <cstdio>

int main(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    std::fputs("tessivar-cli: no command yet\n", stderr);
    return 2;
}
