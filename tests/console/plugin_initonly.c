/* A library that exports only one of the three entry points. */
#include "tabulon/plugin.h"

int initCalls;

void PlugInInit(const TabulonMethodList* methods, void* mainWindow) {
    (void)methods;
    (void)mainWindow;
    ++initCalls;
}
