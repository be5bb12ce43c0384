// Placeholder until the decoder lands: converts nothing and says so.
#include <cstdio>

int main(int argc, char **argv)
{
    std::fprintf(stderr, "SII_Decrypt.exe: %s was not converted: this build has no decoder yet.\n",
                 argc > 1 ? argv[1] : "(no file)");
    return 12;
}
