/* A tiny Windows program that stands in for Tessimor.exe in a test: it
 * writes its working folder and its arguments, one a line, to started.txt in
 * its working folder (through a temporary name, so the file appears whole). */
#include <direct.h>
#include <stdio.h>

int main(int argc, char** argv)
{
    char folder[4096];
    FILE* out;
    int i;
    if (!_getcwd(folder, sizeof folder))
        return 1;
    out = fopen("started.tmp", "wb");
    if (!out)
        return 1;
    fprintf(out, "%s\n", folder);
    for (i = 1; i < argc; ++i)
        fprintf(out, "%s\n", argv[i]);
    if (fclose(out) != 0)
        return 1;
    return rename("started.tmp", "started.txt") == 0 ? 0 : 1;
}
