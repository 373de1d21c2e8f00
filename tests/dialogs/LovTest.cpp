// The list of values on its real forms, worked with the keys, over SQLite
// queries answered the way the console answers them.
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <tuple>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/Exception.h"
#include "base/QtText.h"
#include "base/SettingsStore.h"
#include "../app/WindowDriver.h"
#include "../base/TempDir.h"
#include "dialogs/TQorLovFrm.h"
#include "dialogs/TQorLovS.h"
#include "sqlite/TQorSQLite3DB.h"
#include "sqlite/TQorSQLite3Query.h"

namespace {

// Answers the modal windows that open, one action each, in order; each
// action must have had its window by the end.
class ModalScript {
public:
    using Action = std::function<void(QWidget*)>;
    explicit ModalScript(std::deque<Action> actions) : actions_(std::move(actions)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    ~ModalScript() { EXPECT_TRUE(actions_.empty()) << actions_.size() << " windows did not open"; }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || (handled_ && handled_ == modal) || actions_.empty()) return;
        handled_ = modal;
        Action act = std::move(actions_.front());
        actions_.pop_front();
        act(modal);
    }
    std::deque<Action> actions_;
    QPointer<QWidget> handled_;
    QTimer timer_;
};

TQorLovFrm* Form(QWidget* w) {
    auto* form = dynamic_cast<TQorLovFrm*>(w);
    EXPECT_NE(form, nullptr) << "expected the list form";
    return form;
}

class Lov : public ::testing::Test {
protected:
    void SetUp() override {
        temp.SetEnv("XDG_CONFIG_HOME", temp.Path().c_str());
        db.SetDLLName("libsqlite3.so.0");
        db.SetDatabase(":memory:");
        db.Open();
        ASSERT_TRUE(db.Connected());
        lov.SetName("QorLovS");
        // As the console window answers the events.
        lov.onGetDataSet = [this] {
            auto q = std::make_unique<TQorSQLite3Query>();
            q->SetConnection(&db);
            return std::unique_ptr<TDataSet>(std::move(q));
        };
        lov.onSetSQL = [](TDataSet& ds, const std::string& sql) { static_cast<TQorSQLite3Query&>(ds).SetSQLText(sql); };
        lov.onGetParamCount = [](TDataSet& ds) { return static_cast<TQorSQLite3Query&>(ds).Params().Count(); };
    }

    void Table(const std::string& name, const std::vector<std::string>& rows) {
        db.ExecSQL("create table " + name + " (id integer primary key, name text)");
        for (const auto& r : rows) db.ExecSQLArgs("insert into " + name + "(name) values(?)", {r});
    }
    static std::vector<std::string> Texts(TQorLovFrm& f) {
        std::vector<std::string> out;
        for (int r = 0; r < f.RowCount(); ++r)
            out.push_back(QStringToAnsi(f.Grid()->model()->index(r, 0).data().toString()));
        return out;
    }

    TempDir temp;
    TQorSQLite3DB db;
    TQorLovS lov;
};

}  // namespace

