/*
 * Tabulon plug-in interface.
 *
 * A plug-in is a shared object (a file whose name ends in ".so", in any
 * letter case) placed in the program's folder or one of its subfolders, or
 * in <program folder>/../lib/tabulon/plugins. At start the console loads
 * every such file that exports the three entry points below, with the plain
 * C calling convention (declare them extern "C" in C++):
 *
 *     const char* PlugInGetInfo(void);
 *     void        PlugInInit(const TabulonMethodList* methods, void* mainWindow);
 *     TabulonPlugInFunc PlugInGetFunc(int index, const char** group,
 *                                     const char** caption, const char** sysName);
 *
 * The host calls them in this order for each library:
 *   1. PlugInGetInfo: a text naming the author and the version.
 *   2. PlugInInit, once: the table of host callbacks (valid until the
 *      library is unloaded when the program ends) and the console's main
 *      window as an opaque pointer (a QWidget*; a plug-in that shows no
 *      windows of its own has no use for it).
 *   3. PlugInGetFunc with index 0, 1, 2, ... until it returns NULL (at most
 *      10000 functions per library). Each function goes to the side bar page
 *      named by *group, listed as *caption; *sysName is its internal name.
 *      A function with an empty caption is not listed but keeps its index.
 *
 * A library that cannot be loaded or lacks an entry point is passed over
 * silently.
 *
 * Text: every text crossing the interface is UTF-8, zero-terminated. A NULL
 * text passed to the host counts as the empty text. A text the host returns
 * points into one buffer of the host, which the next host call returning a
 * text overwrites: copy it when it must live longer.
 *
 * Everything runs on the console's one thread; host callbacks may only be
 * called from within a plug-in function (or PlugInInit), never from a thread
 * of the plug-in.
 *
 * The example plug-in in plugins/sample of the source tree calls every
 * callback of the table.
 */
#ifndef TABULON_PLUGIN_H
#define TABULON_PLUGIN_H

#include <stdint.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The layout of the method and property lists below. A plug-in built for
 * another layout should do nothing in PlugInInit and offer no functions. */
#define TABULON_PLUGIN_VERSION 1

/* ------------------------------------------------------------ host methods */

/* One host callback: its name (see the table below) and its address, to be
 * cast to the matching Tabulon...Fn type. */
typedef struct TabulonMethod {
    const char* Name;
    void* Address;
} TabulonMethod;

typedef struct TabulonMethodList {
    int Version; /* TABULON_PLUGIN_VERSION of the host */
    int Count;
    const TabulonMethod* Items;
} TabulonMethodList;

/* The address of the callback called name (exact spelling), NULL when the
 * host has none of that name. */
static inline void* TabulonFindMethod(const TabulonMethodList* list, const char* name) {
    int i;
    if (list == NULL || name == NULL) return NULL;
    for (i = 0; i < list->Count; ++i)
        if (list->Items[i].Name != NULL && strcmp(list->Items[i].Name, name) == 0) return list->Items[i].Address;
    return NULL;
}

/* ------------------------------------------------------------ properties */

/* A plug-in function receives the property list of its call: (Name, Value)
 * pairs the host puts there before the call ("TestParamName" with
 * "TestParamValue", "TabulonVersion" with the console's version as nine
 * digits, "TabulonInterface" with TABULON_PLUGIN_VERSION as nine digits).
 * The function may read them and add its own; the list lives until the
 * function returns. */
typedef struct TabulonProperty {
    const char* Name;
    const char* Value;
} TabulonProperty;

typedef struct TabulonPropertyList {
    int Version; /* TABULON_PLUGIN_VERSION */
    int Count;
    const TabulonProperty* Items; /* may move when a property is added */
    void* Host;                   /* the host's own; do not touch */
    /* Adds a copy of (name, value); 1 on success. Use TabulonAddProperty. */
    int (*Add)(struct TabulonPropertyList* list, const char* name, const char* value);
} TabulonPropertyList;

