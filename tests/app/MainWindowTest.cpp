#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "app/TForm1.h"
#include "app/TFrmBase.h"
#include "base/SettingsStore.h"
#include "editor/TQorEditor.h"
#include "editor/TQorMemo.h"

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/tabulon-app-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        setenv("TMPDIR", dir.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string OutText(TForm1& w) { return w.MOut().GetText(); }

    std::filesystem::path dir;
};

}  // namespace

TEST_F(MainWindow, FirstStartRunsTypedCommandsAndKeepsItsSettings) {
    {
        TForm1 w(false);
        EXPECT_EQ(w.width(), 640);
        EXPECT_EQ(w.height(), 480);
        EXPECT_EQ(w.windowTitle(), "Tabulon 00.05  disconnected ");
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));

        w.Console().Settings().ShowTime = false;
        w.Console().Connect(":memory:");
        EXPECT_TRUE(w.windowTitle().startsWith("Tabulon 00.05 [SQLite3.dll - 3."));
        EXPECT_TRUE(w.windowTitle().endsWith("]   :memory: "));

        w.MInp().SetText("create table t(a integer);\r\ninsert into t values(42);\r\nselect a from t;");
        QTest::keyClick(&w.MInp(), Qt::Key_F5);
        EXPECT_EQ(OutText(w),
                  "SQL: create table t(a integer);\r\nprocessed...\r\nSQL: insert into t values(42);\r\nprocessed...\r\n"
                  "1 row inserted...\r\nSQL: select a from t;\r\nA              \r\n-------------- \r\n"
                  "            42 \r\n1 row selected...");
        // The output is cleared before each run; the history recalls texts.
        w.MInp().SetText("select 7 as seven;");
        QTest::keyClick(&w.MInp(), Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(OutText(w).substr(0, 23), "SQL: select 7 as seven;");
        QTest::keyClick(&w.MInp(), Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(w.MInp().GetText(), "create table t(a integer);\r\ninsert into t values(42);\r\nselect a from t;");
        QTest::keyClick(&w.MInp(), Qt::Key_N, Qt::ControlModifier);
        EXPECT_EQ(w.MInp().GetText(), "select 7 as seven;");

        std::filesystem::create_directories(SCREENSHOT_DIR);
        w.grab().save(QString(SCREENSHOT_DIR) + "/main_window.png");
        w.close();
    }
    EXPECT_EQ(ReadString("HKCU\\Software\\QorTabulon\\SqlText", "?"), "select 7 as seven;");
    TForm1 again(false);
    EXPECT_EQ(again.MInp().GetText(), "select 7 as seven;");
}

TEST_F(MainWindow, RecentDatabasesMoveUpAndTheEleventhDropsOut) {
    for (int i = 0; i < 11; ++i) TFrmBase::RememberDatabase("/data/db" + std::to_string(i) + ".sqb");
    TFrmBase::RememberDatabase("/data/db5.sqb");
    const auto list = TFrmBase::RecentDatabases();
    ASSERT_EQ(list.size(), 10u);
    EXPECT_EQ(list[0], "/data/db5.sqb");
    EXPECT_EQ(list[1], "/data/db10.sqb");
    EXPECT_EQ(list[9], "/data/db1.sqb");  // db0 dropped out, db5 only once
    EXPECT_EQ(ReadString("HKCU\\Software\\Tabulon\\DatabaseCount", ""), "10");
}

TEST_F(MainWindow, TheSelectionFormListsOneFolderAndCreatesNewFiles) {
    std::filesystem::create_directory(dir / "sub");
    for (const char* f : {"b.sqb", "a.sqb", "c.txt"}) std::ofstream(dir / f) << "";
    TFrmBase form(dir.string());
    QStringList items;
    for (int i = 0; i < form.FileList()->count(); ++i) items << form.FileList()->item(i)->text();
    EXPECT_EQ(items, QStringList({"[..]", "[sub]", "a.sqb", "b.sqb"}));
    form.FileList()->setCurrentRow(2);
    QTest::keyClick(form.FileList(), Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Path(), (dir / "a.sqb").string());

    TFrmBase create(dir.string());
    create.CreateNew()->setChecked(true);
    create.History()->setEditText(QString::fromStdString((dir / "new.sqb").string()));
    QTest::keyClick(create.History(), Qt::Key_Return);
    EXPECT_EQ(create.result(), QDialog::Accepted);
    EXPECT_TRUE(std::filesystem::exists(dir / "new.sqb"));
}
