/* A debugger library that exports "Show" and nothing else. It tells that it
   was called through the environment, having no other entry to ask. */
#include <stdio.h>
#include <stdlib.h>

void Show(void) {
    const char* before = getenv("LINK_PROBE_SHOWN");
    char count[16];
    snprintf(count, sizeof count, "%d", (before ? atoi(before) : 0) + 1);
    setenv("LINK_PROBE_SHOWN", count, 1);
}
