#include "dialogs/TFrm_DialogInp.h"

#include <algorithm>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>

#include "base/AnsiString.h"
#include "base/DateTime.h"
#include "base/Exception.h"
#include "base/NumberText.h"
#include "base/QtText.h"
#include "base/Utf8.h"
#include "dialogs/TQorEdit.h"

namespace {

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kYellow(0xFF, 0xFF, 0x00);
constexpr int kEditHeight = TQorEdit::DefaultHeight;
constexpr int kMemoHeight = 45;
constexpr int kPanelHeight = 40;

bool HasLookup(int typ) { return typ == dkString || typ == dkCurrency || typ == dkInteger || typ == dkDate; }
bool IsFileKind(int typ) { return typ == dkFile || typ == dkFileAlso; }
bool IsCheckList(int typ) { return typ == dkCList || typ == dkRList; }

// The value of a display query's '$': quotes doubled, so that a value in
// quotes stays one SQL string whatever it holds.
std::string SqlShowText(const std::string& sqlShow, const std::string& value) {
    return ReplaceAll(sqlShow, "$", ReplaceAll(value, "'", "''"));
}

std::string DateText(TDateTime d) { return FormatDateTime("dd/mm/yyyy", d); }

std::string IntegerValueText(const Variant& v) {
    if (v.IsEmptyOrNull()) return "0";
    if (!v.IsNumeric()) return v.ToString();
    try {
        return IntToStr(v.ToInt32());
    } catch (const Exception&) {
        return v.ToString();
    }
}

// Yes unless the value is false: an empty text, one beginning with '0', or
// a word for no.
bool BooleanValue(const Variant& v) {
    if (v.IsEmptyOrNull()) return false;
    if (v.Type() == VarType::Boolean) return v.ToBool();
    if (v.IsNumeric()) return v.ToDouble() != 0;
    const std::string t = Trim(v.ToString());
    if (t.empty() || t[0] == '0') return false;
    for (const char* no : {"false", "f", "no", "n", "нет", "н"})
        if (AnsiSameText(t, no)) return false;
    return true;
}

Currency CurrencyOf(const Variant& v) {
    return v.Type() == VarType::String ? TextToCurrency(v.ToString()) : v.ToCurrency();
}

int32_t IntegerOf(const Variant& v) {
    return v.Type() == VarType::String ? StrToInt(Trim(v.ToString())) : v.ToInt32();
}

TDateTime DateOf(const Variant& v) {
    if (v.Type() != VarType::String) return v.ToDateTime();
    TDateTime d;
    if (TryStrToDate(Trim(v.ToString()), d)) return d;
    return static_cast<double>(static_cast<int64_t>(StrToDateTime(Trim(v.ToString()))));
}

// A date value as the entry shows it; a text that is no date stays as it is.
std::string DateValueText(const Variant& v) {
    if (v.IsEmptyOrNull()) return {};
    try {
        return DateText(DateOf(v));
    } catch (const Exception&) {
        return v.ToString();
    }
}

}  // namespace

std::vector<std::string> CheckListItems(const std::string& text) {
    std::vector<std::string> items;
    if (Trim(text).empty()) return items;
    size_t i = 0;
    while (true) {
        std::string item;
        while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
        if (i < text.size() && text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        item += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i];
            }
            while (i < text.size() && text[i] != ',') ++i;  // anything after the closing quote
        } else {
            const size_t comma = text.find(',', i);
            item = Trim(std::string_view(text).substr(i, comma == std::string::npos ? std::string::npos : comma - i));
            i = comma == std::string::npos ? text.size() : comma;
        }
        items.push_back(item);
        if (i >= text.size()) break;
        ++i;  // the comma
    }
    return items;
}

std::string CheckListLetter(int k) {
    std::string s;
    AppendUtf8(s, static_cast<char32_t>(U'A' + k));
    return s;
}

