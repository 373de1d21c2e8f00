/*
 * The example plug-in for Tabulon.
 *
 * It offers eight functions on two side bar pages ("Sample SQL" and
 * "Sample files") and, across them, calls every host callback. Copy it as
 * the start of a plug-in of your own:
 *
 *   - export the three entry points PlugInGetInfo, PlugInInit and
 *     PlugInGetFunc with the C calling convention;
 *   - in PlugInInit look up the callbacks you need by name and keep them;
 *   - in PlugInGetFunc hand out one function per index and NULL after the
 *     last;
 *   - build a shared object (".so") and put it beside the tabulon program,
 *     in a folder under it, or in <prefix>/lib/tabulon/plugins.
 *
 * Every text is UTF-8. A text a callback returns lives only until the next
 * callback that returns a text: copy it first when you need it longer.
 */
#include <stdio.h>
#include <string.h>

#include "tabulon/plugin.h"

/* ------------------------------------------------------------ the host */

/* The callbacks this plug-in uses, found by name in PlugInInit. A callback
 * the host does not offer stays NULL and its use is left out. */
static struct {
    TabulonRunDosFileFn RunDosFile;
    TabulonDropFileFn DropFile;
    TabulonWriteToFileFn WriteToFile;
    TabulonGetTempDirFn GetTempDir;
    TabulonGetOraUserFn GetOraUser;
    TabulonGetOraPassFn GetOraPass;
    TabulonAddOutTextFn AddOutText;
    TabulonAddOutFileFn AddOutFile;
    TabulonRunSQLAllFn RunSQLAll;
    TabulonShowTextFileFn ShowTextFile;
    TabulonShowTextstringFn ShowTextstring;
    TabulonGetSqlTextFn GetSqlText;
    TabulonLovSqlStringFn LovSqlString;
    TabulonLoadInitOrclFn LoadInitOrcl;
    TabulonSaveInitOrclFn SaveInitOrcl;
    TabulonConfirmFn Confirm;
    TabulonQorPrmClearFn QorPrmClear;
    TabulonQorPrmAddTextFn QorPrmAddS, QorPrmAddP, QorPrmAddDir, QorPrmAddFile, QorPrmAddMemo;
    TabulonQorPrmAddListFn QorPrmAddCList, QorPrmAddRList;
    TabulonQorPrmAddDFn QorPrmAddD;
    TabulonQorPrmAddIFn QorPrmAddI;
    TabulonQorPrmAddCFn QorPrmAddC;
    TabulonQorPrmAddBFn QorPrmAddB;
    TabulonQorPrmExecFn QorPrmExec;
    TabulonQorPrmGetFn QorPrmGet;
    TabulonQorMenuExecFn QorMenuExec;
} host;

static int initialised;

/* Prints one line in the console's output pane. */
static void Say(const char* text) {
    if (host.AddOutText) host.AddOutText(text);
}

/* The temporary folder joined with name, in out. */
static void TempFile(char* out, size_t size, const char* name) {
    snprintf(out, size, "%s%s", host.GetTempDir ? host.GetTempDir() : "/tmp/", name);
}

/* ------------------------------------------------------------ page "Sample SQL" */

/* Creates a small table through the console's interpreter (the output pane
 * shows every statement and its outcome as if typed) and asks the database
 * for a single value. */
static void DemoTable(TabulonPropertyList* props) {
    (void)props;
    char line[256];
    if (!host.RunSQLAll || !host.GetSqlText) return;
    if (!host.RunSQLAll("create table if not exists plugin_demo(id integer primary key, name text);\n"
                        "delete from plugin_demo;\n"
                        "insert into plugin_demo(name) values('Ann');\n"
                        "insert into plugin_demo(name) values('Борис');\n"
                        "insert into plugin_demo(name) values('Zoë');\n"
                        "select id, name from plugin_demo order by id;")) {
        Say("Sample: the demo table could not be made (is a database open?)");
        return;
    }
    snprintf(line, sizeof line, "Sample: plugin_demo holds %s rows",
             host.GetSqlText("select count(*) from plugin_demo"));
    Say(line);
}

/* Lets the user pick a row from a list of values. */
static void ChooseRow(TabulonPropertyList* props) {
    (void)props;
    char line[256];
    const char* chosen;
    if (!host.LovSqlString) return;
    chosen = host.LovSqlString("select name from plugin_demo order by name");
    if (chosen[0] == 0)
        Say("Sample: nothing chosen");
    else {
        snprintf(line, sizeof line, "Sample: chosen %s", chosen);
        Say(line);
    }
}