static inline int TabulonPropertyCount(const TabulonPropertyList* list) { return list ? list->Count : 0; }

static inline const char* TabulonPropertyName(const TabulonPropertyList* list, int i) {
    return list && i >= 0 && i < list->Count ? list->Items[i].Name : NULL;
}

static inline const char* TabulonPropertyValue(const TabulonPropertyList* list, int i) {
    return list && i >= 0 && i < list->Count ? list->Items[i].Value : NULL;
}

/* The value of the first property called name (ASCII letters compared
 * without case), NULL when there is none. */
static inline const char* TabulonGetProperty(const TabulonPropertyList* list, const char* name) {
    int i;
    if (list == NULL || name == NULL) return NULL;
    for (i = 0; i < list->Count; ++i) {
        const char* a = list->Items[i].Name;
        const char* b = name;
        while (*a && *b) {
            char ca = *a >= 'a' && *a <= 'z' ? (char)(*a - 32) : *a;
            char cb = *b >= 'a' && *b <= 'z' ? (char)(*b - 32) : *b;
            if (ca != cb) break;
            ++a;
            ++b;
        }
        if (*a == 0 && *b == 0) return list->Items[i].Value;
    }
    return NULL;
}

static inline int TabulonAddProperty(TabulonPropertyList* list, const char* name, const char* value) {
    return list && list->Add ? list->Add(list, name, value) : 0;
}

/* ------------------------------------------------------------ entry points */

/* A plug-in function; its result is not used. */
typedef void (*TabulonPlugInFunc)(TabulonPropertyList* properties);

typedef const char* (*TabulonPlugInGetInfoFn)(void);
typedef void (*TabulonPlugInInitFn)(const TabulonMethodList* methods, void* mainWindow);
/* Returns NULL when there is no function with this index. */
typedef TabulonPlugInFunc (*TabulonPlugInGetFuncFn)(int index, const char** group, const char** caption,
                                                     const char** sysName);

/* ------------------------------------------------------------ host callbacks
 *
 * Names in the table, in this order, and their types. Booleans are int:
 * 0 is false, anything else true.
 */

/* "RunDosFile": runs the command line (no terminal window) in that working
 * directory (the console's own when empty) and waits for it to end; 1 when
 * it ran, 0 when it could not be started. A non-zero exit code is reported
 * in the output pane. */
typedef int (*TabulonRunDosFileFn)(const char* commandLine, const char* directory);
/* "DropFile": deletes the file; 1 when it was deleted. */
typedef int (*TabulonDropFileFn)(const char* fileName);
/* "WriteToFile": creates or replaces the file with exactly these bytes; a
 * file is replaced only once the new one is complete. 1 on success. */
typedef int (*TabulonWriteToFileFn)(const char* fileName, const char* text);
/* "GetTempDir": the temporary folder with a trailing '/' ($TMPDIR, else /tmp/). */
typedef const char* (*TabulonGetTempDirFn)(void);
/* "GetOraUser", "GetOraPass": always the empty text (kept for plug-ins
 * written for other consoles). */
typedef const char* (*TabulonGetOraUserFn)(void);
typedef const char* (*TabulonGetOraPassFn)(void);
/* "AddOutText": appends the text to the output pane; line breaks in it
 * start new lines. */
typedef void (*TabulonAddOutTextFn)(const char* text);
/* "AddOutFile": appends the lines of a text file to the output pane; 0 (and
 * an error line) when the file cannot be read. */
typedef int (*TabulonAddOutFileFn)(const char* fileName);
/* "RunSQLAll": runs the text through the console's interpreter as if typed
 * and run with F5 (statements, directives, scripts), with all its output;
 * 1 when no command failed. */
typedef int (*TabulonRunSQLAllFn)(const char* text);
/* "ShowTextFile", "ShowTextstring": show a file or a text read-only in the
 * console's text viewer, 0.8 of the screen wide and high. */
