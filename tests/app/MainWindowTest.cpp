#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "WindowTest.h"
#include "app/TBusySplitter.h"
#include "app/TFrmAbout.h"
#include "app/TFrmBase.h"
#include "app/TGridPage.h"
#include "base/Platform.h"
#include "editor/TFont.h"
#include "editor/TQorOutLook.h"

using namespace windowdriver;

using MainWindow = WindowTest;

TEST_F(MainWindow, FirstStartRunsTypedCommandsAndKeepsItsSettings) {
    std::string big;
    {
        TForm1 w(false);
        EXPECT_EQ(w.size(), QSize(640, 480));
        EXPECT_EQ(w.windowTitle(), "Tabulon 00.05  disconnected ");
        Show(w);
        EXPECT_EQ(w.InputHeight(), 132);

        w.Console().Settings().ShowTime = false;
        w.Console().Connect(":memory:");
        EXPECT_TRUE(w.windowTitle().startsWith("Tabulon 00.05 [SQLite3.dll - 3."));
        EXPECT_TRUE(w.windowTitle().endsWith("]   :memory: "));

        w.MInp().SetText("create table t(a integer);\ninsert into t values(42);\nselect a from t;");
        QTest::keyClick(&w.MInp(), Qt::Key_F5);
        EXPECT_EQ(Out(w),
                  "SQL: create table t(a integer);\nprocessed...\nSQL: insert into t values(42);\nprocessed...\n"
                  "1 row inserted...\nSQL: select a from t;\nA              \n-------------- \n"
                  "            42 \n1 row selected...");
        // The output is cleared before each run; the history recalls texts.
        w.MInp().SetText("select 7 as seven;");
        QTest::keyClick(&w.MInp(), Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(Out(w).substr(0, 23), "SQL: select 7 as seven;");
        QTest::keyClick(&w.MInp(), Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(w.MInp().GetText(), "create table t(a integer);\ninsert into t values(42);\nselect a from t;");
        QTest::keyClick(&w.MInp(), Qt::Key_N, Qt::ControlModifier);
        EXPECT_EQ(w.MInp().GetText(), "select 7 as seven;");
        // Ctrl+J types the same character 10 as Ctrl+Enter: it runs too.
        w.MInp().SetText("select 8 as eight;");
        QTest::keyClick(&w.MInp(), Qt::Key_J, Qt::ControlModifier);
        EXPECT_EQ(Out(w).substr(0, 23), "SQL: select 8 as eight;");
        EXPECT_EQ(w.MInp().GetText(), "select 8 as eight;");
        Screenshot(w, "main_window.png");

        // A 100 KB input text and a higher input editor survive the restart.
        for (int i = 0; big.size() < 100 * 1024; ++i) big += "select " + std::to_string(i) + " as n; -- \xEF\xF0\xE8\xEC\xE5\xF0\n";
        w.MInp().SetText(big);
        QTest::keyClick(&w.MInp(), Qt::Key_Up, Qt::ControlModifier);
        EXPECT_EQ(w.InputHeight(), 146);
        w.close();
        EXPECT_EQ(ReadString(kKey + "SqlText", "?"), big);
    }
    TForm1 again(false);
    Show(again);
    EXPECT_EQ(again.MInp().GetText(), big);
    EXPECT_EQ(again.InputHeight(), 146);
}

TEST_F(MainWindow, TheSelectionFormListsOneFolderOpensCyrillicNamesCreatesFilesAndKeepsTen) {
    std::filesystem::create_directory(dir / "sub");
    for (const char* f : {"b.sqb", "a.sqb", "c.txt"}) std::ofstream(dir / f) << "";
    TFrmBase form(dir.string());
    QStringList items;
    for (int i = 0; i < form.FileList()->count(); ++i) items << form.FileList()->item(i)->text();
    EXPECT_EQ(items, QStringList({"[..]", "[sub]", "a.sqb", "b.sqb"}));
    Screenshot(form, "selection_form.png");
    TFrmBase create(dir.string());
    create.CreateNew()->setChecked(true);
    create.History()->setEditText(QString::fromStdString((dir / "new.sqb").string()));
    QTest::keyClick(create.History(), Qt::Key_Return);
    EXPECT_TRUE(std::filesystem::exists(dir / "new.sqb"));

    // "папка" holds "база.sqb" and a name with no ANSI letter.
    const std::filesystem::path folder = dir / "\xD0\xBF\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";
    std::filesystem::create_directory(folder);
    const std::string base = "\xD0\xB1\xD0\xB0\xD0\xB7\xD0\xB0.sqb", han = "\xE6\xBC\xA2.sqb";
    for (const std::string& f : {base, han}) std::ofstream(folder / f) << "";
    TForm1 w(false);
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
        w.Console().Session().ExecSQL("create table t(a)");
        EXPECT_GT(std::filesystem::file_size(folder / f), 0u) << "the table went to another file than " << f;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 2);

    // The recent databases: a name used again moves up, the eleventh drops out.
    for (int i = 0; i < 11; ++i) TFrmBase::RememberDatabase("/data/db" + std::to_string(i) + ".sqb");
    TFrmBase::RememberDatabase("/data/db5.sqb");
    const auto list = TFrmBase::RecentDatabases();
    ASSERT_EQ(list.size(), 10u);
    EXPECT_EQ(list[0], "/data/db5.sqb");
    EXPECT_EQ(list[9], "/data/db1.sqb");  // db0 dropped out, db5 only once
    EXPECT_EQ(ReadString("HKCU\\Software\\Tabulon\\DatabaseCount", ""), "10");
}

TEST_F(MainWindow, PaneKeysHelpContextsAndBusyMarks) {
    TForm1 w(false);
    Open(w, ":memory:");
    w.PrintLine("kept");
    // F7 with nothing selected runs nothing and leaves the output alone.
    w.MInp().SetText("select 1;");
    QTest::keyClick(&w.MInp(), Qt::Key_F7);
    EXPECT_EQ(Out(w), "kept");
    QTest::keyClick(&w.MInp(), Qt::Key_F8);
    EXPECT_EQ(Out(w), "");

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

    // F1 opens the manual at the focused pane's section.
    EXPECT_TRUE(w.HelpUrl().path().endsWith("/tabulon.html"));
    w.MOut().setFocus();
    QApplication::processEvents();
    EXPECT_EQ(w.HelpUrl().fragment(), "1300");

    // The busy marks sit on the splitter's handle.
    const QColor off = w.Splitter()->palette().color(QPalette::Button);
    w.SetBusyMark(1, true, 0xFF0000);
    const QImage handle = w.Splitter()->handle(1)->grab().toImage();
    EXPECT_EQ(handle.pixelColor(35, 3), QColor(255, 0, 0));
    w.SetBusyMark(1, false, 0);
    EXPECT_EQ(w.Splitter()->Mark(1), off);
}

TEST_F(MainWindow, NamedAndQuickBuffersAndTemplatesGoInAtTheCaret) {
    TForm1 w(false);
    Open(w);
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
    EXPECT_EQ(ReadString(kKey + "Buff4", ""), "select * from report;");
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
    EXPECT_EQ(ReadString(kKey + "Clip7", "none"), "none");
    answer = "cond";
    w.SaveTemplate();
    EXPECT_EQ(ReadString(kKey + "Clip7", "none"), "where a = 1");
    // Insert Template (Ctrl+T) puts it at the caret, here before the ";".
    w.MInp().SetText("select a from t ;");
    QTest::keyClick(Focused(&w), Qt::Key_End);
    QTest::keyClick(Focused(&w), Qt::Key_Left);
    QTest::keyClick(Focused(&w), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(w.MInp().GetText(), "select a from t where a = 1;");
    EXPECT_EQ(w.MInp().GetSelStart(), 16);

    // Quick buffers: Ctrl+Shift+digit stores the selection and leaves the
    // text; X11 reports the key as the shifted symbol ('#' for 3).
    for (int d = 0; d <= 9; ++d) {
        w.MInp().SetText("b" + std::to_string(d));
        w.MInp().SelectAll();
        CtrlShiftDigit(Focused(&w), d);
    }
    EXPECT_EQ(w.MInp().GetText(), "b9");
    EXPECT_EQ(w.QuickBuffersText(), "\r0 b0\r1 b1\r2 b2\r3 b3\r4 b4\r5 b5\r6 b6\r7 b7\r8 b8\r9 b9");
    // Ctrl+3 with the caret at the end of the text: the buffer follows the
    // ";", and the caret stays before it.
    w.MInp().SetText("select 1;");
    QTest::keyClick(Focused(&w), Qt::Key_End, Qt::ControlModifier);
    CtrlDigit(Focused(&w), 3);
    EXPECT_EQ(w.MInp().GetText(), "select 1;b3");
    EXPECT_EQ(w.MInp().GetSelStart(), 9);
    // ... and in the middle of a line after UTF-8 text.
    w.MInp().SetText("-- \xD0\xB8\xD0\xBC\xD1\x8F;");  // "-- имя;"
    QTest::keyClick(Focused(&w), Qt::Key_End);
    QTest::keyClick(Focused(&w), Qt::Key_Left);
    CtrlDigit(Focused(&w), 3);
    EXPECT_EQ(w.MInp().GetText(), "-- \xD0\xB8\xD0\xBC\xD1\x8F" "b3;");
    // Other layouts print other symbols on the same keys: Shift+3 is '№' on
    // a Russian one.
    w.MInp().SetText("ru");
    w.MInp().SelectAll();
    X11Key(Focused(&w), 0x2116, Qt::ControlModifier | Qt::ShiftModifier, DigitScanCode(3), 0x6b0, QString(QChar(0x2116)));
    EXPECT_EQ(w.QuickBuffersText(), "\r0 b0\r1 b1\r2 b2\r3 ru\r4 b4\r5 b5\r6 b6\r7 b7\r8 b8\r9 b9");
    // A French layout types '&' on the 1 key without Shift: Ctrl+& is Ctrl+1.
    w.MInp().SetText("");
    X11Key(Focused(&w), Qt::Key_Ampersand, Qt::ControlModifier, DigitScanCode(1), 0x26, "&");
    EXPECT_EQ(w.MInp().GetText(), "b1");
    // The numeric pad's digits are not the buffers' keys.
    w.MInp().SetText("x");
    X11Key(Focused(&w), Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier, 87, 0xffb1, "1");
    EXPECT_EQ(w.MInp().GetText().find("b1"), std::string::npos);
}

TEST_F(MainWindow, RunScriptKeepsTheOutputFileNamesGetSqlAndQuestionsAreAnswered) {
    std::ofstream(dir / "five.sql") << "select 5 as five;\n";
    std::ofstream(dir / "load.sql") << "select 'loaded' as l;\n";
    TForm1 w(false);
    Open(w, ":memory:");

    // Ctrl+R runs a script file; the output pane keeps what it holds.
    w.PrintLine("kept");
    const std::string five = (dir / "five.sql").string();
    const QString folder = QString::fromStdString(dir.string());
    AnswerFileDialog(folder, "five.sql");
    QTest::keyClick(Focused(&w), Qt::Key_R, Qt::ControlModifier);
    const std::string out = Out(w);
    EXPECT_EQ(out.substr(0, 5), "kept\n") << out;
    EXPECT_NE(out.find("\n5 "), std::string::npos) << out;
    EXPECT_EQ(w.MInp().GetText(), "@" + five);
    EXPECT_EQ(w.History().Current(), "@" + five);

    // Open and Save take a name typed without extension as a ".sql" file.
    AnswerFileDialog(folder, "load");
    QTest::keyClick(Focused(&w), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(w.MInp().GetText().substr(0, 21), "select 'loaded' as l;");
    w.MInp().SetText("select 'saved';");
    AnswerFileDialog(folder, "saved");
    QTest::keyClick(Focused(&w), Qt::Key_S, Qt::ControlModifier);
    std::string saved;
    EXPECT_TRUE(ReadFileBytes((dir / "saved.sql").string(), saved));
    EXPECT_EQ(saved, "select 'saved';");
    EXPECT_FALSE(std::filesystem::exists(dir / "saved"));

    // A question asked while commands run can be answered.
    const std::string xml = (dir / "out.xml").string();
    std::ofstream(xml) << "old";
    w.MInp().SetText("--$XMLE " + xml + " -select=\"select 1 as a\"");
    QString question;
    WhenModal<QMessageBox>([&question](QMessageBox* box) {
        question = box->text();
        CancelLater(box);
        QTest::keyClick(Focused(box), Qt::Key_Return);
    });
    QTest::keyClick(Focused(&w), Qt::Key_F5);
    EXPECT_EQ(question.toStdString(), "File " + xml + " exists. Rewrite?");
    std::string written;
    ASSERT_TRUE(ReadFileBytes(xml, written));
    EXPECT_NE(written.find("<RecordSet SQL=\"select 1 as a\">"), std::string::npos) << written;
}

TEST_F(MainWindow, ThePageAndTheSideBarWidthAreKeptAcrossStarts) {
    WriteInteger(kKey + "Page", 1);
    WriteInteger(kKey + "OutLookWidth", 200);
    {
        TForm1 w(false);
        Show(w);
        EXPECT_EQ(w.Pages()->currentIndex(), 1);
        QTest::keyClick(&w, Qt::Key_F2);
        ASSERT_EQ(w.Pages()->currentIndex(), 0);
        // The side bar shows at its stored width; dragging the splitter
        // 50 pixels to the left widens it.
        w.SideBar()->show();
        QApplication::processEvents();
        EXPECT_EQ(w.SideBar()->width(), 200);
        auto* top = qobject_cast<QSplitter*>(w.SideBar()->parentWidget());
        ASSERT_NE(top, nullptr);
        QSplitterHandle* handle = top->handle(1);
        const QPoint from = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, from);
        QTest::mouseMove(handle, from - QPoint(50, 0));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, from - QPoint(50, 0));
        // A wider window leaves the side bar as it is.
        w.resize(w.width() + 100, w.height());
        QApplication::processEvents();
        EXPECT_EQ(w.SideBar()->width(), 250);
        w.close();
    }
    EXPECT_EQ(ReadInteger(kKey + "Page", -1), 0);
    EXPECT_EQ(ReadInteger(kKey + "OutLookWidth", -1), 250);
}

TEST_F(MainWindow, StartUpCommandsRunAsACommandThatCtrlCInterrupts) {
    const std::string db = (dir / "start.sqb").string();
    std::ofstream(db) << "";
    WriteString(kKey + "StartSql", kEndless);
    WriteString(kKey + "ShowTime", "N");
    TForm1 w(false);
    Open(w);
    w.MInp().SetText("typed");
    w.MInp().SetSelStart(5);
    // F12: the selection form gets typed (the database's name, or nothing to
    // take the one it offers) and Enter; keys() then sends keys while the
    // start-up commands run. Should Ctrl+C go unheard, the run ends after 5 s.
    auto connectAndInterrupt = [&w](const std::string& typed, const std::function<void()>& keys) {
        const QObject safety;
        WhenModal<TFrmBase>([&](TFrmBase* form) {
            keys();
            QTimer::singleShot(5000, &safety, [&w] { w.Console().Session().Interrupt(); });
            CancelLater(form);
            QTest::keyClicks(Focused(form), QString::fromStdString(typed));
            QTest::keyClick(Focused(form), Qt::Key_Return);
        });
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(Focused(&w), Qt::Key_F12);
        EXPECT_LT(clock.elapsed(), 4500);
        EXPECT_NE(Out(w).find("??? SQLite ERR-interrupted"), std::string::npos) << Out(w);
        EXPECT_TRUE(w.Console().Session().Connected());
    };
    // The user presses F2, types a letter and at last Ctrl+C.
    connectAndInterrupt(db, [&w] {
        QTimer::singleShot(300, [&w] {
            QTest::keyClick(Focused(&w), Qt::Key_F2);
            X11Key(Focused(&w), Qt::Key_X, Qt::NoModifier, 53, 'x', "x");
        });
        QTimer::singleShot(600, [&w] { X11Key(Focused(&w), Qt::Key_C, Qt::ControlModifier, 54, 'c', "\x03"); });
    });
    EXPECT_EQ(w.Pages()->currentIndex(), 0);
    EXPECT_EQ(w.MInp().GetText(), "typed");
    // The window takes commands again.
    QTest::keyClick(Focused(&w), Qt::Key_F2);
    ASSERT_EQ(w.Pages()->currentIndex(), 1);

    // On the grid page the user clicks "Show F5", connects again and stops
    // the start-up commands with Ctrl+C while the button has the focus, on a
    // Russian layout: the C key then types 'С'.
    w.ClearOutput();
    QPushButton* show = w.GridPage()->ShowButton();
    QTest::mouseClick(show, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), show);
    connectAndInterrupt("", [&w] {
        QTimer::singleShot(300, [&w] { X11Key(Focused(&w), 0x421, Qt::ControlModifier, 54, 0x6e3, "\x03"); });
    });
}

