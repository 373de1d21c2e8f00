// The typed edit worked with the keys, as a user at the keyboard does: key
// presses and releases with the character the layout gives.
#include <tuple>

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "dialogs/TQorEdit.h"
#include "../app/WindowDriver.h"

namespace {

// Two edits in a window: the one under test and the next in tab order.
class QorEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window);
        edit = new TQorEdit(&window);
        next = new TQorEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(next);
        edit->ShowMessage = [this](QWidget*, const std::string& caption, const std::string& text) {
            boxes.push_back(caption + "|" + text);
        };
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        QApplication::processEvents();
    }
    void Start(TEditType type, const std::string& text) {
        edit->SetEditType(type);
        edit->SetText(text);
        edit->setCursorPosition(0);
    }
    // Tab to the next control and let the deferred checks run.
    void Leave() {
        QTest::keyClick(edit, Qt::Key_Tab);
        QApplication::processEvents();
        QApplication::processEvents();
    }

    QWidget window;
    TQorEdit* edit = nullptr;
    TQorEdit* next = nullptr;
    std::vector<std::string> boxes;
};

}  // namespace

TEST_F(QorEditTest, KindsStartWithTheirTextAlignmentAndLength) {
    edit->SetEditType(TEditType::etInteger);
    EXPECT_EQ(std::tuple(edit->Text(), edit->MaxLength(), edit->alignment().testFlag(Qt::AlignRight)),
              std::tuple("0", 10, true));
    edit->SetEditType(TEditType::etCurrency);
    EXPECT_EQ(std::tuple(edit->Text(), edit->MaxLength()), std::tuple("0.00", 18));
    edit->SetEditType(TEditType::etDate);
    EXPECT_EQ(edit->Text(), FormatDateTime("dd.mm.yyyy", Date()));
    EXPECT_TRUE(edit->alignment() & Qt::AlignHCenter);
    edit->SetEditType(TEditType::etBoolean);
    EXPECT_EQ(std::tuple(edit->Text(), edit->MaxLength()), std::tuple("Нет", 3));
}

TEST_F(QorEditTest, DateIsTypedLikeAMask) {
    const struct {
        TEditType type;
        const char* start;
        const char* typed;
        const char* shown;
    } rows[] = {
        {TEditType::etDate, "", "311220247", "31.12.2024"},  // the last digit finds the field full
        // Day tens allow 0-3, month tens 0-1: anything else becomes 0.
        {TEditType::etDate, "", "957", "05.0"},
        // Typed, the year's first digit is 0-3 (4 becomes 2).
        {TEditType::etDate, "", "010249", "01.02.29"},
        // Digits overwrite; separators and letters never change the text.
        {TEditType::etDate, "31.12.2024", "15./,a", "15.12.2024"},
        // Time: hour tens 0-2, minute tens 0-5.
        {TEditType::etTime, "", "5", "0"},
        {TEditType::etTime, "", "23:5959", "23:59:59"},
        {TEditType::etTime, "", "1297", "12:07"},
        {TEditType::etInteger, "", "12-3x", "123"},
        {TEditType::etCurrency, "", "12.3.45", "12.345"},
        {TEditType::etCurrency, "", "5,", "5."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        Start(row.type, row.start);
        QTest::keyClicks(edit, row.typed);
        EXPECT_EQ(edit->Text(), row.shown);
    }

    // The caret jumps over the separators both ways; Backspace never
    // changes the text.
    Start(TEditType::etDate, "31.12.2024");
    QTest::keyClicks(edit, "15");
    EXPECT_EQ(edit->cursorPosition(), 3);
    QTest::keyClick(edit, Qt::Key_Left);
    EXPECT_EQ(edit->cursorPosition(), 1);
    QTest::keyClick(edit, Qt::Key_Right);
    EXPECT_EQ(edit->cursorPosition(), 3);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(std::tuple(edit->cursorPosition(), edit->Text()), std::tuple(1, "15.12.2024"));
    // Delete clears only a wholly selected text.
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->Text(), "15.12.2024");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->Text(), "");

    // Integers: a sign at the start once; the whole range fits, sign included.
    Start(TEditType::etInteger, "123");
    edit->SetMaxLength(0);
    edit->setCursorPosition(0);
    QTest::keyClicks(edit, "--");
    EXPECT_EQ(edit->Text(), "-123");
    EXPECT_EQ(edit->MaxLength(), 11);
    Start(TEditType::etInteger, "");
    edit->SetMaxLength(10);
    QTest::keyClicks(edit, "-21474836479");
    EXPECT_EQ(edit->Text(), "-2147483647");
}