TFrm_DialogInp::TFrm_DialogInp(TQorDialog& owner, std::vector<TDialogParam> params, QWidget* parent)
    : QDialog(parent), owner_(owner), params_(std::move(params)) {
    setWindowFlags(Qt::Dialog | Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8("Введите"));
    // The rows are laid out in pixels for a small dialog font.
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    rows_ = new QWidget(this);
    int y = 2;
    work_.reserve(params_.size());
    for (size_t i = 0; i < params_.size(); ++i) {
        work_.push_back(params_[i].Value);
        entries_.push_back(MakeEntry(static_cast<int>(i), y));
        params_[i].WinCtrl = entries_.back();
    }

    // Rows that do not fit the screen scroll above the bottom panel.
    QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().height() - 60 : 0;
    int width = FormWidth, height = y + 52;
    if (room > 200 && height > room) {
        auto* scroll = new QScrollArea(this);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        rows_->setFixedSize(FormWidth, y);
        scroll->setWidget(rows_);
        width += scroll->verticalScrollBar()->sizeHint().width();
        height = room;
        scroll->setGeometry(0, 0, width, height - 52);
        scroll_ = scroll;
    } else {
        rows_->setGeometry(0, 0, FormWidth, y);
    }

    // Bottom panel: the keys on both sides, the button between them.
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(0, height - kPanelHeight, width, kPanelHeight);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 4, 8, 4);
    auto* esc = new QLabel(QString::fromUtf8("Esc - Отказаться"), panel);
    auto* go = new QLabel(QString::fromUtf8("Ctrl_Enter - Продолжить"), panel);
    button_ = new QPushButton(QString::fromUtf8("Продолжить"), panel);
    QFont bold = button_->font();
    bold.setBold(true);
    button_->setFont(bold);
    // The button takes no focus: a click leaves the entry being edited
    // focused, and Confirm finishes it as leaving it would.
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setAutoDefault(false);
    row->addWidget(esc);
    row->addStretch();
    row->addWidget(button_);
    row->addStretch();
    row->addWidget(go);
    connect(button_, &QPushButton::clicked, this, [this] { Confirm(); });

    setFixedSize(width, height);
    if (screen) {
        QRect r = frameGeometry();
        r.moveCenter(screen->geometry().center());
        move(r.topLeft());
    }
    if (!entries_.empty()) entries_.front()->setFocus(Qt::OtherFocusReason);
}

QWidget* TFrm_DialogInp::MakeEntry(int i, int& y) {
    const TDialogParam& p = params_[static_cast<size_t>(i)];
    auto* label = new QLabel(rows_);
    QPalette lp = label->palette();
    lp.setColor(QPalette::WindowText, kNavy);
    label->setPalette(lp);
    label->setToolTip(AnsiToQString(p.VarPrompt));
    labels_.push_back(label);

    QWidget* entry = nullptr;
    int labelWidth = EditX - 6;
    if (p.Typ == dkMemo) {
        auto* memo = new QPlainTextEdit(rows_);
        memo->setPlainText(AnsiToQString(p.Value.ToString()));
        memo->setReadOnly(p.View);
        memo->setTabChangesFocus(true);
        memo->document()->setDocumentMargin(2);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // As wide as the rows above it: from the prompt's edge to the right
        // edge of the right-aligned edits.
        memo->setGeometry(2, y + 13, FormWidth - 12, kMemoHeight);
        label->setGeometry(2, y, FormWidth - 12, 13);
        labelWidth = FormWidth - 12;
        entry = memo;
        y += 61;
    } else if (IsCheckList(p.Typ)) {
        int height = 0;
        entry = MakeCheckList(i, y, height);
        label->setGeometry(2, y, labelWidth, kEditHeight);
        y += height + 2;
    } else {
        TQorEdit* edit = MakeEdit(i, y);
        labelWidth = std::max(EditX - 6, edit->x() - 6);
        label->setGeometry(2, y, labelWidth, kEditHeight);
        entry = edit;
        y += 20;
    }
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setText(label->fontMetrics().elidedText(AnsiToQString(p.VarPrompt), Qt::ElideRight, labelWidth));

    entry->setObjectName(QStringLiteral("EDIT%1").arg(i));
    entry->setProperty("Tag", i);
    entry->setToolTip(AnsiToQString(p.VarPrompt));
    entry->installEventFilter(this);
    return entry;
}

