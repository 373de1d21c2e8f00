#pragma once
#include <QDialog>
#include <string>

#include "console/ConsoleSettings.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

// The options dialog "Config Tabulon": edits the console settings of the
// running window. Enter walks the controls, Ctrl+Enter takes the values
// back, Esc leaves everything as it was.
class TFrm_Config : public QDialog {
public:
    // `outputLines` is the output pane's current line count, shown beside
    // the buffer length so the user can judge the limit.
    TFrm_Config(const ConsoleSettings& settings, int outputLines, QWidget* parent = nullptr);

    // Runs the dialog modally; on OK the edited values are written into
    // `settings` (DllName, Prompt, LongStr, DelStr, CharLong, LHist,
    // ClearWind, StopErr, WidthFld, HeaderOn, EchoOn, ShowTime, Win1251Db, StartSQL)
    // and true is returned. On Cancel `settings` is untouched.
    static bool Edit(ConsoleSettings& settings, int outputLines, QWidget* parent = nullptr);

    // Copies the controls into `settings`; an empty number field gives 0.
    void TakeBack(ConsoleSettings& settings) const;

    // Item order of `CheckList`.
    enum Switch { ClearWind, StopErr, WidthFld, HeaderOn, EchoOn, ShowTime, Win1251Db, SwitchCount };

    QLineEdit* DllName_() const { return dllName_; }
    QLineEdit* Cmd_() const { return cmd_; }
    QLineEdit* Longstr_() const { return longStr_; }
    QLineEdit* DelStr_() const { return delStr_; }
    QLineEdit* CharLong_() const { return charLong_; }
    QLineEdit* Hist_() const { return hist_; }
    QListWidget* CheckList() const { return checkList_; }
    QPlainTextEdit* StartSQL_() const { return startSql_; }
    QLabel* LongstrLabel() const { return longStrLabel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* dllName_;
    QLineEdit* cmd_;
    QLineEdit* longStr_;
    QLineEdit* delStr_;
    QLineEdit* charLong_;
    QLineEdit* hist_;
    QListWidget* checkList_;
    QPlainTextEdit* startSql_;
    QLabel* longStrLabel_;
    // The start-up text as it was given, so an untouched box gives it back
    // byte for byte whatever its line breaks were.
    std::string startSqlGiven_;
    QString startSqlShown_;
};
