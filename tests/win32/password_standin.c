/* A stand-in for password.cpl of the older Windows family, which Wine does
 * not have. It exports VerifyScreenSavePwd and answers as the test wants:
 *   GLINTMOOR_PASSWORD_ANSWER  "refuse" answers 0 (wrong password or
 *                              cancelled); anything else answers 1
 *   GLINTMOOR_PASSWORD_LOG     a file that gets one line "asked" per call
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

__declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    (void)window;
    const char* log = getenv("GLINTMOOR_PASSWORD_LOG");
    if (log) {
        FILE* f = fopen(log, "a");
        if (f) {
            fputs("asked\n", f);
            fclose(f);
        }
    }
    const char* answer = getenv("GLINTMOOR_PASSWORD_ANSWER");
    return !(answer && strcmp(answer, "refuse") == 0);
}
