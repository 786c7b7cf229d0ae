/* The smallest 32-bit Windows program: tools/wine-run runs it through Wine's
   32-bit loader to find out whether this machine runs 32-bit code. */
#include <stdio.h>

int main(void) {
    puts("wine32-probe: 32-bit code runs");
    return 0;
}
