/* A debugger library that notes each call, for the bridge's tests:
   probe_log() returns the calls so far, ";"-separated. Built with SHOW_ONLY
   it exports "Show" and none of the other entries. */
#include <stdio.h>
#include <string.h>

static char calls[4096];

static void note(const char* call, const char* argument) {
    const size_t used = strlen(calls);
    snprintf(calls + used, sizeof calls - used, "%s%s;", call, argument);
}

const char* probe_log(void) { return calls; }
void probe_clear(void) { calls[0] = '\0'; }

void Show(void) { note("Show", ""); }

#ifndef SHOW_ONLY
void SetTitle(const char* title) { note("SetTitle ", title); }
void ClosedSerialPort(void) { note("ClosedSerialPort", ""); }
void SetEnable(unsigned char enabled) { note("SetEnable ", enabled ? "1" : "0"); }
void OpenedSerialPort(int handle) {
    char number[16];
    snprintf(number, sizeof number, "%d", handle);
    note("OpenedSerialPort ", number);
}
#endif