TEST_F(QorEditTest, DateShortcutsAndTwoDigitYears) {
    Start(TEditType::etDate, "28.02.2024");
    QTest::keyClick(edit, '+');
    QTest::keyClick(edit, '+');
    EXPECT_EQ(edit->Text(), "01.03.2024");
    QTest::keyClick(edit, '-');
    QTest::keyClick(edit, '-');
    EXPECT_EQ(edit->Text(), "28.02.2024");
    QTest::keyClick(edit, ' ');
    EXPECT_EQ(edit->Text(), FormatDateTime("dd.mm.yyyy", Date()));

    // A two-digit year comes pasted or from the program and is completed on
    // exit, a currency gets its two decimals.
    const struct {
        TEditType type;
        const char* text;
        const char* left;
    } rows[] = {
        {TEditType::etDate, "01.02.49", "01.02.2049"}, {TEditType::etDate, "01.02.50", "01.02.1950"},
        {TEditType::etDate, "01.02.5", "01.02.2005"},  {TEditType::etCurrency, "12.345", "12.34"},
        {TEditType::etCurrency, "5", "5.00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        edit->setFocus();
        Start(row.type, row.text);
        Leave();
        EXPECT_EQ(edit->Text(), row.left);
        EXPECT_TRUE(next->hasFocus());
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(QorEditTest, BooleanKeys) {
    // Each key sets its value from the other one; Space turns it over,
    // other letters do nothing.
    const std::pair<const char*, const char*> rows[] = {
        {"y", "Да"}, {"n", "Нет"}, {"Y", "Да"}, {"0", "Нет"}, {"1", "Да"}, {"-", "Нет"},
        {"+", "Да"}, {"Н", "Нет"}, {"д", "Да"}, {" ", "Нет"}, {" ", "Да"},  {"x", "Да"},
    };
    Start(TEditType::etBoolean, "Нет");
    for (const auto& [key, shown] : rows) {
        windowdriver::TypeText(edit, QString::fromUtf8(key));
        EXPECT_EQ(edit->Text(), shown) << key;
    }
}

TEST_F(QorEditTest, InvalidValueKeepsTheFocusWithTheErrorBox) {
    const struct {
        TEditType type;
        const char* text;
        bool refused;
        const char* left;
    } rows[] = {
        {TEditType::etInteger, "2147483648", true, "2147483648"},  // one past the range
        {TEditType::etInteger, "2147483647", false, "2147483647"},
        // A date that does not exist stays refused after its year is completed.
        {TEditType::etDate, "31.02.24", true, "31.02.2024"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        boxes.clear();
        edit->setFocus();
        Start(row.type, row.text);
        Leave();
        EXPECT_EQ(std::tuple(boxes.size(), edit->hasFocus(), edit->Text()),
                  std::tuple(row.refused ? 1u : 0u, row.refused, row.left));
        if (!row.refused) continue;
        EXPECT_EQ(boxes[0], "Error|" + TQorEdit::RangeText);
        EXPECT_EQ(edit->Color(), edit->ColorFocus());
        // The neighbour that had the focus for a moment is left as it was.
        EXPECT_NE(next->Color(), next->ColorFocus());
    }

    // Without a hook the box is a modal box of the window.
    edit->ShowMessage = nullptr;
    QString title, text;
    windowdriver::WhenModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    Start(TEditType::etTime, "25:00:00");
    Leave();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !title.isEmpty(); }, 3000));
    EXPECT_EQ(title, "Error");
    EXPECT_TRUE(text.startsWith("Range Max. :\n - Integer:\t\t-2147483647 .. 2147483647"));
    // The window's focused control is the edit again (the display makes
    // the window active once the box has gone).
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.focusWidget() == edit; }, 3000));
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }, 3000));
    EXPECT_EQ(edit->Color(), edit->ColorFocus());
}

