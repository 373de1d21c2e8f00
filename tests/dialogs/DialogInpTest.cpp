// The parameter dialog on its real form: entries filled from the records,
// worked with keys and clicks, read back when the user confirms.
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "base/DateTime.h"
#include "base/Exception.h"
#include "base/FormatSettings.h"
#include "base/QtText.h"
#include "../app/WindowDriver.h"
#include "dialogs/TFrm_DialogInp.h"
#include "dialogs/TQorDialog.h"
#include "dialogs/TQorEdit.h"

namespace {

void CtrlEnter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return, Qt::ControlModifier); }

void Settle() {
    QApplication::processEvents();
    QApplication::processEvents();
}

TQorEdit* Edit(TFrm_DialogInp& f, int i) { return dynamic_cast<TQorEdit*>(f.Entry(i)); }
QListWidget* List(TFrm_DialogInp& f, int i) { return dynamic_cast<QListWidget*>(f.Entry(i)); }

std::vector<bool> Checks(QListWidget* l) {
    std::vector<bool> out;
    for (int k = 0; k < l->count(); ++k) out.push_back(l->item(k)->checkState() == Qt::Checked);
    return out;
}

void Click(QListWidget* l, int row) {
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
}

// Runs Execute while act works the modal form as a user would; a form
// act leaves open is cancelled, and the test fails.
bool RunForm(TQorDialog& dialog, const std::function<void(TFrm_DialogInp&)>& act, const std::string& caption = "") {
    bool acted = false;
    QTimer::singleShot(0, [&] {
        auto* form = dynamic_cast<TFrm_DialogInp*>(QApplication::activeModalWidget());
        if (!form) return;
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        acted = true;
        act(*form);
        if (form->isVisible()) {
            ADD_FAILURE() << "the form is still open";
            form->reject();
        }
    });
    const bool confirmed = dialog.Execute(caption);
    EXPECT_TRUE(acted) << "the form did not show modally";
    return confirmed;
}

// A dialog whose boxes and beeps are recorded instead of shown.
struct Recorded {
    TQorDialog dialog;
    std::vector<std::string> boxes;
    int beeps = 0;
    Recorded() {
        dialog.ShowMessage = [this](QWidget*, const std::string& caption, const std::string& text) {
            boxes.push_back(caption + "|" + text);
        };
        dialog.Beep = [this] { ++beeps; };
    }
};

// Each record read back as "name=value:type", for one compare.
std::string Values(const TQorDialog& d) {
    static const char* const types[] = {"empty", "null", "int", "int64", "double", "cur", "bool", "str", "date"};
    std::string out;
    for (const TDialogParam& p : d.Params()) {
        const Variant v = d.Get(p.VarName);
        out += (out.empty() ? "" : " ") + p.VarName + "=" + v.ToString() + ":" + types[static_cast<int>(v.Type())];
    }
    return out;
}

}  // namespace

TEST(QorDialogTest, RecordsAreFoundByNameInAnyCase) {
    TQorDialog d;
    d.Add("", "first", dkString, Variant("a"));
    d.Add("", "second", dkInteger, Variant(int32_t{2}));
    d.AddS("Город", "City", "", "", true, "Москва");
    EXPECT_EQ(Values(d), "VAL0=a:str VAL1=2:int Город=Москва:str");
    EXPECT_TRUE(d.Params()[2].View);
    EXPECT_EQ(std::tuple(d.Get("val1").ToInt32(), d.Get("ГОРОД").ToString()), std::tuple(2, "Москва"));
    EXPECT_TRUE(d.Get("nothing").IsNull());
    d.SetView("Val0", true);
    d.SetView("nothing", true);
    EXPECT_EQ(std::tuple(d.Params()[0].View, d.Params()[1].View), std::tuple(true, false));
    // Names and prompts keep at most 255 characters, whole ones.
    const std::string longName = QString(300, QChar(0x416)).toStdString();  // Ж
    d.Add(longName, longName, dkString, Variant(""));
    EXPECT_EQ(d.Params()[3].VarName, std::string(longName, 0, 255 * 2));
    d.Clear();
    EXPECT_TRUE(d.Params().empty());
    d.Add("", "", dkString, Variant(""));
    EXPECT_EQ(d.Params()[0].VarName, "VAL0");
}

