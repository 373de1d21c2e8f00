#pragma once
// The console's side of the plug-ins: loads them when the window is made,
// shows their functions on side bar pages per group, runs a function on
// Enter or a double-click, and answers the host callbacks of the table that
// include/tabulon/plugin.h describes, with the window's panes and dialogs.
#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "console/TQorPlugIn.h"

class QListWidget;
class TForm1;
class TQorOutLookPage;
class TQorRun;

class TPlugInHost : public QObject {
public:
    explicit TPlugInHost(TForm1& window);
    ~TPlugInHost() override;

    // The folders searched at start: those named in TABULON_PLUGIN_DIR
    // (separated by ':'; set but empty: none), otherwise the program's
    // folder and, when it exists, <program folder>/../lib/tabulon/plugins.
    static std::vector<std::string> DefaultFolders();

    // Loads the plug-ins of the folders, subfolders included (once).
    void Load(const std::vector<std::string>& dirs);

    TQorPlugIn& Loader() { return loader_; }
    // The list box of a group's page, nullptr when there is none.
    QListWidget* GroupList(const std::string& group) const;

    // Runs plug-in function number index; nothing while a command runs.
    void RunFunction(int index);

    // The runner of "RunDosFile"; a non-zero exit code is printed.
    TQorRun& Runner() { return *run_; }
    // The list of values of "LovSqlString" (the window's): the first column
    // of the chosen row, empty when the user cancelled or the list was empty.
    std::string ChooseValue(const std::string& sql);

    // Properties the console adds to every call besides ("TestParamName",
    // "TestParamValue"): the console's version and the interface's layout
    // version, nine digits each.
    static constexpr const char* kVersionKey = "TabulonVersion";
    static constexpr const char* kVersionValue = "000000005";
    static constexpr const char* kInterfaceKey = "TabulonInterface";
    static constexpr const char* kInterfaceValue = "000000001";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Group {
        std::string name;
        TQorOutLookPage* page;
        QListWidget* list;
    };
    void AddFunction(const TPlugIn& plugIn, int num);
    static void FillMethods(std::vector<TPlugInMethod>& methods);

    TForm1& window_;
    std::unique_ptr<TQorRun> run_;
    TQorPlugIn loader_;
    std::vector<Group> groups_;
    bool running_ = false;
};