typedef void (*TabulonShowTextFileFn)(const char* caption, const char* fileName);
typedef void (*TabulonShowTextstringFn)(const char* caption, const char* text);
/* "GetSqlText": the first column of the first row of the statement's
 * result; empty when there is no row. A failure prints its message in the
 * output pane and gives the empty text. */
typedef const char* (*TabulonGetSqlTextFn)(const char* sql);
/* "LovSqlString": lets the user choose a row of the statement's result;
 * column 1 of the chosen row, the empty text when the user cancelled. */
typedef const char* (*TabulonLovSqlStringFn)(const char* sql);
/* "LoadInitOrcl": the value of key in a parameter file of "KEY = value"
 * lines ('#' starts a comment), upper-cased; the first word of it, or the
 * whole value when wholeLine is not 0. Empty when absent. */
typedef const char* (*TabulonLoadInitOrclFn)(const char* fileName, const char* key, int wholeLine);
/* "SaveInitOrcl": writes "key = value" (and "    #comment" when comment is
 * not NULL) into such a file: the old line of the key is kept commented out
 * below the new one; a new key is appended. 1 on success. */
typedef int (*TabulonSaveInitOrclFn)(const char* fileName, const char* key, const char* value,
                                     const char* comment);
/* "Confirm": a Yes/No question; 1 for Yes. */
typedef int (*TabulonConfirmFn)(const char* text);

/* The parameter dialog: "QorPrmClear" empties its list, the "QorPrmAdd..."
 * callbacks add one entry each (name, prompt, a SELECT giving a list of
 * values on F2 or "", a SELECT showing the value ('$' stands for it) or "",
 * view: display only, initial value), "QorPrmExec" shows the dialog (1 when
 * the user confirmed) and "QorPrmGet" gives an entry's value as text (empty
 * for an unknown name). */
typedef void (*TabulonQorPrmClearFn)(void);
/* "QorPrmAddS" (text), "QorPrmAddP" (password), "QorPrmAddDir" (folder),
 * "QorPrmAddFile" (file), "QorPrmAddMemo" (several lines). */
typedef void (*TabulonQorPrmAddTextFn)(const char* name, const char* prompt, const char* sqlList,
                                       const char* sqlShow, int view, const char* value);
/* "QorPrmAddD": a date; value in days since 1899-12-30, the fraction the time. */
typedef void (*TabulonQorPrmAddDFn)(const char* name, const char* prompt, const char* sqlList,
                                    const char* sqlShow, int view, double value);
/* "QorPrmAddI": an integer. */
typedef void (*TabulonQorPrmAddIFn)(const char* name, const char* prompt, const char* sqlList,
                                    const char* sqlShow, int view, int value);
/* "QorPrmAddC": an amount of money, in ten-thousandths (12.5 is 125000). */
typedef void (*TabulonQorPrmAddCFn)(const char* name, const char* prompt, const char* sqlList,
                                    const char* sqlShow, int view, int64_t value);
/* "QorPrmAddB": yes (not 0) or no (0). */
typedef void (*TabulonQorPrmAddBFn)(const char* name, const char* prompt, const char* sqlList,
                                    const char* sqlShow, int view, int value);
/* "QorPrmAddCList" (several may be checked), "QorPrmAddRList" (one is):
 * value lists the items separated by commas; sqlList holds the letters of
 * the items checked at first (A for the first item, B for the second ...);
 * the result is the letters of the checked items. */
typedef TabulonQorPrmAddTextFn TabulonQorPrmAddListFn;
typedef int (*TabulonQorPrmExecFn)(void);
typedef const char* (*TabulonQorPrmGetFn)(const char* name);
/* "QorMenuExec": a pick-one menu of the items separated by '^', item
 * itemIndex selected first; the chosen item's index, -1 when cancelled. */
typedef int (*TabulonQorMenuExecFn)(const char* caption, const char* items, int itemIndex);

#ifdef __cplusplus
}
#endif

#endif /* TABULON_PLUGIN_H */
