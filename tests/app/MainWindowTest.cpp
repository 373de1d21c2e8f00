#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QSplitterHandle>
#include <QUrl>
#include <QTabWidget>
#include <QTimer>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "app/TForm1.h"
#include "app/TBusySplitter.h"
#include "app/TFrmBase.h"
#include "base/Platform.h"
#include "base/TStrings.h"
#include "base/SettingsStore.h"
#include "editor/TQorEditor.h"
#include "editor/TQorMemo.h"
#include "editor/TFont.h"

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
    std::string big;
    {
        TForm1 w(false);
        EXPECT_EQ(w.width(), 640);
        EXPECT_EQ(w.height(), 480);
        EXPECT_EQ(w.windowTitle(), "Tabulon 00.05  disconnected ");
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        EXPECT_EQ(w.InputHeight(), 132);
        const ConsoleSettings& s = w.Console().Settings();
        EXPECT_EQ(s.Prompt, "SQL: ");
        EXPECT_FALSE(s.StopErr);
        EXPECT_TRUE(s.HeaderOn && s.EchoOn && s.ClearWind && s.WidthFld && s.NumPLSQL && s.ShowTime);

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
        // Ctrl+J types the same character 10 as Ctrl+Enter: it runs too.
        w.MInp().SetText("select 8 as eight;");
        QTest::keyClick(&w.MInp(), Qt::Key_J, Qt::ControlModifier);
        EXPECT_EQ(OutText(w).substr(0, 23), "SQL: select 8 as eight;");
        EXPECT_EQ(w.MInp().GetText(), "select 8 as eight;");

        std::filesystem::create_directories(SCREENSHOT_DIR);
        w.grab().save(QString(SCREENSHOT_DIR) + "/main_window.png");
        // A 100 KB input text and a higher input editor survive the restart.
        for (int i = 0; big.size() < 100 * 1024; ++i) big += "select " + std::to_string(i) + " as n; -- \xEF\xF0\xE8\xEC\xE5\xF0\r\n";
        w.MInp().SetText(big);
        QTest::keyClick(&w.MInp(), Qt::Key_Up, Qt::ControlModifier);
        EXPECT_EQ(w.InputHeight(), 146);
        w.close();
        EXPECT_EQ(ReadString("HKCU\\Software\\QorTabulon\\SqlText", "?"), big);
    }
    WriteString("HKCU\\Software\\QorTabulon\\StopErr", "y");  // only "Y" is true
    WriteString("HKCU\\Software\\QorTabulon\\ShowTime", "y");
    TForm1 again(false);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.MInp().GetText(), big);
    EXPECT_EQ(again.InputHeight(), 146);
    EXPECT_FALSE(again.Console().Settings().StopErr);
    EXPECT_FALSE(again.Console().Settings().ShowTime);
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
    std::filesystem::create_directories(SCREENSHOT_DIR);
    form.grab().save(QString(SCREENSHOT_DIR) + "/selection_form.png");
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

