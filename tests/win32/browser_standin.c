/* A stand-in web browser: appends the address it is asked to open to the
 * file named by GLINTMOOR_BROWSER_LOG (one line each) and ends. */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    const char* log = getenv("GLINTMOOR_BROWSER_LOG");
    FILE* f = log ? fopen(log, "a") : NULL;
    if (!f) return 1;
    fprintf(f, "%s\n", argc > 1 ? argv[1] : "");
    fclose(f);
    return 0;
}