/* Asks for one value of every kind in the parameter dialog and prints what
 * the user entered. */
static void Parameters(TabulonPropertyList* props) {
    static const char* const names[] = {"TITLE", "SECRET", "DAY", "COUNT", "PRICE", "ACTIVE",
                                        "FOLDER", "REPORT", "NOTE", "COLOURS", "SIZE"};
    char line[1024];
    size_t i;
    (void)props;
    if (!host.QorPrmClear || !host.QorPrmExec || !host.QorPrmGet) return;
    host.QorPrmClear();
    /* name, prompt, list-of-values query, display query, display only, value */
    host.QorPrmAddS("TITLE", "Title", "", "", 0, "Отчёт");
    host.QorPrmAddP("SECRET", "Password", "", "", 0, "");
    host.QorPrmAddD("DAY", "Day", "", "", 0, 46000.0); /* 9 December 2025 */
    host.QorPrmAddI("COUNT", "Count", "", "", 0, 10);
    host.QorPrmAddC("PRICE", "Price", "", "", 0, 125000); /* 12.5 */
    host.QorPrmAddB("ACTIVE", "Active", "", "", 0, 1);
    host.QorPrmAddDir("FOLDER", "Folder", "", "", 0, host.GetTempDir ? host.GetTempDir() : "/tmp/");
    host.QorPrmAddFile("REPORT", "Report file", "", "", 0, "");
    host.QorPrmAddMemo("NOTE", "Note", "", "", 0, "");
    host.QorPrmAddCList("COLOURS", "Colours", "AC", "", 0, "red,green,blue");
    host.QorPrmAddRList("SIZE", "Size", "B", "", 0, "small,medium,large");
    if (!host.QorPrmExec()) {
        Say("Sample: parameters cancelled");
        return;
    }
    for (i = 0; i < sizeof names / sizeof names[0]; ++i) {
        snprintf(line, sizeof line, "Sample: %s = %s", names[i], host.QorPrmGet(names[i]));
        Say(line);
    }
}

/* A pick-one menu and a Yes/No question. */
static void Menu(TabulonPropertyList* props) {
    char line[256];
    int chosen;
    (void)props;
    if (!host.QorMenuExec || !host.Confirm) return;
    chosen = host.QorMenuExec("Colour", "red^green^blue", 0);
    snprintf(line, sizeof line, "Sample: menu item %d", chosen);
    Say(line);
    if (host.RunSQLAll && host.Confirm("Drop the table plugin_demo?")) host.RunSQLAll("drop table if exists plugin_demo;");
}

/* ------------------------------------------------------------ page "Sample files" */

/* Writes a text file, prints it, shows it in the text viewer and deletes it. */
static void Files(TabulonPropertyList* props) {
    char file[512];
    (void)props;
    if (!host.WriteToFile || !host.AddOutFile || !host.DropFile) return;
    TempFile(file, sizeof file, "tabulon-sample.txt");
    if (!host.WriteToFile(file, "Written by the sample plug-in\nПривет, мир\n")) {
        Say("Sample: cannot write the file");
        return;
    }
    host.AddOutFile(file);
    if (host.ShowTextFile) host.ShowTextFile("Sample file", file);
    host.DropFile(file);
}

/* Keeps a value in a parameter file of its own and reads it back. */
static void ParamFile(TabulonPropertyList* props) {
    char file[512];
    char line[512];
    (void)props;
    if (!host.SaveInitOrcl || !host.LoadInitOrcl) return;
    TempFile(file, sizeof file, "tabulon-sample.par");
    host.SaveInitOrcl(file, "User", "Scott Tiger", "who runs the sample");
    snprintf(line, sizeof line, "Sample: USER = %s", host.LoadInitOrcl(file, "user", 1));
    Say(line);
}

/* Runs a program and prints what it wrote into a file. */
static void Run(TabulonPropertyList* props) {
    char dir[512];
    char file[512];
    (void)props;
    if (!host.RunDosFile || !host.AddOutFile) return;
    TempFile(dir, sizeof dir, "");
    TempFile(file, sizeof file, "tabulon-sample-run.txt");
    if (!host.RunDosFile("sh -c 'echo ran in \"$PWD\" > tabulon-sample-run.txt'", dir)) {
        Say("Sample: the command did not start");
        return;
    }
    host.AddOutFile(file);
    if (host.DropFile) host.DropFile(file);
}

