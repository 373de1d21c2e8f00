#include <QAbstractButton>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>

#include "WindowTest.h"
#include "app/TPlugInHost.h"
#include "base/Platform.h"
#include "dialogs/TFrmMenu.h"
#include "dialogs/TFrmText.h"
#include "dialogs/TFrm_DialogInp.h"
#include "dialogs/TQorLovFrm.h"
#include "editor/TQorOutLook.h"

namespace fs = std::filesystem;
using namespace windowdriver;

namespace {

class PlugInHost : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        fs::create_directories(dir / "plugins");
        setenv("TMPDIR", (dir.string() + "/").c_str(), 1);
        setenv("TABULON_PLUGIN_DIR", (dir / "plugins").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("TABULON_PLUGIN_DIR");
        WindowTest::TearDown();
    }
    void Install(const char* library, const std::string& as) { fs::copy_file(library, dir / "plugins" / as); }
    static void* Method(TForm1& w, const char* name) { return TabulonFindMethod(w.PlugIns().Loader().Methods(), name); }
};

// F11 and Enter as an X display sends them.
void F11(QWidget* target) { X11Key(target, Qt::Key_F11, Qt::NoModifier, 95, 0xffc8); }
void Enter(QWidget* target) { X11Key(target, Qt::Key_Return, Qt::NoModifier, 36, 0xff0d, "\r"); }

}  // namespace

