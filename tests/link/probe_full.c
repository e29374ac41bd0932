/* A debugger library that notes each call, for the bridge's tests:
   probe_log() returns the calls so far, ";"-separated. Built with SHOW_ONLY
   it exports "Show" and none of the other entries. */
#include <stdio.h>
#include <string.h>

static char calls[4096];

static void note(const char* text) {
    strncat(calls, text, sizeof calls - strlen(calls) - 1);
    strncat(calls, ";", sizeof calls - strlen(calls) - 1);
}

const char* probe_log(void) { return calls; }
void probe_clear(void) { calls[0] = '\0'; }

void Show(void) { note("Show"); }

#ifndef SHOW_ONLY
void SetTitle(const char* title) {
    char text[256];
    snprintf(text, sizeof text, "SetTitle %s", title);
    note(text);
}

void OpenedSerialPort(int handle) {
    char text[64];
    snprintf(text, sizeof text, "OpenedSerialPort %d", handle);
    note(text);
}

void ClosedSerialPort(void) { note("ClosedSerialPort"); }

void SetEnable(unsigned char enabled) { note(enabled ? "SetEnable 1" : "SetEnable 0"); }
#endif
