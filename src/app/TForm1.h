#pragma once
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "console/IConsoleHost.h"
#include "console/StackStr.h"
#include "console/TConsole.h"

class QAction;
class QUrl;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QSplitter;
class TBusySplitter;
class TGridPage;
class QTabWidget;
class TQorDialog;
class TQorEditor;
class TQorLovS;
class TQorMemo;
class TQorOutLook;
class TQorTxt;
class TPlugInHost;

// The console window: the output pane above the SQL input editor, the run
// keys, the connection and the settings. It is the interpreter's host.
class TForm1 : public QWidget, public IConsoleHost {
public:
    // connectOnShow: show the database selection when the window first
    // shows (off for tests).
    explicit TForm1(bool connectOnShow = true, QWidget* parent = nullptr);
    ~TForm1() override;

    TConsole& Console() { return *console_; }
    TQorMemo& MOut() { return *out_; }
    TQorEditor& MInp() { return *inp_; }
    StackStr& History() { return *history_; }

    // F5 / Ctrl+Enter: the whole input; F7: the selection.
    void RunAll();
    void RunSelection();
    // F12: closes the connection, asks for a database and opens it.
    void ConnectDatabase();
    void PreviousCommand();
    void NextCommand();
    // The menu commands.
    void RunScript();
    void OpenFile();
    void SaveFile();
    void Commit();
    void Rollback();
    void ClearScreenOut();
    // Scripts kept in the connected database (table sqls_SQL): the input
    // text saved under a name, or replaced by a saved script (not run).
    void SaveToDatabase();
    void LoadFromDatabase();
    // The list of values and the parameter dialog; the window answers their
    // events with the connection.
    TQorLovS& QorLovS() { return *qorLovS_; }
    TQorDialog& QorDialog() { return *qorDialog_; }
    // The named buffers and templates, kept in the settings store.
    void SaveNum();
    void OpenNum();
    void SaveTemplate();
    void InsertTemplate();
    // Shows the ten named slots of nameKey ("BuffName", "ClipName") in the
    // menu form; true and the slot's index when one was chosen.
    bool ChooseSlot(const std::string& title, const std::string& nameKey, int& index);
    // For tests: answer the slot menu and the name prompt without dialogs.
    std::function<bool(const std::string& title, const std::string& list, int& index)> ChooseSlotHook;
    std::function<bool(std::string_view caption, std::string_view prompt, std::string& value)> AskTextHook;
    // Quick buffers on the digit keys of the input editor.
    void StoreQuickBuffer(int digit);
    void InsertQuickBuffer(int digit);
    // Inserts text at the caret, the caret staying before it.
    void InsertAtCaret(const std::string& text);
    std::string QuickBuffersText() const;
    // Ctrl+Up / Ctrl+Down: the input editor 14 pixels higher or lower.
    void ResizeInput(int delta);
    // Ctrl+numeric-pad + / -: one pane's font one size larger or smaller.
    void StepFont(TQorMemo& pane, int delta);
    int InputHeight() const;
    // F1: the user manual beside the program, at the focused pane's section.
    void ShowHelp();
    QUrl HelpUrl() const;
    int HelpContext(const QWidget* w) const;
    QTabWidget* Pages() const { return pages_; }
    TGridPage* GridPage() const { return gridPage_; }
    QMenu* PopupMenu() const { return popup_; }
    TBusySplitter* Splitter() const { return split_; }
    TQorOutLook* SideBar() const { return sideBar_; }
    // "Plugins..." (F11): shows or hides the side bar; the focus goes to
    // the first control of its open page, or back to the input editor.
    void ToggleSideBar();
    // Runs internal tool index of ListBox1 as a command.
    void RunTool(int index);
    // The text viewer (ShowText, the environment tool, plug-ins).
    TQorTxt& QorTxt() { return *qorTxt_; }
    // Writes the settings back (also done when the window closes).
    void SaveSettings();
    bool Running() const { return running_; }
    // Runs text through the interpreter as one command (the command guard;
    // no history, the output kept); false when a command failed or another
    // command runs.
    bool RunCommand(const std::string& text);
    // The plug-ins, loaded when the window is made from the folders of
    // TPlugInHost::DefaultFolders (TABULON_PLUGIN_DIR points elsewhere).
    TPlugInHost& PlugIns() { return *plugIns_; }
    // The desktop session ends or the process is told to terminate: the
    // window closes as when its user closes it. Open dialogs are cancelled;
    // a running command is interrupted and the window closes after it.
    void EndSession();
    // Writes the settings unless the window has already written them on
    // closing (the program may end without a close).
    void SaveSettingsOnce();

    // IConsoleHost
    void PrintLine(std::string_view text) override;
    void ClearOutput() override;
    int OutputLineCount() override;
    void DeleteFirstLines(int count) override;
    bool AskYesNo(std::string_view question, bool destructive) override;
    bool AskText(std::string_view caption, std::string_view prompt, std::string& value) override;
    void ShowMessage(std::string_view text) override;
    void ShowProgress(std::string_view text) override;
    void HideProgress() override;
    void SetBusyMark(int slot, bool on, uint32_t rgb) override;
    bool InterruptRequested() override;
    void ShowText(std::string_view title, std::string_view text) override;
    void ShowTextSized(std::string_view title, std::string_view text, double widthFactor, double heightFactor) override;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // clearOutput: with ClearWind on, the output pane is emptied first.
    void Run(const std::string& text, bool offerToHistory, bool clearOutput);
    // Runs work as a command: no other command starts meanwhile, and input
    // to this window is swallowed but for Ctrl+C, which interrupts. A
    // failure that escapes shows a message box once the guard is off.
    void RunGuarded(const std::function<void()>& work);
    // The side bar takes its stored width when it shows.
    void PlaceSideBar();
    void FocusSideBarPage();
    void UpdateCaption();
    void ApplySettings();
    void BuildMenu();
    bool PaneKey(TQorMemo& pane, QKeyEvent* key);
    bool PaneMouse(TQorMemo& pane, QMouseEvent* mouse);
    bool OnSelectPage() const;

    std::unique_ptr<TConsole> console_;
    std::unique_ptr<StackStr> history_;
    std::unique_ptr<TQorTxt> qorTxt_;
    std::unique_ptr<TQorLovS> qorLovS_;
    std::unique_ptr<TQorDialog> qorDialog_;
    std::unique_ptr<TPlugInHost> plugIns_;
    QTabWidget* pages_;
    TBusySplitter* split_;
    QSplitter* topSplit_;
    TQorOutLook* sideBar_;
    QListWidget* listBox1_;
    QComboBox* cbTables_;
    TGridPage* gridPage_;
    QMenu* popup_;
    std::string quick_[10];
    TQorMemo* out_;
    TQorEditor* inp_;
    QLabel* progress_;
    bool connectOnShow_;
    bool shownOnce_ = false;
    int inputHeight_ = 132;
    bool running_ = false;
    bool interrupt_ = false;
    bool saved_ = false;
    bool closePending_ = false;
    bool stopErrBefore_ = false;
    int outLookWidth_ = 130;
    std::chrono::steady_clock::time_point lastPump_;
};

// The product name and version the caption shows.
inline constexpr const char* kProductName = "Tabulon";
inline constexpr const char* kProductVersion = "00.05";