TEST_F(PlugInHost, FunctionsOfOneGroupShareAPageAndRunOnEnterOrDoubleClick) {
    {
        TForm1 none(false);  // a folder without plug-ins adds no pages
        EXPECT_EQ(none.SideBar()->PageCount(), 1);
    }
    // Set but empty: no folder is searched at all; unset, the program's own first.
    setenv("TABULON_PLUGIN_DIR", "", 1);
    EXPECT_TRUE(TPlugInHost::DefaultFolders().empty());
    unsetenv("TABULON_PLUGIN_DIR");
    ASSERT_FALSE(TPlugInHost::DefaultFolders().empty());
    EXPECT_EQ(TPlugInHost::DefaultFolders()[0], ProgramDir());
    setenv("TABULON_PLUGIN_DIR", (dir / "plugins").c_str(), 1);

    Install(TEST_PLUGIN_TWO, "two.so");
    TForm1 w(false);
    TQorOutLook& bar = *w.SideBar();
    ASSERT_EQ(bar.PageCount(), 3);
    EXPECT_EQ(bar.Page(1)->Caption(), "&2 Группа A");
    EXPECT_EQ(bar.Page(2)->Caption(), "&3 Other");
    EXPECT_EQ(bar.Page(1)->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));

    QListWidget* group = w.PlugIns().GroupList("Группа A");
    ASSERT_NE(group, nullptr);
    // The function without a caption is not listed; the others keep their index.
    ASSERT_EQ(group->count(), 2);
    EXPECT_EQ(group->item(1)->text(), "Второй");
    QListWidget* other = w.PlugIns().GroupList("Other");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->item(0)->data(Qt::UserRole).toInt(), 3);

    bar.show();
    bar.SetPageIndex(1);
    Show(w);
    group->setCurrentRow(1);
    group->setFocus();
    // Enter as the X server delivers it, past the window's shortcuts.
    ASSERT_EQ(Focused(&w), group);
    Enter(group);
    // TestParamName and the console's two properties.
    EXPECT_EQ(Out(w), "второй ran with 3 properties");
    // Another page opened while the bar shows takes the focus to its list.
    bar.SetPageIndex(2);
    ASSERT_TRUE(QTest::qWaitFor([other] { return other->isVisible(); }));
    EXPECT_EQ(QApplication::focusWidget(), other);
    // A double click as the display sends it: a click, then the second press.
    const QPoint at = other->visualItemRect(other->item(0)).center();
    QTest::mouseClick(other->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(other->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(Out(w), "второй ran with 3 properties\nthird ran with 3 properties");
}

TEST_F(PlugInHost, TheSamplePlugInReachesEveryCallback) {
    Install(TEST_PLUGIN_SAMPLE, "sample.so");
    TForm1 w(false);
    Open(w, ":memory:");
    TPlugInHost& host = w.PlugIns();
    ASSERT_EQ(host.Loader().Count(), 8);
    ASSERT_EQ(host.GroupList("Sample files")->count(), 4);

    auto prmGet = reinterpret_cast<TabulonQorPrmGetFn>(Method(w, "QorPrmGet"));
    ASSERT_NE(prmGet, nullptr);
    EXPECT_STREQ(prmGet("NEVER_ADDED"), "");
    EXPECT_EQ(host.Loader().Methods()->Count, 31);

    // Each function run on an empty output pane: what it printed.
    auto Run = [&](int function) {
        w.ClearOutput();
        host.RunFunction(function);
        return Out(w);
    };
    // Demo table: statements through the interpreter, a value through GetSqlText.
    std::string out = Run(0);
    EXPECT_NE(out.find("SQL: insert into plugin_demo(name) values('Борис');"), std::string::npos) << out;
    EXPECT_NE(out.find("Sample: plugin_demo holds 3 rows"), std::string::npos) << out;

    // Choose a row: the list of values, Enter on its first row.
    WhenModal<TQorLovFrm>([](TQorLovFrm* f) {
        CancelLater(f);
        QTest::keyClick(f->Grid(), Qt::Key_Return);
    });
    EXPECT_NE(Run(1).find("Sample: chosen Ann"), std::string::npos) << Out(w);

    // Parameters: the dialog confirmed as filled in.
    WhenModal<TFrm_DialogInp>([](TFrm_DialogInp* f) {
        CancelLater(f);
        f->Button()->click();
    });
    out = Run(2);
    for (const char* line : {"Sample: TITLE = Отчёт", "Sample: COUNT = 10", "Sample: PRICE = 12.5", "Sample: ACTIVE = 1",
                             "Sample: COLOURS = AC", "Sample: SIZE = B"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;

    // Menu and question: the second item, then Yes drops the table.
    WhenModal<TFrmMenu>([](TFrmMenu* f) {
        CancelLater(f);
        QTest::keyClick(f->List(), Qt::Key_Down);
        QTest::keyClick(f->List(), Qt::Key_Return);
    });
    WhenModal<QMessageBox>([](QMessageBox* box) {
        CancelLater(box);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_NE(Run(3).find("Sample: menu item 1"), std::string::npos) << Out(w);
    std::string tables;
    w.Console().Session().SelectString("select count(*) from sqlite_master", {}, true, tables);
    EXPECT_EQ(tables, "0");

    // Files: written, printed, shown in the viewer, deleted.
    std::string viewed;
    auto view = [&](TFrmText* f) {
        CancelLater(f);
        viewed = f->Text();
        QTest::keyClick(f, Qt::Key_Escape);
    };
    WhenModal<TFrmText>(view);
    EXPECT_EQ(Run(4), "Written by the sample plug-in\nПривет, мир");
    EXPECT_EQ(viewed, "Written by the sample plug-in\nПривет, мир\n");
    EXPECT_FALSE(fs::exists(dir / "tabulon-sample.txt"));

    // A parameter file of its own.
    EXPECT_EQ(Run(5), "Sample: USER = SCOTT TIGER");
    std::ifstream par(dir / "tabulon-sample.par");
    std::string parLine;
    std::getline(par, parLine);
    EXPECT_EQ(parLine, "User = Scott Tiger    #who runs the sample");

    // A program run in the temporary folder.
    EXPECT_EQ(Run(6), "ran in " + fs::canonical(dir).string());

    // The properties of a call, shown in the viewer too.
    WhenModal<TFrmText>(view);
    EXPECT_EQ(Run(7), "User: ''\nPassword: ''\nTestParamName = TestParamValue\nTabulonVersion = 000000005\n"
                      "TabulonInterface = 000000001");

    // A failing query cannot unwind into the plug-in: its message is printed.
    auto sqlText = reinterpret_cast<TabulonGetSqlTextFn>(Method(w, "GetSqlText"));
    w.ClearOutput();
    EXPECT_STREQ(sqlText("select * from no_such_table"), "");
    EXPECT_EQ(Out(w), "??? SQLite ERR-no such table: no_such_table");
}

TEST_F(PlugInHost, F11ShowsTheSideBarAndEnterRunsTheSelectedToolAsADoubleClickDoes) {
    TForm1 w(false);
    Open(w, ":memory:");
    w.Console().Session().ExecSQL("create table Ёлка(a); create table beta(b)");
    // "Plugins..." (F11) in the menu: DatabaseScripts checks the whole menu.
    auto* list = w.findChild<QListWidget*>("ListBox1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 8);

    // F11 shows the bar at its stored width, the focus on the tools list,
    // and hides it again, the focus back in the input.
    w.SideBar()->SetPageIndex(0);
    F11(Focused(&w));
    ASSERT_TRUE(w.SideBar()->isVisible());
    QApplication::processEvents();
    EXPECT_EQ(w.SideBar()->width(), 130);
    EXPECT_EQ(QApplication::focusWidget(), list);
    Screenshot(w, "side-bar.png");
    F11(Focused(&w));
    EXPECT_FALSE(w.SideBar()->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), &w.MInp());
    F11(Focused(&w));
    ASSERT_EQ(QApplication::focusWidget(), list);

    w.ClearScreenOut();
    list->setCurrentRow(0);
    Enter(Focused(&w));
    const std::string byEnter = Out(w);
    EXPECT_EQ(byEnter, "Tables: (2) ----------------------------\nbeta\nЁлка");
    w.ClearScreenOut();
    const QRect at = list->visualItemRect(list->item(0));
    // A double click as the display sends it: a click, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at.center());
    EXPECT_EQ(Out(w), byEnter);
    // The output pane keeps what it had: each run adds to it.
    list->setCurrentRow(1);
    Enter(Focused(&w));
    EXPECT_EQ(Out(w), byEnter + "\nViews: (0) -----------------------------\n");
    EXPECT_FALSE(w.Running());

    // The environment opens in the viewer (its size is the viewer's own
    // business, checked with the dialogs).
    bool shown = false;
    WhenModal<TFrmText>([&](TFrmText* viewer) {
        shown = true;
        EXPECT_TRUE(viewer->windowTitle().startsWith("Environment variables   ESC-Выход   [^+"));
        EXPECT_TRUE(viewer->Editor()->toPlainText().contains("PATH="));
        QTest::keyClick(viewer->Editor(), Qt::Key_Escape);
    });
    list->setCurrentRow(7);
    Enter(Focused(&w));
    EXPECT_TRUE(shown);
}