/* Shows the properties of this call in the output pane and the text viewer. */
static void Properties(TabulonPropertyList* props) {
    char text[2048];
    size_t used = 0;
    int i;
    used += (size_t)snprintf(text, sizeof text, "User: '%s'", host.GetOraUser ? host.GetOraUser() : "");
    used += (size_t)snprintf(text + used, sizeof text - used, "\nPassword: '%s'",
                             host.GetOraPass ? host.GetOraPass() : "");
    for (i = 0; i < TabulonPropertyCount(props) && used < sizeof text; ++i)
        used += (size_t)snprintf(text + used, sizeof text - used, "\n%s = %s", TabulonPropertyName(props, i),
                                 TabulonPropertyValue(props, i));
    Say(text);
    if (host.ShowTextstring) host.ShowTextstring("Sample properties", text);
}

/* ------------------------------------------------------------ entry points */

const char* PlugInGetInfo(void) { return "Tabulon sample plug-in 1.0, the Tabulon developers"; }

/* Looks a callback up by its name and keeps it with its type. */
#define FIND(name, type) host.name = (type)TabulonFindMethod(methods, #name)

void PlugInInit(const TabulonMethodList* methods, void* mainWindow) {
    (void)mainWindow; /* this plug-in opens no windows of its own */
    if (methods == NULL || methods->Version != TABULON_PLUGIN_VERSION) return;
    FIND(RunDosFile, TabulonRunDosFileFn);
    FIND(DropFile, TabulonDropFileFn);
    FIND(WriteToFile, TabulonWriteToFileFn);
    FIND(GetTempDir, TabulonGetTempDirFn);
    FIND(GetOraUser, TabulonGetOraUserFn);
    FIND(GetOraPass, TabulonGetOraPassFn);
    FIND(AddOutText, TabulonAddOutTextFn);
    FIND(AddOutFile, TabulonAddOutFileFn);
    FIND(RunSQLAll, TabulonRunSQLAllFn);
    FIND(ShowTextFile, TabulonShowTextFileFn);
    FIND(ShowTextstring, TabulonShowTextstringFn);
    FIND(GetSqlText, TabulonGetSqlTextFn);
    FIND(LovSqlString, TabulonLovSqlStringFn);
    FIND(LoadInitOrcl, TabulonLoadInitOrclFn);
    FIND(SaveInitOrcl, TabulonSaveInitOrclFn);
    FIND(Confirm, TabulonConfirmFn);
    FIND(QorPrmClear, TabulonQorPrmClearFn);
    FIND(QorPrmAddS, TabulonQorPrmAddTextFn);
    FIND(QorPrmAddP, TabulonQorPrmAddTextFn);
    FIND(QorPrmAddD, TabulonQorPrmAddDFn);
    FIND(QorPrmAddI, TabulonQorPrmAddIFn);
    FIND(QorPrmAddC, TabulonQorPrmAddCFn);
    FIND(QorPrmAddB, TabulonQorPrmAddBFn);
    FIND(QorPrmAddDir, TabulonQorPrmAddTextFn);
    FIND(QorPrmAddFile, TabulonQorPrmAddTextFn);
    FIND(QorPrmAddMemo, TabulonQorPrmAddTextFn);
    FIND(QorPrmAddCList, TabulonQorPrmAddListFn);
    FIND(QorPrmAddRList, TabulonQorPrmAddListFn);
    FIND(QorPrmExec, TabulonQorPrmExecFn);
    FIND(QorPrmGet, TabulonQorPrmGetFn);
    FIND(QorMenuExec, TabulonQorMenuExecFn);
    initialised = 1;
}

static const struct {
    const char* group;
    const char* caption;
    const char* sysName;
    TabulonPlugInFunc function;
} functions[] = {
    {"Sample SQL", "Demo table", "demo_table", DemoTable},
    {"Sample SQL", "Choose a row", "choose_row", ChooseRow},
    {"Sample SQL", "Parameters", "parameters", Parameters},
    {"Sample SQL", "Menu and question", "menu", Menu},
    {"Sample files", "Write and show a file", "files", Files},
    {"Sample files", "Parameter file", "param_file", ParamFile},
    {"Sample files", "Run a command", "run", Run},
    {"Sample files", "Properties", "properties", Properties},
};

TabulonPlugInFunc PlugInGetFunc(int index, const char** group, const char** caption, const char** sysName) {
    if (!initialised || index < 0 || index >= (int)(sizeof functions / sizeof functions[0])) return NULL;
    *group = functions[index].group;
    *caption = functions[index].caption;
    *sysName = functions[index].sysName;
    return functions[index].function;
}