TEST_F(MainWindow, TheAboutBoxShowsProductVersionAndTheMachine) {
    auto LabelText = [](const QWidget& w, const char* name) {
        auto* l = w.findChild<QLabel*>(QString::fromLatin1(name));
        return l ? l->text() : QString();
    };
    TFrmAbout box;
    const QString cpu = LabelText(box, "processor");
    EXPECT_FALSE(cpu.isEmpty());
    EXPECT_NE(cpu, QStringLiteral("unknown"));  // every Linux has /proc/cpuinfo
    EXPECT_TRUE(LabelText(box, "memory").contains(QStringLiteral(" MB")));
    EXPECT_TRUE(LabelText(box, "disk").contains(QStringLiteral("MB free")));
    EXPECT_TRUE(LabelText(box, "display").contains(QStringLiteral(" x ")));
    EXPECT_FALSE(LabelText(box, "user").isEmpty());

    Show(box);
    Screenshot(box, "about.png");
}

// Text of every script typed into the console window reaches the database
// exactly as typed, and comes back into the output pane lined up.
TEST_F(MainWindow, TypedCharactersOfEveryScriptReachTheDatabaseAndLineUp) {
    const std::string db = (dir / "chars.db").string();
    TForm1 w(false);
    Open(w, db);
    windowdriver::TypeText(&w.MInp(), QString::fromUtf8("create table t(s varchar(12), n integer);\n"
                                                        "insert into t values('é Ж 漢 😀', 1);\n"
                                                        "insert into t values('Cássia', 2);\n"
                                                        "insert into t values('漢字漢字', 3);\n"
                                                        "insert into t values('e\u0301te\u0301', 4);\n"));
    QTest::keyClick(&w.MInp(), Qt::Key_F5);
    // Another connection reads exactly the characters typed.
    EXPECT_EQ(Shell(db, "select s from t where n = 1; select hex(s) from t where n = 3"),
              "é Ж 漢 😀\nE6BCA2E5AD97E6BCA2E5AD97\n");

    // The result table lines up on screen: every row is as wide as the
    // dash line, in cells.
    w.MInp().SetText("");
    windowdriver::TypeText(&w.MInp(), "select s, n from t order by n;");
    QTest::keyClick(&w.MInp(), Qt::Key_F5);
    const TMemoModel& out = w.MOut().Model();
    int dash = 0;
    for (int line = 1; line <= out.LineCount(); ++line)
        if (w.MOut().Lines()[line - 1].rfind("---", 0) == 0) dash = line;
    ASSERT_GT(dash, 0) << Out(w);
    for (int line = dash + 1; line <= dash + 4; ++line)
        EXPECT_EQ(out.LineWidth(line), out.LineWidth(dash)) << w.MOut().Lines()[line - 1];
    EXPECT_NE(Out(w).find("é Ж 漢 😀"), std::string::npos);
}
