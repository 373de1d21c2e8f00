#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPrinter>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

#include "../app/WindowDriver.h"
#include "../base/TempDir.h"
#include "base/Platform.h"
#include "dialogs/RtfReader.h"
#include "dialogs/TFrmText.h"
#include "dialogs/TQorTxt.h"
#include "dialogs/TTextRuler.h"

namespace {

class TextViewer : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.Hooks.Message = [this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); };
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(path, bytes)) << path;
        return bytes;
    }
    // Works the viewer once it shows modally; a viewer left open is closed.
    static void WhenShown(std::function<void(TFrmText&)> act) {
        QTimer::singleShot(0, [act] {
            auto* form = dynamic_cast<TFrmText*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr) << "the viewer did not show modally";
            act(*form);
            if (form->isVisible()) form->reject();
        });
    }
    static void Key(TFrmText& f, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(f.Editor(), static_cast<Qt::Key>(key), mods);
    }

    TempDir temp;
    std::filesystem::path dir{temp.Path()};
    TQorTxt viewer;
    std::vector<std::string> messages;
};

QRect Screen() { return QGuiApplication::primaryScreen()->geometry(); }

}  // namespace

TEST_F(TextViewer, PlainTextIsShownReadOnlyAndAMissingFileIsReported) {
    const std::string name = (dir / "нет файла.txt").string();
    EXPECT_FALSE(viewer.ShowFile("Файл", true, false, 0.8, 0.8, name, false));
    EXPECT_EQ(messages, (std::vector<std::string>{"Отсутствует файл: " + name}));

    std::string text = "Жёлтый\tжук\nsecond 漢字 line\n";
    WhenShown([&](TFrmText& f) {
        EXPECT_EQ(f.windowTitle(), "Текст окружения   ESC-Выход   [^+ ^- ^/   `+ `-]");
        EXPECT_EQ(f.size(), QSize(qRound(Screen().width() * 0.8), qRound(Screen().height() * 0.5)));
        EXPECT_EQ(std::tuple(f.Editor()->isReadOnly(), f.Ruler()->isVisible(), f.Editor()->lineWrapMode()),
                  std::tuple(true, false, QTextEdit::NoWrap));
        EXPECT_EQ(f.Editor()->toPlainText().toStdString(), text);
        Key(f, Qt::Key_X);
        EXPECT_FALSE(f.Modified());
        // The font keys stop at 20 and 4 points.
        EXPECT_EQ(f.Editor()->font().pointSize(), 10);
        for (int i = 0; i < 12; ++i) Key(f, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
        EXPECT_EQ(f.Editor()->font().pointSize(), 20);
        for (int i = 0; i < 20; ++i) Key(f, Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
        EXPECT_EQ(f.Editor()->font().pointSize(), 4);
        Key(f, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_FALSE(f.isVisible());
    });
    EXPECT_FALSE(viewer.ShowText("Текст окружения", true, 0.8, 0.5, text, false));
    EXPECT_EQ(text, "Жёлтый\tжук\nsecond 漢字 line\n");
}

TEST_F(TextViewer, OemTextAndItsToggle) {
    // "Привет" in CP866, with a DOS line end.
    const std::string file = Write("dos.txt", "\x8F\xE0\xA8\xA2\xA5\xE2\r\n");
    viewer.SetOEM(true);
    WhenShown([&](TFrmText& f) {
        EXPECT_EQ(f.Text(), "Привет\n");
        Key(f, Qt::Key_Slash, Qt::ControlModifier | Qt::KeypadModifier);
        EXPECT_TRUE(f.OemShown());
        Key(f, Qt::Key_Slash, Qt::ControlModifier | Qt::KeypadModifier);
        EXPECT_EQ(f.Text(), "Привет\n");
        // Edited and confirmed: saved back in CP866.
        f.Editor()->moveCursor(QTextCursor::End);
        windowdriver::TypeText(f.Editor(), "Мир");
        Key(f, Qt::Key_Slash, Qt::ControlModifier | Qt::KeypadModifier);  // refused: the edit stays
        EXPECT_EQ(f.Text(), "Привет\nМир");
        Key(f, Qt::Key_Return, Qt::ControlModifier);
    });
    EXPECT_TRUE(viewer.ShowFile("DOS", false, false, 0.5, 0.5, file, false));
    EXPECT_EQ(Read(file), "\x8F\xE0\xA8\xA2\xA5\xE2\n\x8C\xA8\xE0");
}

TEST_F(TextViewer, CtrlEnterReturnsTheEditedText) {
    std::string text = "строка";
    WhenShown([&](TFrmText& f) {
        EXPECT_EQ(f.windowTitle(), "Правка   ESC-Выход   Ctrl_Enter-Сохранить   [^+ ^- ^/   `+ `-]");
        EXPECT_FALSE(f.Editor()->isReadOnly());
        f.Editor()->moveCursor(QTextCursor::End);
        windowdriver::TypeText(f.Editor(), " ok\n日本");
        Key(f, Qt::Key_Return, Qt::ControlModifier);
    });
    EXPECT_TRUE(viewer.ShowText("Правка", false, 0.6, 0.6, text, true));
    EXPECT_EQ(text, "строка ok\n日本");

    // Unchanged, or left with Esc: false, the text as it was.
    WhenShown([&](TFrmText& f) { Key(f, Qt::Key_Return, Qt::ControlModifier); });
    EXPECT_FALSE(viewer.ShowText("Правка", false, 0.6, 0.6, text, true));
    WhenShown([&](TFrmText& f) {
        windowdriver::TypeText(f.Editor(), "x");
        Key(f, Qt::Key_Escape);
    });
    EXPECT_FALSE(viewer.ShowText("Правка", false, 0.6, 0.6, text, true));
    EXPECT_EQ(text, "строка ok\n日本");
}

TEST_F(TextViewer, WindowKeysKeepTheCentreWithinLimits) {
    TFrmText f;
    f.Setup("Размер", true, false, 0.5, 0.5, false);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.setGeometry(100, 100, 300, 200);
    Key(f, Qt::Key_Minus, Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_EQ(f.geometry(), QRect(100, 100, 300, 200));
    f.setGeometry(100, 100, 300, 201);
    Key(f, Qt::Key_Minus, Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_EQ(f.geometry(), QRect(125, 125, 250, 151));
    Key(f, Qt::Key_Plus, Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_EQ(f.geometry(), QRect(100, 100, 300, 201));
    // Larger only while it stays below the screen's height.
    const int h = Screen().height();
    f.setGeometry(0, 0, 300, h - 50);
    Key(f, Qt::Key_Plus, Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_EQ(f.height(), h - 50);
    f.setGeometry(0, 0, 300, h - 51);
    Key(f, Qt::Key_Plus, Qt::AltModifier | Qt::KeypadModifier);
    EXPECT_EQ(f.height(), h - 1);
}

TEST_F(TextViewer, RichTextKeepsItsFormattingThroughAFile) {
    TFrmText f;
    f.Setup("RTF", false, true, 0.6, 0.6, false);
    f.SetRichBytes("");
    EXPECT_EQ(f.windowTitle(), "RTF   ESC-Выход   Ctrl_Enter-Сохранить   F9-Меню");
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    EXPECT_EQ(std::tuple(f.Ruler()->isVisible(), f.Editor()->lineWrapMode()), std::tuple(true, QTextEdit::WidgetWidth));
    QTextEdit* e = f.Editor();
    auto trigger = [&](const QString& item) {
        QAction* a = f.MenuAction(item);
        ASSERT_NE(a, nullptr) << item.toStdString();
        a->trigger();
    };
    // F9 opens the menu; its keys work without it.
    QTest::keyClick(e, Qt::Key_F9);
    EXPECT_TRUE(f.PopupMenu()->isVisible());
    f.PopupMenu()->hide();
    QTest::keyClick(e, Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    // Typed with the formats switched on before each word, as a user does;
    // a step in brackets is a menu entry.
    for (const char* step : {"Жирный", "[Жирный]", "[Курсив]", " наклон", "[Курсив]", "[Подчеркнутый]", " черта",
                             "[Подчеркнутый]", "\n", "[Выровнять по центру]", "центр\n", "[Выровнять вправо]",
                             "справа\n", "[Выровнять влево]", "[Список]", "один\nдва 😀", "[Arial]", "[Шрифт + 1]",
                             "!"}) {
        const QString s = QString::fromUtf8(step);
        if (s.startsWith('[')) {
            trigger(s.mid(1, s.size() - 2));
        } else {
            windowdriver::TypeText(e, s);
        }
    }
    // The check marks follow the caret.
    EXPECT_TRUE(f.MenuAction("Список")->isChecked());
    e->moveCursor(QTextCursor::Start);
    e->moveCursor(QTextCursor::Right);
    EXPECT_TRUE(f.MenuAction("Жирный")->isChecked());
    EXPECT_FALSE(f.MenuAction("Список")->isChecked());

    std::filesystem::create_directories(SCREENSHOT_DIR);
    f.grab().save(QString(SCREENSHOT_DIR) + "/text-viewer-rich.png");

    // Saved through the save dialog, which starts in the home folder.
    const std::string file = (dir / "формат.Rtf").string();
    QString asked;
    f.Hooks.SaveFileName = [&](QWidget*, const QString& title, const QString& folder, const QString& filter,
                               const QString& suffix) {
        asked = title + "|" + filter + "|" + suffix;
        EXPECT_EQ(folder, QDir::homePath());
        return QString::fromStdString(file);
    };
    f.SaveAsRtf();
    EXPECT_EQ(asked.toStdString(), "Выберите каталог и укажите имя файла для сохранения|Rtf Files (*.Rtf)|Rtf");
    const std::string rtf = Read(file);
    ASSERT_TRUE(LooksLikeRtf(rtf)) << rtf;

    TFrmText g;
    g.Setup("RTF", true, true, 0.6, 0.6, false);
    g.SetRichBytes(rtf);
    const QTextDocument* d = g.Editor()->document();
    ASSERT_EQ(d->blockCount(), 5);
    EXPECT_EQ(g.Text(), "Жирный наклон черта\nцентр\nсправа\nодин\nдва 😀!");
    auto formatAt = [&](int block, int offset) {
        const QTextBlock b = d->findBlockByNumber(block);
        QTextCursor c(b);
        c.setPosition(b.position() + offset + 1);
        return c.charFormat();
    };
    // Bold, italic, underlined: each word its own format only.
    for (const auto& [offset, bold, italic, underline] :
         {std::tuple{0, true, false, false}, {8, false, true, false}, {15, false, false, true}}) {
        const QTextCharFormat format = formatAt(0, offset);
        EXPECT_EQ(std::tuple(format.fontWeight() > QFont::Normal, format.fontItalic(), format.fontUnderline()),
                  std::tuple(bold, italic, underline)) << offset;
    }
    EXPECT_EQ(d->findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(d->findBlockByNumber(2).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(d->findBlockByNumber(0).textList(), nullptr);
    ASSERT_NE(d->findBlockByNumber(3).textList(), nullptr);
    EXPECT_EQ(d->findBlockByNumber(3).textList(), d->findBlockByNumber(4).textList());
    const QTextCharFormat last = formatAt(4, 6);
    EXPECT_EQ(last.fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_GT(last.fontPointSize(), 0);
    // Read-only: the formatting entries are off, printing and saving stay.
    EXPECT_EQ(std::tuple(g.MenuAction("Жирный")->isEnabled(), g.MenuAction("Печатать")->isEnabled()),
              std::tuple(false, true));

    // Printing goes through the print dialog with the job title.
    const std::string pdf = (dir / "печать.pdf").string();
    g.Hooks.Print = [&](QWidget*, QPrinter& printer) {
        EXPECT_EQ(printer.docName(), "From Editor");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    };
    g.PrintText();
    EXPECT_EQ(Read(pdf).substr(0, 5), "%PDF-");
}

TEST_F(TextViewer, RichFileIsSavedBackOnConfirm) {
    const std::string file = Write("a.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\qc{\\b\\f0 Bold} text\\par}");
    WhenShown([&](TFrmText& f) {
        EXPECT_EQ(f.Text(), "Bold text");
        f.Editor()->moveCursor(QTextCursor::End);
        windowdriver::TypeText(f.Editor(), " и ещё");
        QTest::keyClick(f.Editor(), Qt::Key_Return, Qt::ControlModifier);
    });
    EXPECT_TRUE(viewer.ShowFile("RTF", false, true, 0.5, 0.5, file, false));
    const RtfDocument doc = ReadRtf(Read(file));
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    const RtfParagraph& p = doc.paragraphs[0];
    EXPECT_EQ(std::tuple(p.Text(), p.alignment, p.runs[0].bold, p.runs[0].font),
              std::tuple("Bold text и ещё", RtfAlignment::Center, true, "Arial"));

    // A save that fails keeps the viewer open with the edit.
    const std::string plain = Write("b.txt", "x");
    bool stayed = false;
    WhenShown([&](TFrmText& f) {
        windowdriver::TypeText(f.Editor(), "y");
        // Meanwhile a folder has taken the file's place.
        std::filesystem::remove(plain);
        std::filesystem::create_directory(plain);
        QTest::keyClick(f.Editor(), Qt::Key_Return, Qt::ControlModifier);
        stayed = f.isVisible();
        EXPECT_EQ(f.Text(), "yx");
    });
    EXPECT_FALSE(viewer.ShowFile("TXT", false, false, 0.5, 0.5, plain, false));
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(std::filesystem::is_directory(plain));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Не удалось сохранить файл: " + plain, 0), 0u) << messages[0];
}

TEST(RtfReaderTest, ReadsWhatWordProcessorsWrite) {
    // Windows-1251 bytes, \u with its fallback, a surrogate pair, Word's
    // bullet form, an unknown ignorable destination, \plain.
    const RtfDocument d = ReadRtf(
        "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}{\\f1 Times New Roman;}}"
        "{\\colortbl;\\red0\\green0\\blue0;}{\\*\\generator Msftedit;}\\viewkind4\\uc1"
        "\\pard\\li720\\ri360\\fi-360\\qj\\f1\\fs28 \\'c6\\'f3\\'ea \\u1046?\\u-10179?\\u-8704?\\par"
        "{\\pntext\\f0\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'B7}}\\plain\\i x\\{y\\}\\\\z\\par"
        "\\pard tail}");
    ASSERT_EQ(d.paragraphs.size(), 3u);
    const RtfParagraph& p = d.paragraphs[0];
    EXPECT_EQ(std::tuple(p.Text(), p.alignment, p.bullet), std::tuple("Жук Ж😀", RtfAlignment::Justify, false));
    EXPECT_EQ(std::tuple(p.leftIndent, p.rightIndent, p.firstIndent), std::tuple(720, 360, -360));
    EXPECT_EQ(std::tuple(p.runs[0].font, p.runs[0].halfPoints), std::tuple("Times New Roman", 28));
    const RtfParagraph& q = d.paragraphs[1];
    EXPECT_EQ(std::tuple(q.bullet, q.Text(), q.runs[0].italic, q.runs[0].font), std::tuple(true, "x{y}\\z", true, ""));
    EXPECT_EQ(std::tuple(d.paragraphs[2].bullet, d.paragraphs[2].Text()), std::tuple(false, "tail"));
}

TEST(RtfReaderTest, SurvivesMalformedInput) {
    EXPECT_TRUE(ReadRtf("").paragraphs.empty());
    EXPECT_TRUE(ReadRtf("}}}}").paragraphs.empty());
    EXPECT_EQ(ReadRtf("{\\rtf1 cut off\\").paragraphs.at(0).Text(), "cut off");
    EXPECT_EQ(ReadRtf("{\\rtf1 a\\u99999999999999999999?b\\fs999999999999 c\\'").paragraphs.size(), 1u);
    EXPECT_EQ(ReadRtf("{\\rtf1 \\u-10179?x}").paragraphs.at(0).Text(), "\xEF\xBF\xBDx");  // a lone half
    EXPECT_EQ(ReadRtf("{\\rtf1 \\bin99999 xyz}").paragraphs.size(), 0u);
    // Nesting far deeper than any file needs.
    const std::string deep = "{\\rtf1 " + std::string(100000, '{') + "x" + std::string(100000, '}') + "y}";
    EXPECT_EQ(ReadRtf(deep).paragraphs.at(0).Text(), "y");
    EXPECT_EQ(ReadRtf("{\\rtf1{\\b bold}{\\fs-20 x}}").paragraphs.at(0).runs.at(1).halfPoints, 0);
}
