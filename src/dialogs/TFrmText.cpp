#include "dialogs/TFrmText.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <cerrno>
#include <cstring>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/Platform.h"
#include "base/QtText.h"
#include "base/SingleByteCodePage.h"
#include "base/Utf8.h"
#include "dialogs/RtfReader.h"
#include "dialogs/RtfTextDocument.h"
#include "dialogs/RtfWriter.h"
#include "dialogs/TTextRuler.h"

namespace {

const char* const kSaveTitle = "Выберите каталог и укажите имя файла для сохранения";

QRect ScreenRect(const QWidget* w) {
    const QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 1024, 768);
}

// Text of CP866 bytes, line breaks as on this platform.
std::string OemText(std::string_view bytes) {
    const SingleByteCodePage* cp866 = SingleByteCodePage::Find(866);
    return CrLfToLf(cp866 ? cp866->Decode(bytes) : std::string(bytes));
}

}  // namespace

std::string WriteWholeFile(const std::string& file, const std::string& bytes) {
    return WriteFileBytes(file, bytes) ? std::string() : std::string(std::strerror(errno));
}

TFrmText::TFrmText(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Текст");
    setMinimumSize(100, 100);
    ruler_ = new TTextRuler(this);
    ruler_->hide();
    editor_ = new QTextEdit(this);
    editor_->setObjectName("TextViewerEditor");
    editor_->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ruler_);
    layout->addWidget(editor_, 1);
    popup_ = new QMenu(this);
    BuildMenu();
    ruler_->OnChanged = [this](int first, int left, int right) { ApplyIndents(first, left, right); };
    connect(editor_, &QTextEdit::cursorPositionChanged, this, [this] { UpdateChecks(); });
    connect(editor_, &QTextEdit::currentCharFormatChanged, this, [this] { UpdateChecks(); });
    connect(editor_, &QTextEdit::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_->popup(editor_->viewport()->mapToGlobal(at)); });
}

TFrmText::~TFrmText() = default;

void TFrmText::BuildMenu() {
    auto item = [this](const QString& text, QKeySequence key, auto fn, bool checkable = false) {
        QAction* a = popup_->addAction(text);
        a->setCheckable(checkable);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
        addAction(a);
        connect(a, &QAction::triggered, this, fn);
        return a;
    };
    const auto ctrlShift = [](int key) { return QKeySequence(Qt::CTRL | Qt::SHIFT | key); };
    alignGroup_ = new QActionGroup(this);
    auto align = [this](Qt::Alignment a) {
        QTextBlockFormat f;
        f.setAlignment(a);
        editor_->textCursor().mergeBlockFormat(f);
        UpdateChecks();
    };
    alignGroup_->addAction(item("Выровнять влево", ctrlShift(Qt::Key_L), [=] { align(Qt::AlignLeft); }, true));
    alignGroup_->addAction(item("Выровнять по центру", ctrlShift(Qt::Key_C), [=] { align(Qt::AlignHCenter); }, true));
    alignGroup_->addAction(item("Выровнять вправо", ctrlShift(Qt::Key_R), [=] { align(Qt::AlignRight); }, true));
    item("Жирный", ctrlShift(Qt::Key_B), [this](bool on) {
        QTextCharFormat f;
        f.setFontWeight(on ? QFont::Bold : QFont::Normal);
        MergeFormat(f);
    }, true);
    item("Курсив", ctrlShift(Qt::Key_I), [this](bool on) {
        QTextCharFormat f;
        f.setFontItalic(on);
        MergeFormat(f);
    }, true);
    item("Подчеркнутый", ctrlShift(Qt::Key_U), [this](bool on) {
        QTextCharFormat f;
        f.setFontUnderline(on);
        MergeFormat(f);
    }, true);
    item("Список", ctrlShift(Qt::Key_M), [this](bool on) { ToggleList(on); }, true);
    item("Шрифт - 1", ctrlShift(Qt::Key_BracketLeft), [this] { StepSelectionSize(-1); });
    item("Шрифт + 1", ctrlShift(Qt::Key_BracketRight), [this] { StepSelectionSize(1); });
    popup_->addSeparator();
    fontGroup_ = new QActionGroup(this);
    fontGroup_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const char* name : {"MS Sans Serif", "Arial", "Times New Roman", "Courier"}) {
        const QString family = QString::fromUtf8(name);
        fontGroup_->addAction(item(family, QKeySequence(), [this, family] {
            QTextCharFormat f;
            f.setFontFamilies({family});
            MergeFormat(f);
        }, true));
    }
    popup_->addSeparator();
    item("Печатать", ctrlShift(Qt::Key_P), [this] { PrintText(); });
    popup_->addSeparator();
    item("Сохранить как текст...", QKeySequence(), [this] { SaveAsText(); });
    item("Сохранить как RTF...", QKeySequence(), [this] { SaveAsRtf(); });
}