TEST(DialogInpTest, CheckListsWithLetters) {
    TQorDialog d;
    d.AddCList("colours", "Colours", "AC", "", false, "red,green,blue");
    d.AddRList("size", "Size", "A", "", false, "small, medium ,\"large, very\"");
    EXPECT_TRUE(RunForm(d, [](TFrm_DialogInp& f) {
        EXPECT_EQ(Checks(List(f, 0)), (std::vector<bool>{true, false, true}));
        EXPECT_EQ(List(f, 1)->item(2)->text(), "large, very");
        EXPECT_EQ(List(f, 0)->height(), 43);
        CtrlEnter(List(f, 0));
    }));
    EXPECT_EQ(Values(d), "colours=AC:str size=A:str");

    EXPECT_TRUE(RunForm(d, [](TFrm_DialogInp& f) {
        // Shown again, the lists keep their items and the last choice.
        EXPECT_EQ(Checks(List(f, 0)), (std::vector<bool>{true, false, true}));
        EXPECT_EQ(Checks(List(f, 1)), (std::vector<bool>{true, false, false}));
        // The clicked item of a radio list is its only checked one.
        Click(List(f, 1), 1);
        Click(List(f, 1), 1);
        // A check list's click toggles; so does Space on the current item.
        Click(List(f, 0), 0);
        Click(List(f, 0), 1);
        List(f, 0)->setFocus();
        List(f, 0)->setCurrentRow(2);
        QTest::keyClick(List(f, 0), Qt::Key_Space);
        // Enter moves to the next control.
        QTest::keyClick(List(f, 0), Qt::Key_Return);
        EXPECT_TRUE(List(f, 1)->hasFocus());
        CtrlEnter(List(f, 1));
    }));
    EXPECT_EQ(Values(d), "colours=B:str size=B:str");
}

TEST(DialogInpTest, AlignmentPlacesTheEdits) {
    TQorDialog d;
    d.AddI("n", "Count", "", "", false, 5);
    d.AddS("s", "Text", "", "", false, "");
    d.AddMemo("m", "Notes", "", "", false, "");
    d.AddCList("c", "Pick", "", "", false, "a,b,c,d");
    for (const auto& [alignment, x] : {std::pair{0, 290}, std::pair{1, 515}, std::pair{2, 402}}) {
        d.SetAlignment(alignment);
        EXPECT_FALSE(RunForm(d, [x = x](TFrm_DialogInp& f) {
            EXPECT_EQ(std::tuple(f.width(), f.Scroller()), std::tuple(600, nullptr));
            EXPECT_EQ(f.Entry(0)->geometry(), QRect(x, 2, 75, 18));
            EXPECT_EQ(f.Entry(1)->geometry(), QRect(290, 22, 300, 18));
            EXPECT_EQ(f.Entry(2)->geometry(), QRect(2, 55, 588, 45));
            EXPECT_EQ(f.Entry(3)->geometry(), QRect(290, 103, 300, 56));
            EXPECT_EQ(f.height(), 103 + 58 + 52);
            EXPECT_EQ(f.Label(0)->x(), 2);
            // Esc keeps the values, also of an edited entry.
            QTest::keyClicks(f.Entry(0), "7");
            QTest::keyClick(f.Entry(0), Qt::Key_Escape);
        }));
    }
    EXPECT_EQ(d.Get("n").ToInt32(), 5);
    EXPECT_EQ(d.Params()[0].WinCtrl, nullptr);
}