TEST_F(QorEditTest, EnterMovesOnAndFocusChangesTheLook) {
    const QColor plain = next->Color();
    edit->SetWidthOnFocus(250);
    next->setFocus();
    QApplication::processEvents();
    const int width = edit->width();
    edit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(std::tuple(edit->Color(), edit->FontColor(), edit->width()),
              std::tuple(QApplication::palette().color(QPalette::ToolTipBase), QColor(0x80, 0, 0), 250));

    Start(TEditType::etString, "abc");
    QTest::keyClick(edit, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(next->hasFocus());
    EXPECT_EQ(std::tuple(edit->Color(), edit->width()), std::tuple(plain, width));

    // Another key may move on; Enter then does nothing at all.
    edit->setFocus();
    edit->SetEditKeyByTab(U'\t');
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->Text(), "abc");
}

TEST_F(QorEditTest, TextOfEveryScript) {
    Start(TEditType::etString, "");
    edit->SetFirstCharUpper(true);
    windowdriver::TypeText(edit, QString::fromUtf8("жук"));
    EXPECT_EQ(edit->Text(), "Жук");
    edit->SetText("élan");
    Leave();
    EXPECT_EQ(edit->Text(), "Élan");

    edit->setFocus();
    Start(TEditType::etString, "");
    edit->SetFirstCharUpper(false);
    edit->SetValidChar("абв12");
    windowdriver::TypeText(edit, QString::fromUtf8("а1xбг2"));
    EXPECT_EQ(edit->Text(), "а1б2");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "а1б");
}

TEST_F(QorEditTest, ControlKeysAsTheDisplayDeliversThem) {
    // Ctrl+letter arrives with its control character, as from X11.
    auto ctrl = [this](char letter) {
        windowdriver::X11Key(edit, Qt::Key_A + (letter - 'a'), Qt::ControlModifier, 0, static_cast<quint32>(letter),
                             QString(QChar(letter - 'a' + 1)));
    };
    Start(TEditType::etDate, "31.12.2024");
    ctrl('a');
    ctrl('c');
    EXPECT_EQ(std::tuple(QApplication::clipboard()->text(), edit->Text()), std::tuple("31.12.2024", "31.12.2024"));
    Start(TEditType::etInteger, "");
    QApplication::clipboard()->setText("77");
    ctrl('v');
    EXPECT_EQ(edit->Text(), "77");
    ctrl('z');  // not a key of the integer kind
    EXPECT_EQ(edit->Text(), "77");
    windowdriver::X11Key(edit, Qt::Key_Return, Qt::NoModifier, 36, 0xff0d, "\r");
    QApplication::processEvents();
    EXPECT_TRUE(next->hasFocus());
}

TEST(CurrencyTextTest, ExactToTheEdgesOfTheRange) {
    Currency c;
    const std::pair<const char*, int64_t> good[] = {
        {"922337203685477.5807", INT64_MAX},
        {"-922337203685477.5808", INT64_MIN},
        {" 1.23455 ", 12346},
        {"-.5", -5000},
    };
    for (const auto& [text, scaled] : good) {
        ASSERT_TRUE(TryTextToCurrency(text, c)) << text;
        EXPECT_EQ(c.scaled, scaled) << text;
    }
    // One past either end, and texts that are no number.
    for (const char* bad : {"922337203685477.5808", "-922337203685477.5809", "", "-", ".", "1.2.3", "12a", "1,5"}) {
        EXPECT_FALSE(TryTextToCurrency(bad, c)) << bad;
    }
}
