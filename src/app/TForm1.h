#pragma once
#include <QWidget>
#include <chrono>
#include <memory>
#include <string>

#include "console/IConsoleHost.h"
#include "console/StackStr.h"
#include "console/TConsole.h"

class QLabel;
class QSplitter;
class TQorEditor;
class TQorMemo;

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
    // Writes the settings back (also done when the window closes).
    void SaveSettings();
    bool Running() const { return running_; }

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

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Run(const std::string& text, bool offerToHistory);
    void UpdateCaption();
    void ApplySettings();

    std::unique_ptr<TConsole> console_;
    std::unique_ptr<StackStr> history_;
    QSplitter* split_;
    TQorMemo* out_;
    TQorEditor* inp_;
    QLabel* marks_[2];
    QLabel* progress_;
    bool connectOnShow_;
    bool shownOnce_ = false;
    bool running_ = false;
    bool interrupt_ = false;
    bool saved_ = false;
    std::chrono::steady_clock::time_point lastPump_;
};

// The product name and version the caption shows.
inline constexpr const char* kProductName = "Tabulon";
inline constexpr const char* kProductVersion = "00.05";