TQorEdit* TFrm_DialogInp::MakeEdit(int i, int y) {
    TDialogParam& p = params_[static_cast<size_t>(i)];
    auto* e = new TQorEdit(rows_);
    e->ShowMessage = [this](QWidget*, const std::string& caption, const std::string& text) { Message(caption, text); };
    int width = 300;
    switch (p.Typ) {
        case dkCurrency:
            e->SetEditType(TEditType::etCurrency);
            e->SetText(p.Value.IsEmptyOrNull() ? std::string("0") : p.Value.ToString());
            e->ApplyPrecision();
            width = 120;
            break;
        case dkInteger:
            e->SetEditType(TEditType::etInteger);
            e->SetText(IntegerValueText(p.Value));
            width = 75;
            break;
        case dkDate:
            e->SetEditType(TEditType::etDate);
            e->SetText(DateValueText(p.Value));
            width = 65;
            break;
        case dkBoolean:
            e->SetEditType(TEditType::etBoolean);
            e->SetText(BooleanValue(p.Value) ? "Да" : "Нет");
            width = 26;
            break;
        case dkPassword:
            e->SetText(p.Value.ToString());
            e->setEchoMode(QLineEdit::Password);
            width = 100;
            break;
        case dkDir:
        case dkFile:
        case dkFileAlso:
            e->SetText(p.Value.ToString());
            e->SetColor(kYellow);
            e->SetColorFocus(kYellow);
            break;
        default: e->SetText(p.Value.ToString()); break;
    }
    bool readOnly = p.View;
    if (HasLookup(p.Typ)) {
        if (!p.SqlList.empty()) {
            e->SetColor(kYellow);
            e->SetColorFocus(kYellow);
        }
        if (!p.SqlShow.empty()) {
            // The looked-up text is a name, not a number: it reads from the left.
            readOnly = true;
            width = 300;
            e->SetAlignment(TAlignment::taLeftJustify);
            e->SetText(Look(i, p.Value.ToString()));
        }
    }
    e->setReadOnly(readOnly);
    int x = EditX;
    const int alignment = owner_.Alignment();
    if (alignment == 1) x = FormWidth - width - 10;
    else if (alignment == 2) x = EditX + (FormWidth - EditX - width - 10) / 2;
    e->setGeometry(x, y, width, kEditHeight);
    e->setCursorPosition(0);
    e->OnExit = [this, i, e] {
        if (!LeaveEntry(i)) e->KeepFocus();
    };
    return e;
}

