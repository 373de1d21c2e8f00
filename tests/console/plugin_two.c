/* A test plug-in: four functions, two of them in one group, one without a
 * caption. Each function reports through the host's "AddOutText" and adds
 * the property "Seen" with the value of "TestParamName". */
#include <stdio.h>

#include "tabulon/plugin.h"

static TabulonAddOutTextFn addOutText;

const char* PlugInGetInfo(void) { return "Test plug-in two, 1.0"; }

void PlugInInit(const TabulonMethodList* methods, void* mainWindow) {
    (void)mainWindow;
    addOutText = (TabulonAddOutTextFn)TabulonFindMethod(methods, "AddOutText");
}

static void Report(TabulonPropertyList* props, const char* who) {
    char line[256];
    const char* seen = TabulonGetProperty(props, "testparamname");
    snprintf(line, sizeof line, "%s ran with %d properties", who, TabulonPropertyCount(props));
    if (addOutText) addOutText(line);
    TabulonAddProperty(props, "Seen", seen ? seen : "(none)");
}

static void First(TabulonPropertyList* props) { Report(props, "first"); }
static void Second(TabulonPropertyList* props) { Report(props, "второй"); }
static void Hidden(TabulonPropertyList* props) { Report(props, "hidden"); }
static void Third(TabulonPropertyList* props) { Report(props, "third"); }

TabulonPlugInFunc PlugInGetFunc(int index, const char** group, const char** caption, const char** sysName) {
    switch (index) {
        case 0: *group = "Группа A"; *caption = "First"; *sysName = "first"; return First;
        case 1: *group = "Группа A"; *caption = "Второй"; *sysName = "second"; return Second;
        case 2: *group = "Группа A"; *caption = ""; *sysName = "hidden"; return Hidden;
        case 3: *group = "Other"; *caption = "Third"; *sysName = "third"; return Third;
        default: return NULL;
    }
}