TEST_F(MainWindow, TheSelectionFormOpensFilesWithCyrillicAndOtherNames) {
    const std::filesystem::path folder = dir / "\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";  // "папка"
    std::filesystem::create_directory(folder);
    const std::string base = "\xD0\xB1\xD0\xB0\xD0\xB7\xD0\xB0.sqb";  // "база.sqb"
    const std::string han = "\xE6\xBC\xA2.sqb";                               // no ANSI letter for it
    for (const std::string& f : {base, han}) std::ofstream(folder / f) << "";

    TForm1 w(false);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.Console().Settings().ShowTime = false;
    for (const std::string& f : {base, han}) {
        TFrmBase form(folder.string());
        EXPECT_EQ(form.FolderLabel()->text(), QString::fromStdString(folder.string() + "/"));
        const auto found = form.FileList()->findItems(QString::fromStdString(f), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << f;
        form.FileList()->setCurrentItem(found[0]);
        QTest::keyClick(form.FileList(), Qt::Key_Return);
        ASSERT_EQ(form.result(), QDialog::Accepted) << f;

        w.Console().Connect(form.Path());
        ASSERT_TRUE(w.Console().Session().Connected()) << f;
        w.MInp().SetText("create table t(a);");
        QTest::keyClick(&w.MInp(), Qt::Key_F5);
        EXPECT_EQ(OutText(w), "SQL: create table t(a);\r\nprocessed...") << f;
        EXPECT_GT(std::filesystem::file_size(folder / f), 0u) << "the table went to another file than " << f;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 2);
}

TEST_F(MainWindow, PaneKeysPagesAndQuickBuffers) {
    TForm1 w(false);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.Console().Settings().ShowTime = false;
    w.Console().Connect(":memory:");
    w.PrintLine("kept");

    // F7 with nothing selected runs nothing and leaves the output alone.
    w.MInp().SetText("select 1;");
    QTest::keyClick(&w.MInp(), Qt::Key_F7);
    EXPECT_EQ(w.MOut().GetText(), "kept");
    QTest::keyClick(&w.MInp(), Qt::Key_F8);
    EXPECT_EQ(w.MOut().GetText(), "");

    // Quick buffers: store the selection on Ctrl+Shift+3, insert it at the
    // caret with Ctrl+3, the caret staying before it.
    w.MInp().SetText("abc def");
    w.MInp().SelectAll();
    w.StoreQuickBuffer(3);
    w.MInp().SetSelStart(4);
    QTest::keyClick(&w.MInp(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(w.MInp().GetText(), "abcabc def def");
    EXPECT_EQ(w.MInp().GetSelStart(), 4);
    EXPECT_EQ(w.QuickBuffersText().substr(0, 16), "\r0 \r1 \r2 \r3 abc ");

    // Ctrl+Up grows the input editor until it nears the window's height,
    // Ctrl+Down shrinks it down to 32 pixels.
    for (int i = 0; i < 60; ++i) QTest::keyClick(&w.MInp(), Qt::Key_Up, Qt::ControlModifier);
    EXPECT_GE(w.InputHeight(), w.height() - 100 - 14);
    EXPECT_LE(w.InputHeight(), w.height() - 100 + 14);
    for (int i = 0; i < 60; ++i) QTest::keyClick(&w.MInp(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_LE(w.InputHeight(), 32);
    EXPECT_GT(w.InputHeight(), 32 - 14);

    const int size = w.MOut().Font().Size;
    QTest::keyClick(&w.MOut(), Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(w.MOut().Font().Size, size + 1);

    QTest::keyClick(&w.MInp(), Qt::Key_F2);
    EXPECT_EQ(w.Pages()->currentIndex(), 1);
    QTest::keyClick(w.Pages(), Qt::Key_F2);
    EXPECT_EQ(w.Pages()->currentIndex(), 0);
}

TEST_F(MainWindow, CtrlCInterruptsALongSelectAndTheWindowGoesOn) {
    TForm1 w(false);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.Console().Settings().ShowTime = false;
    w.Console().Connect(":memory:");
    w.MInp().SetText(
        "select x from (with recursive c(x) as (select 1 union all select x + 1 from c) select x from c);");
    QTimer::singleShot(300, &w, [&w] { QTest::keyClick(&w.MInp(), Qt::Key_C, Qt::ControlModifier); });
    w.RunAll();
    const std::string out = w.MOut().GetText();
    EXPECT_NE(out.find("??? SQLite ERR-interrupted"), std::string::npos) << out.substr(out.size() - 200);
    EXPECT_FALSE(w.Running());
    w.MInp().SetText("select 'next' as n;");
    w.RunAll();
    EXPECT_NE(w.MOut().GetText().find("1 row selected..."), std::string::npos);
}

TEST_F(MainWindow, NamedBuffersAndTemplates) {
    TForm1 w(false);
    int slot = 4;
    std::string shownList, answer = "my report";
    w.ChooseSlotHook = [&](const std::string&, const std::string& list, int& index) {
        shownList = list;
        index = slot;
        return slot >= 0;
    };
    w.AskTextHook = [&](std::string_view, std::string_view, std::string& value) {
        value = answer;
        return true;
    };
    w.MInp().SetText("select * from report;");
    w.SaveNum();
    EXPECT_EQ(ReadString("HKCU\\Software\\QorTabulon\\Buff4", ""), "select * from report;");
    w.MInp().SetText("");
    w.OpenNum();
    EXPECT_EQ(w.MInp().GetText(), "select * from report;");
    w.OpenNum();
    EXPECT_NE(shownList.find("4 my report^"), std::string::npos) << shownList;
    slot = 7;  // never saved: opening it empties the input
    w.OpenNum();
    EXPECT_EQ(w.MInp().GetText(), "");

    // Without a selection no template is saved (and no menu shown);
    // an empty name writes nothing.
    shownList.clear();
    w.MInp().SetText("where a = 1");
    w.SaveTemplate();
    EXPECT_TRUE(shownList.empty());
    w.MInp().SelectAll();
    answer = "";
    w.SaveTemplate();
    EXPECT_EQ(ReadString("HKCU\\Software\\QorTabulon\\Clip7", "none"), "none");
    answer = "cond";
    w.SaveTemplate();
    w.MInp().SetText("select 1 ;");
    w.MInp().SetSelStart(10);
    w.InsertTemplate();
    EXPECT_EQ(w.MInp().GetText(), "select 1 where a = 1;");
}

TEST(MainWindowHelp, F1OpensTheManualAtTheFocusedPanesSection) {
    TForm1 w(false);
    EXPECT_EQ(w.HelpContext(&w.MOut()), 1300);
    EXPECT_EQ(w.HelpContext(&w.MInp()), 1200);
    EXPECT_EQ(w.HelpContext(&w), 1000);
    w.show();
    w.MOut().setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() == &w.MOut()) {
        EXPECT_EQ(w.HelpUrl().fragment(), "1300");
    }
    EXPECT_TRUE(w.HelpUrl().path().endsWith("/tabulon.html"));
}

TEST_F(MainWindow, F5PrintsWhatTabulonRunPrints) {
    // The transcript tabulon-run is checked against, run in the window.
    std::string script, expected;
    ASSERT_TRUE(ReadFileBytes(GOLDEN_DIR "/basic.sql", script));
    ASSERT_TRUE(ReadFileBytes(GOLDEN_DIR "/basic.out", expected));
    TForm1 w(false);
    w.Console().Settings().ShowTime = false;
    w.Console().Connect(":memory:");
    TStringList lines;
    lines.SetText(script);
    w.MInp().SetText(lines.Text());
    w.RunAll();
    std::string shown = w.MOut().GetText();
    for (size_t p; (p = shown.find("\r\n")) != std::string::npos;) shown.replace(p, 2, "\n");
    EXPECT_EQ(shown + "\n", expected);
}

TEST(MainWindowMarks, BusyMarksSitOnTheSplitterHandle) {
    TForm1 w(false);
    const QColor off = w.Splitter()->palette().color(QPalette::Button);
    EXPECT_EQ(w.Splitter()->Mark(1), off);
    w.SetBusyMark(1, true, 0xFF0000);
    w.SetBusyMark(2, true, 0x008000);
    EXPECT_EQ(w.Splitter()->Mark(1), QColor(255, 0, 0));
    EXPECT_EQ(w.Splitter()->Mark(2), QColor(0, 0x80, 0));
    w.show();
    const QImage handle = w.Splitter()->handle(1)->grab().toImage();
    EXPECT_EQ(handle.pixelColor(35, 3), QColor(255, 0, 0));
    EXPECT_EQ(handle.pixelColor(55, 3), QColor(0, 0x80, 0));
    w.SetBusyMark(1, false, 0);
    EXPECT_EQ(w.Splitter()->Mark(1), off);
}