QAction* TFrmText::MenuAction(const QString& text) const {
    for (QAction* a : popup_->actions())
        if (a->text() == text) return a;
    return nullptr;
}

void TFrmText::Setup(const std::string& caption, bool readOnly, bool rich, double widthFactor, double heightFactor,
                     bool wordWrap) {
    rich_ = rich;
    readOnly_ = readOnly;
    QString title = AnsiToQString(caption) + "   ESC-Выход";
    if (!readOnly) title += "   Ctrl_Enter-Сохранить";
    title += rich ? "   F9-Меню" : "   [^+ ^- ^/   `+ `-]";
    setWindowTitle(title);

    editor_->setReadOnly(readOnly);
    editor_->setAcceptRichText(rich);
    editor_->setLineWrapMode(rich || wordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    editor_->setContextMenuPolicy(rich ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
    ruler_->setVisible(rich);
    // Only printing and saving change nothing in a read-only text.
    for (QAction* a : popup_->actions()) {
        const bool harmless = a->text() == "Печатать" || a->text().startsWith("Сохранить");
        a->setEnabled(rich && (harmless || !readOnly));
    }
    if (!rich) {
        QFont f("Courier New");
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
        f.setPointSize(10);
        editor_->setFont(f);
    }

    const QRect screen = ScreenRect(this);
    const int w = static_cast<int>(std::lround(screen.width() * widthFactor));
    const int h = static_cast<int>(std::lround(screen.height() * heightFactor));
    const QSize size(std::max(minimumWidth(), w), std::max(minimumHeight(), h));
    setGeometry(QRect(screen.center() - QPoint(size.width() / 2, size.height() / 2), size));
}

void TFrmText::ShowPlain(const QString& text) {
    editor_->setPlainText(text);
    editor_->document()->setModified(false);
    editor_->moveCursor(QTextCursor::Start);
}

void TFrmText::SetPlainBytes(std::string bytes, bool oem) {
    bytes_ = std::move(bytes);
    oem_ = oem;
    oemShown_ = false;
    ShowPlain(AnsiToQString(oem ? OemText(bytes_) : FileText(bytes_)));
}

void TFrmText::SetRichBytes(std::string_view bytes) {
    bytes_.clear();
    if (LooksLikeRtf(bytes)) {
        RtfToDocument(ReadRtf(bytes), *editor_->document());
        editor_->moveCursor(QTextCursor::Start);
    } else {
        ShowPlain(AnsiToQString(FileText(bytes)));
    }
    UpdateChecks();
}

std::string TFrmText::Text() const {
    QString s = editor_->document()->toRawText();
    s.replace(QChar::ParagraphSeparator, QChar('\n'));
    s.replace(QChar::LineSeparator, QChar('\n'));
    return QStringToAnsi(s);
}

std::string TFrmText::Rtf() const { return WriteRtf(DocumentToRtf(*editor_->document())); }

bool TFrmText::Modified() const { return editor_->document()->isModified(); }

void TFrmText::ToggleOem() {
    if (rich_ || Modified()) return;
    oemShown_ = !oemShown_;
    // The other reading of the same bytes: CP866 for text read as UTF-8,
    // and the other way round.
    ShowPlain(AnsiToQString(oemShown_ != oem_ ? OemText(bytes_) : FileText(bytes_)));
}

void TFrmText::StepFontSize(int delta) {
    if (rich_) return;
    QFont f = editor_->font();
    const int size = f.pointSize();
    if ((delta > 0 && size >= 20) || (delta < 0 && size <= 4)) return;
    f.setPointSize(size + (delta > 0 ? 1 : -1));
    editor_->setFont(f);
}

void TFrmText::StepWindow(int delta) {
    const QRect screen = ScreenRect(this);
    if (delta > 0 && height() + 50 >= screen.height()) return;
    if (delta < 0 && height() < 201) return;
    const int d = delta > 0 ? 50 : -50;
    QRect g = geometry();
    g.adjust(-d / 2, -d / 2, d - d / 2, d - d / 2);
    setGeometry(g);
}

void TFrmText::ShowPopup() {
    if (rich_) popup_->popup(mapToGlobal(rect().center()));
}

void TFrmText::MergeFormat(const QTextCharFormat& f) {
    if (readOnly_) return;
    editor_->mergeCurrentCharFormat(f);
    UpdateChecks();
}

void TFrmText::StepSelectionSize(int delta) {
    const QTextCharFormat current = editor_->currentCharFormat();
    const double size = current.fontPointSize() > 0 ? current.fontPointSize() : editor_->document()->defaultFont().pointSizeF();
    QTextCharFormat f;
    f.setFontPointSize(std::clamp(size + delta, 1.0, kRtfMaxHalfPoints / 2.0));
    MergeFormat(f);
}

void TFrmText::ToggleList(bool on) {
    if (readOnly_) return;
    QTextCursor c = editor_->textCursor();
    if (on) {
        if (!c.currentList()) c.createList(QTextListFormat::ListDisc);
    } else {
        // Every paragraph of the selection leaves its list.
        QTextDocument* doc = editor_->document();
        QTextBlock block = doc->findBlock(c.selectionStart());
        const QTextBlock last = doc->findBlock(c.selectionEnd());
        for (;;) {
            if (QTextList* list = block.textList()) {
                list->remove(block);
                QTextCursor bc(block);
                QTextBlockFormat bf = block.blockFormat();
                bf.setIndent(0);
                bc.setBlockFormat(bf);
            }
            if (block == last || !block.isValid()) break;
            block = block.next();
        }
    }
    UpdateChecks();
}

void TFrmText::UpdateChecks() {
    if (!rich_ || updating_) return;
    updating_ = true;
    const QTextCursor c = editor_->textCursor();
    const QTextCharFormat f = editor_->currentCharFormat();
    const Qt::Alignment a = c.blockFormat().alignment();
    MenuAction("Выровнять по центру")->setChecked(a & Qt::AlignHCenter);
    MenuAction("Выровнять вправо")->setChecked((a & Qt::AlignRight) && !(a & Qt::AlignHCenter));
    MenuAction("Выровнять влево")->setChecked(!(a & (Qt::AlignHCenter | Qt::AlignRight)));
    MenuAction("Жирный")->setChecked(f.fontWeight() > QFont::Normal);
    MenuAction("Курсив")->setChecked(f.fontItalic());
    MenuAction("Подчеркнутый")->setChecked(f.fontUnderline());
    MenuAction("Список")->setChecked(c.currentList() != nullptr);
    const QStringList families = f.fontFamilies().toStringList();
    const QString family = families.isEmpty() ? QString() : families.first();
    for (QAction* font : fontGroup_->actions()) font->setChecked(font->text() == family);
    updating_ = false;
    UpdateRuler();
}

void TFrmText::UpdateRuler() {
    if (!rich_) return;
    const qreal margin = editor_->document()->documentMargin();
    const QPoint viewport = editor_->viewport()->mapTo(this, QPoint(0, 0));
    ruler_->SetTextArea(viewport.x() + static_cast<int>(margin) - editor_->horizontalScrollBar()->value(),
                        editor_->viewport()->width() - static_cast<int>(2 * margin));
    const QTextBlockFormat bf = editor_->textCursor().blockFormat();
    const int left = static_cast<int>(std::lround(bf.leftMargin()));
    ruler_->SetIndents(left + static_cast<int>(std::lround(bf.textIndent())), left,
                       static_cast<int>(std::lround(bf.rightMargin())));
}

void TFrmText::ApplyIndents(int first, int left, int right) {
    if (readOnly_) {
        UpdateRuler();
        return;
    }
    QTextBlockFormat bf;
    bf.setLeftMargin(left);
    bf.setTextIndent(first - left);
    bf.setRightMargin(right);
    editor_->textCursor().mergeBlockFormat(bf);
}

void TFrmText::Message(const QString& text) {
    if (Hooks.Message)
        Hooks.Message(this, text);
    else
        QMessageBox::warning(this, windowTitle(), text);
}

void TFrmText::SaveAs(bool rtf) {
    const QString filter = rtf ? "Rtf Files (*.Rtf)" : "Txt Files (*.Txt)";
    const QString suffix = rtf ? "Rtf" : "Txt";
    QString file;
    if (Hooks.SaveFileName) {
        file = Hooks.SaveFileName(this, kSaveTitle, QDir::homePath(), filter, suffix);
    } else {
        QFileDialog dialog(this, kSaveTitle, QDir::homePath(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(suffix);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) file = dialog.selectedFiles().first();
    }
    if (file.isEmpty()) return;
    const std::string why = WriteWholeFile(QStringToAnsi(file), rtf ? Rtf() : Text());
    if (!why.empty()) Message("Не удалось сохранить файл: " + file + "\n" + AnsiToQString(why));
}

void TFrmText::SaveAsText() { SaveAs(false); }

void TFrmText::SaveAsRtf() { SaveAs(true); }

void TFrmText::PrintText() {
    QPrinter printer;
    printer.setDocName("From Editor");
    bool go = false;
    if (Hooks.Print) {
        go = Hooks.Print(this, printer);
    } else {
        QPrintDialog dialog(&printer, this);
        go = dialog.exec() == QDialog::Accepted;
    }
    if (go) editor_->print(&printer);
}

void TFrmText::Confirm() {
    if (OnConfirm && !OnConfirm(*this)) return;
    confirmed_ = true;
    accept();
}

bool TFrmText::HandleKey(QKeyEvent* key) {
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const bool keypad = key->modifiers() & Qt::KeypadModifier;
    const int k = key->key();
    if (mods == Qt::ControlModifier && (k == Qt::Key_Return || k == Qt::Key_Enter)) return Confirm(), true;
    if (mods == Qt::NoModifier && k == Qt::Key_Escape) return reject(), true;
    if (mods == Qt::NoModifier && k == Qt::Key_F9 && rich_) return ShowPopup(), true;
    if (mods == Qt::ControlModifier && k == Qt::Key_S) return SaveAs(rich_), true;
    if (keypad && mods == Qt::ControlModifier && !rich_) {
        if (k == Qt::Key_Slash) return ToggleOem(), true;
        if (k == Qt::Key_Plus) return StepFontSize(1), true;
        if (k == Qt::Key_Minus) return StepFontSize(-1), true;
    }
    if (keypad && mods == Qt::AltModifier) {
        if (k == Qt::Key_Plus) return StepWindow(1), true;
        if (k == Qt::Key_Minus) return StepWindow(-1), true;
    }
    return false;
}

bool TFrmText::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_) {
        if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) return true;
        if (event->type() == QEvent::Resize) UpdateRuler();
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmText::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    UpdateRuler();
}

void TFrmText::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    editor_->setFocus();
    UpdateRuler();
}