QListWidget* TFrm_DialogInp::MakeCheckList(int i, int y, int& height) {
    const TDialogParam& p = params_[static_cast<size_t>(i)];
    auto* list = new QListWidget(rows_);
    const std::vector<std::string> items = CheckListItems(p.Items.empty() ? p.Value.ToString() : p.Items);
    bool oneChecked = false;
    for (size_t k = 0; k < items.size(); ++k) {
        auto* item = new QListWidgetItem(AnsiToQString(items[k]), list);
        // The marks follow the list's own clicks and keys (ToggleCheck),
        // not the item view's check-box editing.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setSizeHint(QSize(0, 13));
        bool checked = p.SqlList.find(CheckListLetter(static_cast<int>(k))) != std::string::npos;
        if (p.Typ == dkRList && checked) {
            checked = !oneChecked;  // one item only
            oneChecked = true;
        }
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    list->setUniformItemSizes(true);
    const int n = static_cast<int>(items.size());
    height = n <= 2 ? 30 : n == 3 ? 43 : 56;
    list->setGeometry(EditX, y, 300, height);
    connect(list, &QListWidget::itemClicked, this, [this, i, list](QListWidgetItem* item) {
        ToggleCheck(i, list->row(item));
    });
    return list;
}

void TFrm_DialogInp::ToggleCheck(int i, int row) {
    if (params_[static_cast<size_t>(i)].View) return;
    auto* list = static_cast<QListWidget*>(Entry(i));
    QListWidgetItem* item = list->item(row);
    if (!item) return;
    if (params_[static_cast<size_t>(i)].Typ == dkRList) {
        // Radio behaviour: the item clicked is the one checked.
        for (int k = 0; k < list->count(); ++k) list->item(k)->setCheckState(k == row ? Qt::Checked : Qt::Unchecked);
        return;
    }
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

std::string TFrm_DialogInp::EditText(int i) const {
    if (auto* e = dynamic_cast<TQorEdit*>(Entry(i))) return e->Text();
    if (auto* m = dynamic_cast<QPlainTextEdit*>(Entry(i))) return QStringToAnsi(m->toPlainText());
    return {};
}

std::string TFrm_DialogInp::Look(int i, const std::string& value) {
    const TDialogParam& p = params_[static_cast<size_t>(i)];
    if (!owner_.OnLookSql) return value;
    try {
        return owner_.OnLookSql(SqlShowText(p.SqlShow, value));
    } catch (const std::exception& ex) {
        Message("Error", Trim(ex.what()));
        return {};
    }
}

void TFrm_DialogInp::ShowChoice(int i, const std::string& value) {
    const TDialogParam& p = params_[static_cast<size_t>(i)];
    auto* e = static_cast<TQorEdit*>(Entry(i));
    if (!p.SqlShow.empty()) {
        e->SetText(Look(i, value));
    } else if (p.Typ == dkDate) {
        // A date from the database ("yyyy-mm-dd") in the entry's own form.
        e->SetText(DateValueText(Variant(value)));
    } else {
        e->SetText(value);
        e->ApplyPrecision();
    }
    e->setCursorPosition(0);
    e->setModified(true);
}

void TFrm_DialogInp::LookUp(int i) {
    TDialogParam& p = params_[static_cast<size_t>(i)];
    if (p.View) return;
    if (p.Typ == dkDir) return ChooseDir(i);
    if (IsFileKind(p.Typ)) return ChooseFileFor(i);
    if (!HasLookup(p.Typ) || p.SqlList.empty()) return;
    const bool shows = !p.SqlShow.empty();
    Variant value = shows ? work_[static_cast<size_t>(i)] : Variant(EditText(i));
    const std::string sql = Trim(p.SqlList);
    try {
        if (!AnsiSameText(std::string_view(sql).substr(0, 6), "SELECT")) {
            if (!owner_.OnHotKey) return;
            owner_.OnHotKey(p.VarName, p.VarPrompt, p.Typ, p.View, p.SqlShow, p.SqlList, Entry(i), value);
            work_[static_cast<size_t>(i)] = value;
            ShowChoice(i, value.ToString());
            return;
        }
        if (!owner_.OnLovSql) return;
        if (owner_.OnLovSql(p.SqlList, value)) {
            work_[static_cast<size_t>(i)] = Variant(value.ToString());
            ShowChoice(i, value.ToString());
        }
    } catch (const std::exception& ex) {
        Message("Error", Trim(ex.what()));
    }
}

void TFrm_DialogInp::ChooseDir(int i) {
    auto* e = static_cast<TQorEdit*>(Entry(i));
    std::string start = Trim(e->Text());
    if (start.size() > 1 && start.back() == '/') start.pop_back();
    const std::string title = "Выберите каталог";
    std::string chosen;
    bool ok = false;
    if (owner_.ChooseFolder) {
        ok = owner_.ChooseFolder(this, title, start, chosen);
    } else {
        const QString dir = QFileDialog::getExistingDirectory(this, AnsiToQString(title), AnsiToQString(start));
        ok = !dir.isEmpty();
        chosen = QStringToAnsi(dir);
    }
    if (!ok || chosen.empty()) return;
    if (chosen.back() != '/') chosen += '/';
    e->SetText(chosen);
    e->setModified(true);
}

void TFrm_DialogInp::ChooseFileFor(int i) {
    auto* e = static_cast<TQorEdit*>(Entry(i));
    const std::string text = Trim(e->Text());
    const QFileInfo info(AnsiToQString(text));
    const std::string dir = text.empty() ? std::string() : QStringToAnsi(info.path());
    const std::string name = QStringToAnsi(info.fileName());
    const std::string ext = QStringToAnsi(info.suffix());
    std::string filter = "All files (*)";
    if (!ext.empty()) filter = ext + " files (*." + ext + ");;" + filter;
    const std::string title = "Выберите файл";
    std::string chosen;
    bool ok = false;
    if (owner_.ChooseFile) {
        ok = owner_.ChooseFile(this, title, dir, name, filter, chosen);
    } else {
        QFileDialog dialog(this, AnsiToQString(title), AnsiToQString(dir));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(AnsiToQString(filter).split(QStringLiteral(";;")));
        if (!name.empty()) dialog.selectFile(AnsiToQString(name));
        ok = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
        if (ok) chosen = QStringToAnsi(dialog.selectedFiles().front());
    }
    if (!ok || chosen.empty()) return;
    e->SetText(chosen);
    e->setModified(true);
}

bool TFrm_DialogInp::LeaveEntry(int i) {
    TDialogParam& p = params_[static_cast<size_t>(i)];
    if (p.View) return true;
    auto* e = dynamic_cast<TQorEdit*>(Entry(i));
    if (!e) return true;
    const bool fileKind = p.Typ == dkDir || IsFileKind(p.Typ);
    if (owner_.OnExitFld && (p.Typ == dkString || p.Typ == dkDate || fileKind)) {
        const bool shows = HasLookup(p.Typ) && !p.SqlShow.empty();
        Variant value = shows ? work_[static_cast<size_t>(i)] : Variant(e->Text());
        try {
            owner_.OnExitFld(p.VarName, p.VarPrompt, p.Typ, p.View, p.SqlShow, p.SqlList, e, value);
        } catch (const std::exception& ex) {
            Message("Error", Trim(ex.what()));
        }
        work_[static_cast<size_t>(i)] = value;
        if (shows) e->SetText(Look(i, value.ToString()));
        else if (value.ToString() != e->Text()) e->SetText(value.ToString());
    }
    if (!fileKind) return true;
    // An empty entry names nothing and may stay empty.
    const std::string text = Trim(e->Text());
    if (text.empty()) return true;
    const QFileInfo info(AnsiToQString(text));
    const bool there = p.Typ == dkDir ? info.isDir() : info.isFile();
    if (there) return true;
    if (owner_.Beep) owner_.Beep();
    else QApplication::beep();
    CaptionMessage((p.Typ == dkDir ? "   ? Нет такого каталога: " : "   ? Нет такого файла: ") + text);
    return false;
}

void TFrm_DialogInp::CaptionMessage(const std::string& text) {
    if (!captionTimer_) {
        captionTimer_ = new QTimer(this);
        captionTimer_->setSingleShot(true);
        connect(captionTimer_, &QTimer::timeout, this, [this] { setWindowTitle(savedCaption_); });
    }
    if (!captionTimer_->isActive()) savedCaption_ = windowTitle();
    setWindowTitle(AnsiToQString(text));
    captionTimer_->start(1000);
}

Variant TFrm_DialogInp::ReadValue(int i) const {
    const TDialogParam& p = params_[static_cast<size_t>(i)];
    const Variant& work = work_[static_cast<size_t>(i)];
    const bool shows = HasLookup(p.Typ) && !p.SqlShow.empty();
    const std::string text = EditText(i);
    switch (p.Typ) {
        case dkString: return shows ? work : Variant(Trim(text));
        case dkCurrency: return Variant(shows ? CurrencyOf(work) : TextToCurrency(text));
        case dkInteger: return Variant(shows ? IntegerOf(work) : StrToInt(Trim(text)));
        case dkDate: {
            if (shows) return Variant::FromDate(DateOf(work));
            return Variant::FromDate(StrToDate(text));
        }
        case dkBoolean: return Variant(static_cast<int32_t>(text.rfind("Д", 0) == 0 ? 1 : 0));
        case dkCList:
        case dkRList: {
            auto* list = static_cast<QListWidget*>(Entry(i));
            std::string letters;
            for (int k = 0; k < list->count(); ++k)
                if (list->item(k)->checkState() == Qt::Checked) letters += CheckListLetter(k);
            return Variant(letters);
        }
        default: return Variant(Trim(text));
    }
}

void TFrm_DialogInp::Confirm() {
    // The focused entry is left as if the focus moved on.
    const int focused = IndexOf(QApplication::focusWidget());
    if (focused >= 0) {
        if (auto* e = dynamic_cast<TQorEdit*>(Entry(focused))) {
            if (!e->FinishEdit()) return;
            if (!LeaveEntry(focused)) return;
        }
    }
    std::vector<Variant> out;
    out.reserve(params_.size());
    for (int i = 0; i < Count(); ++i) {
        try {
            out.push_back(ReadValue(i));
        } catch (const std::exception&) {
            if (params_[static_cast<size_t>(i)].View) {
                // Shown only: the value stays what it was.
                out.push_back(params_[static_cast<size_t>(i)].Value);
                continue;
            }
            Message("Error", TQorEdit::RangeText);
            Entry(i)->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    results_ = std::move(out);
    accept();
}

int TFrm_DialogInp::IndexOf(const QObject* control) const {
    for (const QObject* o = control; o; o = o->parent()) {
        const auto it = std::find(entries_.begin(), entries_.end(), o);
        if (it != entries_.end()) return static_cast<int>(it - entries_.begin());
    }
    return -1;
}

bool TFrm_DialogInp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const int i = IndexOf(watched);
    if (i < 0) return QDialog::eventFilter(watched, event);
    auto* k = static_cast<QKeyEvent*>(event);
    const TDialogParam& p = params_[static_cast<size_t>(i)];
    const bool ctrl = k->modifiers() & Qt::ControlModifier;
    switch (k->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            if (ctrl) {
                Confirm();
                return true;
            }
            // Enter moves on; a writable memo takes it as a line break, a
            // writable typed edit moves on by itself.
            auto* memo = dynamic_cast<QPlainTextEdit*>(watched);
            if (memo && !memo->isReadOnly()) return false;
            auto* edit = dynamic_cast<TQorEdit*>(watched);
            if (edit && !edit->isReadOnly()) return false;
            focusNextChild();
            return true;
        }
        case Qt::Key_Escape: reject(); return true;
        case Qt::Key_F2: LookUp(i); return true;
        case Qt::Key_Space:
            if (IsCheckList(p.Typ)) {
                auto* list = static_cast<QListWidget*>(Entry(i));
                ToggleCheck(i, list->currentRow());
                return true;
            }
            break;
        default: break;
    }
    if (p.View) return false;
    const QString t = k->text();
    if (t.size() != 1 || ctrl) return false;
    const QChar c = t[0];
    if (p.Typ == dkDate && p.SqlShow.empty() && c == '=') {
        // '=' is '+' on the same key without Shift: the next day.
        QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier, QStringLiteral("+"));
        QApplication::sendEvent(watched, &plus);
        return true;
    }
    if (p.Typ == dkPassword && c.unicode() >= 32 && (c.unicode() < 33 || c.unicode() > 126)) {
        // A hidden entry takes no character the eye cannot check: nothing
        // beyond ASCII (a keyboard left in another layout) and no blank.
        return true;
    }
    return false;
}

void TFrm_DialogInp::keyPressEvent(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (ctrl) Confirm();
            else focusNextChild();
            return;
        case Qt::Key_Escape: reject(); return;
        default: QDialog::keyPressEvent(e);
    }
}

void TFrm_DialogInp::Message(const std::string& caption, const std::string& text) {
    if (owner_.ShowMessage) {
        owner_.ShowMessage(this, caption, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, AnsiToQString(caption), AnsiToQString(text), QMessageBox::Ok, this);
    box.exec();
}