TEST_F(Lov, ShowPicksTheColumnByNumberOrByName) {
    Table("t", {"one", "two"});
    std::vector<std::string> shown;
    QString title, header;
    auto look = [&](QWidget* w) {
        TQorLovFrm* f = Form(w);
        shown = Texts(*f);
        title = f->windowTitle();
        header = f->Grid()->model()->headerData(0, Qt::Horizontal).toString();
        QTest::keyClick(f->Grid(), Qt::Key_Down);
        QTest::keyClick(f->Grid(), Qt::Key_Return);
    };
    ModalScript script({look, look, look});
    // "0": the first column, whatever its name.
    EXPECT_EQ(lov.Execute({{"0", "select id, name from t"}}, ""), TQorLovS::kChosen);
    EXPECT_EQ(shown, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(header, "ID");
    EXPECT_EQ(title, QString::fromUtf8("Выберите"));
    // Every column of the chosen row is kept, by name in any case.
    EXPECT_EQ(std::tuple(lov.Value("name").ToString(), lov.Value("ID").ToInt32(), lov.ValueName(0)),
              std::tuple("two", 2, "ID"));
    EXPECT_TRUE(lov.Value(2).IsNull());
    EXPECT_TRUE(lov.Value(-1).IsNull());

    // A name, in any case: the column NAME.
    EXPECT_EQ(lov.Execute({{"name", "select id, name from t"}}, "Pick one"), TQorLovS::kChosen);
    EXPECT_EQ(shown, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(title, "Pick one");

    // The last column by number; the same name twice keeps both columns.
    EXPECT_EQ(lov.Execute({{"1", "select name, name from t order by name"}}, ""), TQorLovS::kChosen);
    EXPECT_EQ(shown, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(std::tuple(lov.Value(1).ToString(), lov.ValueName(1)), std::tuple("two", "NAME_1"));

    // One past the last column, or an unknown name: a clear error, no form,
    // and the query is closed again.
    EXPECT_THROW(lov.Execute({{"2", "select name, name from t"}}, ""), EDatabaseError);
    EXPECT_FALSE(lov.DataSet(0)->Active());
    EXPECT_THAT([&] { lov.Execute({{"title", "select name from t"}}, ""); },
                testing::ThrowsMessage<std::exception>(testing::StrEq("Field 'TITLE' not found")));
    lov.onSetSQL = nullptr;
    EXPECT_THAT([&] { lov.Execute({{"0", "select 1"}}, ""); },
                testing::ThrowsMessage<std::exception>(testing::StrEq("Define events: onSetSQL on component QorLovS")));
}

TEST_F(Lov, EscInTheSecondLevelShowsTheFirstAgain) {
    Table("artist", {"Queen", "Abba"});
    Table("album", {"Arrival", "Jazz"});
    Table("noalbum", {});
    std::vector<std::vector<std::string>> lists;
    auto pick = [&](int downs, Qt::Key last) {
        return [&lists, downs, last](QWidget* w) {
            TQorLovFrm* f = Form(w);
            lists.push_back(Texts(*f));
            for (int i = 0; i < downs; ++i) QTest::keyClick(f->Grid(), Qt::Key_Down);
            QTest::keyClick(f->Grid(), last);
        };
    };
    const std::vector<TQorLovS::Level> levels = {{"name", "select id, name from artist"},
                                                 {"title", "select name as title from album"}};
    // An empty list says so: as the first level no form shows, as the
    // second the first shows again.
    std::vector<QString> said;
    auto answer = [&said](QWidget* w) {
        auto* box = dynamic_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr) << "a form instead of the message";
        said.push_back(box->text());
        box->accept();
    };
    {
        ModalScript script({answer, pick(1, Qt::Key_Return), answer, pick(0, Qt::Key_Escape)});
        EXPECT_EQ(lov.Execute({{"0", "select name from noalbum"}}, ""), TQorLovS::kEmpty);
        EXPECT_TRUE(lov.Value("name").IsNull());
        EXPECT_FALSE(lov.DataSet(0)->Active());
        EXPECT_EQ(lov.Execute({levels[0], {"0", "select name from noalbum"}}, ""), TQorLovS::kCancelled);
    }
    EXPECT_EQ(said, std::vector<QString>(2, QString::fromUtf8("Список пуст...")));
    lists.clear();
    {
        ModalScript script({pick(0, Qt::Key_Return), pick(0, Qt::Key_Escape), pick(1, Qt::Key_Return),
                            pick(1, Qt::Key_Return)});
        EXPECT_EQ(lov.Execute(levels, ""), TQorLovS::kChosen);
    }
    // Level 1 again, with its list, then level 2.
    const std::vector<std::string> artists{"Queen", "Abba"}, albums{"Arrival", "Jazz"};
    EXPECT_EQ(lists, (std::vector<std::vector<std::string>>{artists, albums, artists, albums}));
    // The choices of both levels, the first one's second pick.
    EXPECT_EQ(std::tuple(lov.Value("name").ToString(), lov.Value("title").ToString(), lov.Value("id").ToInt32()),
              std::tuple("Abba", "Jazz", 2));
    for (int k = 0; k < TQorLovS::kLevels; ++k) EXPECT_FALSE(lov.DataSet(k)->Active());

    // Esc in the first level, also after going back to it: cancelled.
    {
        ModalScript script({pick(0, Qt::Key_Return), pick(0, Qt::Key_Escape), pick(0, Qt::Key_Escape)});
        EXPECT_EQ(lov.Execute(levels, ""), TQorLovS::kCancelled);
    }
}

TEST_F(Lov, TypingSearchesFromTheStartOfTheShownText) {
    Table("t", {"Accept", "Bach", "ABBA", "abc", "A B", "Щука", "жук", "Жаба", "ёж", "Ёлка"});
    // Each step: Backspaces, then text typed; the search text and the row then.
    const struct {
        int backspaces;
        const char* typed;
        const char* search;
        int row;
    } steps[] = {
        {0, "a", "a", 0},  // the first row beginning with a or A
        {0, "b", "ab", 2},  // in any case
        {0, "C", "abC", 3},
        {1, "", "ab", 2},
        {0, "x", "abx", 2},  // nothing begins so: the row stays
        {1, " !\x7f", "ab", 2},  // blanks, '!' and control codes are not searched
        {3, "", "", 0},  // empty: the first row; then nothing left to take
        {0, "Ж", "Ж", 6},  // Cyrillic letters in any case too
        {0, "а", "Жа", 7},
        {2, "ёЛ", "ёЛ", 9},
        {2, "b", "b", 1},
    };
    ModalScript script({[&](QWidget* w) {
        TQorLovFrm* f = Form(w);
        QWidget* grid = f->Grid();
        EXPECT_EQ(f->focusWidget(), grid);
        for (const auto& step : steps) {
            SCOPED_TRACE(step.search);
            for (int i = 0; i < step.backspaces; ++i) QTest::keyClick(grid, Qt::Key_Backspace);
            windowdriver::TypeText(grid, QString::fromUtf8(step.typed));
            EXPECT_EQ(f->SearchText(), step.search);
            EXPECT_EQ(f->CurrentRow(), step.row);
        }
        QTest::keyClick(grid, Qt::Key_Enter, Qt::KeypadModifier);
    }});
    EXPECT_EQ(lov.Execute({{"0", "select name from t"}}, ""), TQorLovS::kChosen);
    EXPECT_EQ(lov.Value("name").ToString(), "Bach");
}

TEST_F(Lov, TheMemoShowsAWideTextAndTheLastSizeIsRemembered) {
    const std::string wide(60, 'w');
    Table("t", {"short", "also short", wide + " and more", "tiny"});
    std::vector<QSize> sizes;
    auto resizeTo = [&](QSize to) {
        return [&sizes, to](QWidget* w) {
            sizes.push_back(w->size());
            if (to.isValid()) w->resize(to);
            QTest::keyClick(Form(w)->Grid(), Qt::Key_Escape);
        };
    };
    // The memo opens for a text wider than the grid and stays open.
    std::vector<bool> open;
    std::vector<int> heights;
    std::string memoText;
    auto walk = [&](QWidget* w) {
        TQorLovFrm* f = Form(w);
        for (int row = 0; row < 4; ++row) {
            if (row > 0) QTest::keyClick(f->Grid(), Qt::Key_Down);
            open.push_back(f->MemoOpen());
            heights.push_back(f->Memo()->isVisible() ? f->Memo()->height() : 0);
            if (row == 2) memoText = QStringToAnsi(f->Memo()->toPlainText());
        }
        EXPECT_GE(f->Grid()->columnWidth(0), f->width() - TQorLovFrm::kColumnMargin);
        resizeTo(QSize(410, 333))(w);
    };
    {
        ModalScript script({walk, resizeTo(QSize()), resizeTo(QSize(500, 500)), resizeTo(QSize())});
        EXPECT_EQ(lov.Execute({{"0", "select name from t"}}, ""), TQorLovS::kCancelled);
        lov.Execute({{"0", "select name from t"}}, "");
        // A given width is used and nothing is remembered.
        lov.SetFWidth(350);
        lov.Execute({{"0", "select name from t"}}, "");
        lov.SetFWidth(0);
        lov.Execute({{"0", "select name from t"}}, "");
    }
    EXPECT_EQ(open, (std::vector<bool>{false, false, true, true}));
    EXPECT_EQ(heights, (std::vector<int>{0, 0, 59, 59}));
    EXPECT_EQ(memoText, wide + " and more");
    EXPECT_EQ(sizes, (std::vector<QSize>{{300, 280}, {410, 333}, {350, 333}, {410, 333}}));
    EXPECT_EQ(ReadInteger(TQorLovFrm::kWidthPath, 0), 410);
}

TEST_F(Lov, ScreenshotOfChinookArtists) {
    std::ifstream in(std::string(CHINOOK_SQL), std::ios::binary);
    if (!in) GTEST_SKIP() << "no Chinook script at " << CHINOOK_SQL;
    std::stringstream script;
    script << in.rdbuf();
    db.ExecSQL(script.str());
    bool saved = false;
    std::string current;
    ModalScript modal({[&](QWidget* w) {
        TQorLovFrm* f = Form(w);
        windowdriver::TypeText(f->Grid(), "M");
        windowdriver::TypeText(f->Grid(), QString::fromUtf8("ö"));
        current = f->CurrentText();
        QTest::qWait(50);
        QDir().mkpath(SCREENSHOT_DIR);
        saved = f->grab().save(SCREENSHOT_DIR "/lov_artists.png");
        QTest::keyClick(f->Grid(), Qt::Key_Return);
    }});
    EXPECT_EQ(lov.Execute({{"name", "select Name, ArtistId from Artist order by Name"}}, "Artist"), TQorLovS::kChosen);
    EXPECT_EQ(current, "Mötley Crüe");
    EXPECT_EQ(lov.Value("artistid").ToInt32(), 109);
    EXPECT_TRUE(saved);
}