TEST(DialogInpTest, RowsTallerThanTheScreenScroll) {
    TQorDialog d;
    for (int i = 0; i < 60; ++i) d.AddS("", "Row " + std::to_string(i), "", "", false, std::to_string(i));
    EXPECT_TRUE(RunForm(d, [](TFrm_DialogInp& f) {
        const QRect screen = f.screen()->availableGeometry();
        EXPECT_LE(f.height(), screen.height());
        ASSERT_NE(f.Scroller(), nullptr);
        QWidget* last = f.Entry(59);
        EXPECT_EQ(last->geometry(), QRect(290, 2 + 59 * 20, 300, 18));
        for (int i = 0; i < 59; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_TRUE(last->hasFocus());
        // Enter scrolled the rows along: the last one is in view.
        QWidget* view = f.Scroller()->viewport();
        EXPECT_TRUE(view->rect().contains(QRect(last->mapTo(view, QPoint(0, 0)), last->size())));
        CtrlEnter(last);
    }));
    EXPECT_EQ(d.Get("VAL59").ToString(), "59");
}

TEST(DialogInpTest, EveryKindIsShownTypedAndReadBackAsItsKind) {
    Recorded r;
    TQorDialog& d = r.dialog;
    d.OnLookSql = [](const std::string&) { return std::string("Иванов Иван Иванович"); };
    d.AddS("s", "Фамилия (строка)", "", "", false, "Жуков");
    d.AddC("c", "Сумма (деньги)", "", "", false, Currency::FromScaled(15000));
    d.AddI("i", "Количество (целое)", "", "", false, 0);
    d.AddD("d", "Дата", "", "", false, EncodeDate(2024, 2, 28));
    d.AddP("p", "Пароль", "", "", false, "secret");
    d.AddMemo("m", "Примечание", "", "", false, "");
    d.AddB("no", "Нет или да", "", "", false, false);
    d.AddB("yes", "Да или нет", "", "", false, true);
    d.Add("zero", "Ноль", dkBoolean, Variant("0"));
    d.AddS("lov", "Город, F2 - список", "select name from cities", "", false, "Montréal");
    d.AddI("who", "Сотрудник (по коду)", "select id from staff", "select name from staff where id = $", false, 7);
    d.AddDir("dir", "Каталог, F2 - выбор", "", "", false, "/tmp/");
    d.AddFile("file", "Файл, F2 - выбор", "", "", false, "");
    d.AddCList("cl", "Цвета (несколько)", "AC", "", false, "red,green,blue,black");
    d.AddRList("rl", "Размер (один)", "B", "", false, "small,medium,large");
    d.AddS("v", "Только для чтения", "", "", true, "view only");
    FormatSettings().DecimalSeparator = ',';
    char during = 0;
    EXPECT_TRUE(RunForm(d, [&](TFrm_DialogInp& f) {
        during = FormatSettings().DecimalSeparator;
        EXPECT_EQ(Edit(f, 1)->Text(), "1.50");
        EXPECT_EQ(Edit(f, 3)->Text(), "28.02.2024");
        // Every prompt is shown whole and ends before its entry begins; the
        // memo's stands above it.
        for (int i = 0; i < f.Count(); ++i) {
            QLabel* l = f.Label(i);
            EXPECT_EQ(l->text(), AnsiToQString(d.Params()[static_cast<size_t>(i)].VarPrompt));
            if (i != 5) {
                EXPECT_LT(l->x() + l->fontMetrics().horizontalAdvance(l->text()), f.Entry(i)->x());
            }
            EXPECT_LE(f.Entry(i)->geometry().right(), f.width());
        }
        QDir().mkpath(SCREENSHOT_DIR);
        EXPECT_TRUE(f.grab().save(SCREENSHOT_DIR "/parameter_dialog.png"));
        // Each entry typed over, Enter moving on to the next; a date's next
        // day also with '=', a password without blanks and beyond ASCII.
        const std::pair<const char*, const char*> typed[] = {
            {" Жé 漢\n", " Жé 漢"}, {"12,345\n", "12.34"}, {"-42\n", "-42"},
            {"=+\n", "01.03.2024"}, {"ab Жc1!\n", "abc1!"},
        };
        for (int i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            Edit(f, i)->selectAll();
            windowdriver::TypeText(Edit(f, i), QString::fromUtf8(typed[i].first));
            Settle();
            EXPECT_EQ(Edit(f, i)->Text(), typed[i].second);
            EXPECT_TRUE(f.Entry(i + 1)->hasFocus());
        }
        windowdriver::TypeText(f.Entry(5), QString::fromUtf8("один\n漢字 "));  // a line break in the memo
        Edit(f, 6)->setFocus();
        Settle();
        EXPECT_EQ(Edit(f, 6)->width(), 26);
        EXPECT_EQ(std::tuple(Edit(f, 7)->Text(), Edit(f, 8)->Text()), std::tuple("Да", "Нет"));
        QTest::keyClick(Edit(f, 6), 'y');
        CtrlEnter(Edit(f, 6));
    }));
    EXPECT_EQ(std::tuple(during, FormatSettings().DecimalSeparator), std::tuple('.', ','));
    FormatSettings().DecimalSeparator = '.';
    EXPECT_EQ(Values(d), "s=Жé 漢:str c=12.34:cur i=-42:int d=01.03.2024:date p=abc1!:str m=один\n漢字:str "
                         "no=1:int yes=1:int zero=0:int lov=Montréal:str who=7:int dir=/tmp/:str file=:str "
                         "cl=AC:str rl=B:str v=view only:str");
    EXPECT_TRUE(r.boxes.empty());
}

TEST(DialogInpTest, InvalidEntriesAndFailingEventsLeaveTheFormWorking) {
    Recorded r;
    r.dialog.AddD("d", "Day", "", "", false, EncodeDate(2024, 2, 28));
    r.dialog.Add("shown", "Shown", dkInteger, Variant("abc"));
    r.dialog.SetView("shown", true);
    r.dialog.AddD("y", "Year", "", "", false, EncodeDate(2024, 2, 28));
    r.dialog.AddI("id", "Person", "select id from people", "select name from nowhere where id = $", false, 3);
    r.dialog.OnLookSql = [](const std::string&) -> std::string {
        throw EDatabaseError("??? SQLite ERR-no such table: nowhere");
    };
    r.dialog.OnLovSql = [](const std::string&, Variant&) -> bool { throw EDatabaseError("??? SQLite ERR-busy"); };
    EXPECT_TRUE(RunForm(r.dialog, [&](TFrm_DialogInp& f) {
        EXPECT_EQ(Edit(f, 3)->Text(), "");
        QTest::keyClick(Edit(f, 3), Qt::Key_F2);
        Edit(f, 0)->selectAll();
        QTest::keyClick(Edit(f, 0), Qt::Key_Delete);
        CtrlEnter(Edit(f, 0));
        Settle();
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(r.boxes, (std::vector<std::string>{"Error|??? SQLite ERR-no such table: nowhere",
                                                     "Error|??? SQLite ERR-busy", "Error|" + TQorEdit::RangeText}));
        EXPECT_TRUE(Edit(f, 0)->hasFocus());
        QTest::keyClick(Edit(f, 0), ' ');  // today
        // A two-digit year is completed by the confirmation too.
        Edit(f, 2)->setFocus();
        Settle();
        Edit(f, 2)->SetText("01.02.50");
        f.Button()->click();
    }));
    EXPECT_EQ(std::tuple(r.dialog.Get("d").ToDateTime(), r.dialog.Get("y").ToDateTime(), r.dialog.Get("id").ToInt32()),
              std::tuple(Date(), EncodeDate(1950, 2, 1), 3));
    EXPECT_EQ(r.dialog.Get("shown").ToString(), "abc");
    EXPECT_EQ(r.boxes.size(), 3u);

    // A dialog without entries still shows and confirms.
    TQorDialog empty;
    EXPECT_TRUE(RunForm(empty, [](TFrm_DialogInp& f) { QTest::keyClick(&f, Qt::Key_Return, Qt::ControlModifier); }));
}

TEST(DialogInpTest, ListsOfValuesAndDisplayQueries) {
    Recorded r;
    TQorDialog& d = r.dialog;
    d.AddS("city", "City", "select name from cities", "", false, "Rome");
    d.AddI("id", "Person", " Select id from people", "select name from people where id = $", false, 7);
    d.AddS("who", "Who", "", "select '$'", false, "O'Brien");
    d.AddS("code", "Code", "codes", "", false, "");
    d.AddS("fixed", "Fixed", "select 1", "", true, "same");
    std::vector<std::string> looks, lovs;
    d.OnLookSql = [&](const std::string& sql) {
        looks.push_back(sql);
        return "shown " + sql.substr(sql.size() - 1);
    };
    d.OnLovSql = [&](const std::string& sql, Variant& v) {
        lovs.push_back(sql + "|" + v.ToString());
        v = Variant(sql.find("cities") != std::string::npos ? "Paris" : "9");
        return true;
    };
    std::string hotKey;
    d.OnHotKey = [&](const std::string& name, const std::string&, int typ, bool, const std::string&,
                     const std::string& sqlList, QWidget* ctrl, Variant& v) {
        hotKey = name + "|" + std::to_string(typ) + "|" + sqlList + "|" + (ctrl ? "ctrl" : "none");
        v = Variant("X1");
    };
    d.OnExitFld = [](const std::string& name, const std::string&, int, bool, const std::string&,
                     const std::string&, QWidget*, Variant& v) {
        if (name == "city") v = Variant(v.ToString() + "!");
    };
    EXPECT_TRUE(RunForm(d, [&](TFrm_DialogInp& f) {
        EXPECT_EQ(Edit(f, 0)->Color(), QColor(Qt::yellow));
        EXPECT_EQ(std::tuple(Edit(f, 1)->Text(), Edit(f, 1)->isReadOnly(), Edit(f, 1)->width()),
                  std::tuple("shown 7", true, 300));
        QTest::keyClick(Edit(f, 0), Qt::Key_F2);
        EXPECT_TRUE(Edit(f, 0)->isModified());
        QTest::keyClick(Edit(f, 0), Qt::Key_Tab);  // leaving calls OnExitFld
        Settle();
        QTest::keyClick(Edit(f, 1), Qt::Key_F2);
        EXPECT_EQ(Edit(f, 1)->Text(), "shown 9");
        QTest::keyClick(Edit(f, 3), Qt::Key_F2);
        QTest::keyClick(Edit(f, 4), Qt::Key_F2);  // shown only: no list
        CtrlEnter(Edit(f, 4));
    }));
    EXPECT_EQ(looks, (std::vector<std::string>{"select name from people where id = 7", "select 'O''Brien'",
                                               "select name from people where id = 9"}));
    EXPECT_EQ(lovs, (std::vector<std::string>{"select name from cities|Rome", " Select id from people|7"}));
    EXPECT_EQ(hotKey, "code|1|codes|ctrl");
    EXPECT_EQ(Values(d), "city=Paris!:str id=9:int who=O'Brien:str code=X1:str fixed=same:str");
}

TEST(DialogInpTest, FoldersAndFiles) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tabulon-dlg-файлы";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "data.txt") << "x";
    const std::string folder = dir.string(), file = (dir / "data.txt").string();

    Recorded r;
    TQorDialog& d = r.dialog;
    d.AddDir("dir", "Folder", "", "", false, folder + "/");
    d.AddFile("file", "File", "", "", false, file);
    std::string asked;
    d.ChooseFile = [&](QWidget*, const std::string& title, const std::string& in, const std::string& name,
                       const std::string& filter, std::string& chosen) {
        asked = title + "|" + in + "|" + name + "|" + filter;
        chosen = file;
        return true;
    };
    std::string start;
    d.ChooseFolder = [&](QWidget*, const std::string&, const std::string& from, std::string& chosen) {
        start = from;
        chosen = folder;
        return true;
    };
    EXPECT_TRUE(RunForm(d, [&](TFrm_DialogInp& f) {
        QTest::keyClick(Edit(f, 1), Qt::Key_F2);
        EXPECT_EQ(asked, "Выберите файл|" + folder + "|data.txt|txt files (*.txt);;All files (*)");
        Edit(f, 0)->SetText("/");
        QTest::keyClick(Edit(f, 0), Qt::Key_F2);
        EXPECT_EQ(start, "/");
        EXPECT_EQ(Edit(f, 0)->Text(), folder + "/");

        // Leaving an entry that names no file or no folder: a beep, a second
        // of message in the caption, the focus back; an empty one may stay.
        const std::tuple<int, std::string, std::string> missing[] = {
            {1, "/missing.txt", "   ? Нет такого файла: "}, {0, "/nope/", "   ? Нет такого каталога: "}};
        for (const auto& [i, name, message] : missing) {
            Edit(f, i)->setFocus();
            Settle();
            Edit(f, i)->SetText(folder + name);
            QTest::keyClick(Edit(f, i), Qt::Key_Tab);
            Settle();
            EXPECT_EQ(f.windowTitle().toStdString(), message + folder + name);
            EXPECT_TRUE(Edit(f, i)->hasFocus());
            QTest::qWait(1200);
            EXPECT_EQ(f.windowTitle().toStdString(), "Files");
            Edit(f, i)->SetText(i == 0 ? folder + "/" : "");
        }
        EXPECT_EQ(r.beeps, 2);
        CtrlEnter(Edit(f, 0));
    }, "Files"));
    EXPECT_EQ(Values(d), "dir=" + folder + "/:str file=:str");
    std::filesystem::remove_all(dir);
}
