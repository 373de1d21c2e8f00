/* A plug-in that never says it has no more functions. */
#include "tabulon/plugin.h"

const char* PlugInGetInfo(void) { return "endless"; }

void PlugInInit(const TabulonMethodList* methods, void* mainWindow) {
    (void)methods;
    (void)mainWindow;
}

static void Nothing(TabulonPropertyList* props) { (void)props; }

TabulonPlugInFunc PlugInGetFunc(int index, const char** group, const char** caption, const char** sysName) {
    (void)index;
    *group = "Endless";
    *caption = "again";
    *sysName = "again";
    return Nothing;
}
