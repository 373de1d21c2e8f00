#pragma once
// What the window tests share: a temporary folder that holds the settings
// and the temporary files, the console window shown and active, the sqlite3
// shell as a second connection to a file, screenshots.
#include <QApplication>
#include <QProcess>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

#include "../base/TempDir.h"
#include "WindowDriver.h"
#include "app/TForm1.h"
#include "base/SettingsStore.h"
#include "editor/TQorEditor.h"
#include "editor/TQorMemo.h"

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp.SetEnv("XDG_CONFIG_HOME", temp.Path().c_str());
        temp.SetEnv("TMPDIR", temp.Path().c_str());
    }

    // Shows w as the active window.
    static void Show(QWidget& w) {
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }
    // Shows w, active, the input editor focused; connected to db when one is
    // given, the run times left out of the output.
    static void Open(TForm1& w, const std::string& db = "") {
        if (!db.empty()) {
            w.Console().Settings().ShowTime = false;
            w.Console().Connect(db);
        }
        Show(w);
        w.MInp().setFocus();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), &w.MInp());
    }
    static std::string Out(TForm1& w) { return w.MOut().GetText(); }

    // What the sqlite3 shell prints for sql on file (rows as a|b lines),
    // its error text when it fails.
    static std::string Shell(const std::string& file, const std::string& sql) {
        QProcess p;
        p.start("sqlite3", {QString::fromStdString(file), QString::fromStdString(sql)});
        if (!p.waitForFinished(60000)) return "(shell did not finish)";
        return p.readAllStandardOutput().toStdString() + p.readAllStandardError().toStdString();
    }

    static void Screenshot(QWidget& w, const QString& name) {
        std::filesystem::create_directories(SCREENSHOT_DIR);
        EXPECT_TRUE(w.grab().save(QString(SCREENSHOT_DIR) + "/" + name));
    }

    TempDir temp;
    std::filesystem::path dir{temp.Path()};
};

// The settings of the console window.
inline const std::string kKey = "HKCU\\Software\\QorTabulon\\";
// An endless query that yields a row only now and then: the fetch stays small.
inline const std::string kEndless =
    "select x from (with recursive c(x) as (select 1 union all select x + 1 from c) select x from c) "
    "where x % 50000 = 0;";
