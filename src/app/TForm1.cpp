#include "app/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>
#include <QComboBox>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <fstream>
#include <sstream>

#include "app/DialogAnswers.h"
#include "app/TBusySplitter.h"
#include "app/TDatabaseScripts.h"
#include "app/TFrmAbout.h"
#include "app/TFrmBase.h"
#include "app/TFrm_Config.h"
#include "app/TGridPage.h"
#include "app/TPlugInHost.h"
#include "dialogs/TQorDialog.h"
#include "dialogs/TQorLovS.h"
#include "dialogs/TQorMenu.h"
#include "dialogs/TQorTxt.h"
#include "console/InternalTools.h"
#include "base/AnsiString.h"
#include "base/QtText.h"
#include "base/Utf8.h"
#include "base/SettingsStore.h"
#include "editor/ConsoleInputColoring.h"
#include "editor/TQorEditor.h"
#include "editor/TQorMemo.h"
#include "editor/TCustomRange.h"
#include "editor/TMCRanges.h"
#include "editor/TQorMemoStrings.h"
#include "editor/TQorOutLook.h"
#include "base/Platform.h"

namespace {
const std::string kLastDir = "HKCU\\Software\\QorTabulon\\LastDir";

// X11 and Wayland give a key's place on the keyboard as its XKB key code
// (the Linux input code + 8), whatever the layout prints on it. The offscreen
// and minimal platforms have no keyboard; key events reaching them are
// synthetic and carry such codes or none. Other platforms may pass raw
// input codes, which are not trusted.
bool XkbKeyCodes(const QKeyEvent& key) {
    if (key.nativeScanCode() == 0) return false;
    static const bool xkb = [] {
        const QString p = QGuiApplication::platformName();
        return p == "xcb" || p.startsWith("wayland") || p == "offscreen" || p == "minimal";
    }();
    return xkb;
}

// The digit of a key of the main keyboard's digit row, or -1. What a digit
// key types depends on the layout ('!' with Shift on a US keyboard, '/' on
// a German one, '&' without Shift on a French one); its place does not:
// XKB codes 10 ... 18 are the keys 1 ... 9, 19 is 0. Without a key code the
// key goes by the digit it carries, or by the US symbol above the digit.
int DigitRowKey(const QKeyEvent& key) {
    if (key.modifiers() & Qt::KeypadModifier) return -1;
    const bool placed = XkbKeyCodes(key);
    const quint32 scan = key.nativeScanCode();
    if (placed && scan >= 10 && scan <= 19) return static_cast<int>(scan - 9) % 10;
    const int k = key.key();
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return k - Qt::Key_0;
    if (!placed && (key.modifiers() & Qt::ShiftModifier)) {
        static constexpr std::string_view kShifted = ")!@#$%^&*(";
        const size_t at = k > 0 && k < 128 ? kShifted.find(static_cast<char>(k)) : std::string_view::npos;
        if (at != std::string_view::npos) return static_cast<int>(at);
    }
    return -1;
}

// Ctrl+C, also where the layout puts another letter on the C key (a
// Cyrillic one gives 'С'): XKB code 54 is that key.
bool IsCtrlC(const QKeyEvent& key) {
    if (!(key.modifiers() & Qt::ControlModifier)) return false;
    return key.key() == Qt::Key_C || (XkbKeyCodes(key) && key.nativeScanCode() == 54);
}

// Open, Run script and Save ask for a file with these dialogs; a name typed
// without an extension gets ".sql".
QString AskScriptFile(QWidget* parent, bool save) {
    QFileDialog dialog(parent, save ? "Save file" : "Load file", QString(),
                       save ? "Sql files (*.sql);;Txt files (*.txt)" : "Sql files (*.sql);;Txt files (*.txt);;All files (*)");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("sql");
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

// True when input for o goes to window: its platform window, a widget in
// it, an object a widget in it owns, or an action added to it.
bool BelongsToWindow(QObject* o, const QWidget* window) {
    if (auto* handle = qobject_cast<QWindow*>(o)) return handle == window->windowHandle();
    if (auto* action = qobject_cast<QAction*>(o)) {
        for (QObject* user : action->associatedObjects())
            if (auto* w = qobject_cast<QWidget*>(user); w && w->window() == window) return true;
        return false;
    }
    for (; o; o = o->parent())
        if (auto* w = qobject_cast<QWidget*>(o)) return w->window() == window;
    return false;
}
}  // namespace

TForm1::TForm1(bool connectOnShow, QWidget* parent) : QWidget(parent), connectOnShow_(connectOnShow) {
    console_ = std::make_unique<TConsole>(*this);
    console_->LoadSettings();
    history_ = std::make_unique<StackStr>(console_->Settings().LHist);
    qorTxt_ = std::make_unique<TQorTxt>();
    qorLovS_ = std::make_unique<TQorLovS>();
    qorLovS_->SetName("QorLovS");
    AnswerLovEvents(*qorLovS_, console_->Session());
    qorDialog_ = std::make_unique<TQorDialog>();
    AnswerDialogEvents(*qorDialog_, *qorLovS_, console_->Session(), this);

    pages_ = new QTabWidget(this);
    auto* selectPage = new QWidget(pages_);
    gridPage_ = new TGridPage(*console_, pages_);
    auto* gridPage = gridPage_;
    pages_->addTab(selectPage, "Select F2");
    pages_->addTab(gridPage, "Grid F2");

    out_ = new TQorMemo(selectPage);
    out_->setObjectName("MOut");
    out_->SetReadOnly(true);
    out_->SetLeftMargin(2);
    out_->SetTabSize(4);
    out_->setMinimumSize(64, 64);
    // Nobody can undo in the output pane: keeping an undo list would only
    // grow with every printed line.
    out_->Model().SetHistoryEnabled(false);
    inp_ = new TQorEditor(selectPage);
    inp_->setObjectName("MInp");
    // Ctrl+Down may take the input editor down to about two lines.
    inp_->setMinimumHeight(16);
    SetupConsoleInputColoring(inp_->Editor().SyntaxColoring());
    sideBar_ = new TQorOutLook(selectPage);
    sideBar_->setObjectName("QorOutLook1");
    TQorOutLookPage* tools = sideBar_->NewPage("&0 Internal tools");
    listBox1_ = new QListWidget(tools);
    listBox1_->setObjectName("ListBox1");
    for (const std::string& tool : InternalToolNames()) listBox1_->addItem(AnsiToQString(tool));
    listBox1_->setCurrentRow(0);
    // A double click runs the tool, as Enter does (see eventFilter).
    connect(listBox1_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { RunTool(listBox1_->row(item)); });
    auto* toolsLayout = new QVBoxLayout(tools);
    toolsLayout->setContentsMargins(0, 0, 0, 0);
    toolsLayout->addWidget(listBox1_);
    sideBar_->hide();
    sideBar_->OnChange = [this] {
        if (sideBar_->isVisible()) FocusSideBarPage();
    };

    topSplit_ = new QSplitter(Qt::Horizontal, selectPage);
    topSplit_->addWidget(out_);
    topSplit_->addWidget(sideBar_);
    topSplit_->setHandleWidth(4);
    // The side bar keeps its width when the window is resized.
    topSplit_->setStretchFactor(0, 1);
    topSplit_->setStretchFactor(1, 0);
    sideBar_->installEventFilter(this);
    connect(topSplit_, &QSplitter::splitterMoved, this, [this] {
        const QList<int> sizes = topSplit_->sizes();
        if (sizes.size() == 2 && sizes[1] > 0 && !sideBar_->isHidden()) outLookWidth_ = sizes[1];
    });
    split_ = new TBusySplitter(Qt::Vertical, selectPage);
    split_->addWidget(topSplit_);
    split_->addWidget(inp_);
    split_->setChildrenCollapsible(false);
    // The input editor keeps its height when the window is resized; the
    // output pane takes the rest.
    split_->setStretchFactor(0, 1);
    split_->setStretchFactor(1, 0);
    auto* selectLayout = new QVBoxLayout(selectPage);
    selectLayout->setContentsMargins(0, 0, 0, 0);
    selectLayout->addWidget(split_);

    cbTables_ = gridPage_->Tables();

    progress_ = new QLabel(this);
    progress_->setWindowFlags(Qt::ToolTip);
    progress_->setFrameShape(QFrame::Box);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(pages_, 1);
    SetBusyMark(1, false, 0);
    SetBusyMark(2, false, 0);

    BuildMenu();
    for (QWidget* w : {static_cast<QWidget*>(out_), static_cast<QWidget*>(inp_)}) {
        w->installEventFilter(this);
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& at) { popup_->popup(w->mapToGlobal(at)); });
    }
    for (QWidget* w : {static_cast<QWidget*>(cbTables_), static_cast<QWidget*>(listBox1_)}) w->installEventFilter(this);
    sideBar_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sideBar_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_->popup(sideBar_->mapToGlobal(at)); });

    console_->OnConnected = [this](TConsole&) {
        UpdateCaption();
        gridPage_->FillTables();
    };
    console_->OnDisconnected = [this](TConsole&) { UpdateCaption(); };
    ApplySettings();
    plugIns_ = std::make_unique<TPlugInHost>(*this);
    plugIns_->Load(TPlugInHost::DefaultFolders());
    UpdateCaption();
}

void TForm1::BuildMenu() {
    popup_ = new QMenu(this);
    auto item = [this](const char* text, QKeySequence key, auto fn) {
        QAction* a = popup_->addAction(text);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        addAction(a);
        connect(a, &QAction::triggered, this, fn);
        return a;
    };
    item("Connect", QKeySequence(Qt::Key_F12), [this] { ConnectDatabase(); });
    item("Previous Command", QKeySequence(Qt::CTRL | Qt::Key_P), [this] { PreviousCommand(); });
    item("Next Command", QKeySequence(Qt::CTRL | Qt::Key_N), [this] { NextCommand(); });
    item("Run script", QKeySequence(Qt::CTRL | Qt::Key_R), [this] { RunScript(); });
    item("Save to database", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { SaveToDatabase(); });
    item("Load from database", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), [this] { LoadFromDatabase(); });
    item("Save", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { SaveFile(); });
    item("Open", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OpenFile(); });
    item("SaveNum", QKeySequence(Qt::ALT | Qt::Key_S), [this] { SaveNum(); });
    item("OpenNum", QKeySequence(Qt::ALT | Qt::Key_O), [this] { OpenNum(); });
    item("Insert Template", QKeySequence(Qt::CTRL | Qt::Key_T), [this] { InsertTemplate(); });
    item("Save Template", QKeySequence(Qt::ALT | Qt::Key_T), [this] { SaveTemplate(); });
    item("Commit", QKeySequence(Qt::ALT | Qt::Key_C), [this] { Commit(); });
    item("RollBack", QKeySequence(Qt::ALT | Qt::Key_R), [this] { Rollback(); });
    item("Options...", QKeySequence(Qt::Key_F3), [this] {
        if (!running_) TFrm_Config::Edit(console_->Settings(), OutputLineCount(), this);
    });
    item("Clear Screen Out", QKeySequence(Qt::Key_F8), [this] { ClearScreenOut(); });
    item("Plugins...", QKeySequence(Qt::Key_F11), [this] { ToggleSideBar(); });
    popup_->addSeparator();
    item("Exit", QKeySequence(), [this] { close(); });

    auto key = [this](const QKeySequence& seq, auto fn) {
        auto* s = new QShortcut(seq, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, fn);
    };
    key(QKeySequence(Qt::Key_F5), [this] {
        if (OnSelectPage()) RunAll();
    });
    key(QKeySequence(Qt::CTRL | Qt::Key_Return), [this] {
        if (OnSelectPage()) RunAll();
    });
    key(QKeySequence(Qt::CTRL | Qt::Key_Enter), [this] {
        if (OnSelectPage()) RunAll();
    });
    // Ctrl+Enter types character 10, which Ctrl+J types as well.
    key(QKeySequence(Qt::CTRL | Qt::Key_J), [this] {
        if (OnSelectPage()) RunAll();
    });
    key(QKeySequence(Qt::Key_F7), [this] {
        if (OnSelectPage()) RunSelection();
    });
    key(QKeySequence(Qt::Key_F9), [this] {
        if (!OnSelectPage()) return;
        const QRect screen = this->screen() ? this->screen()->geometry() : QRect(0, 0, 1024, 768);
        popup_->popup(QPoint(screen.width() / 2, screen.height() / 6));
    });
    key(QKeySequence(Qt::CTRL | Qt::Key_Tab), [this] { focusNextChild(); });
    key(QKeySequence(Qt::Key_F2), [this] { pages_->setCurrentIndex(1 - pages_->currentIndex()); });
    key(QKeySequence(Qt::CTRL | Qt::Key_F1), [this] { TFrmAbout::ShowAbout(this); });
    key(QKeySequence(Qt::Key_F1), [this] { ShowHelp(); });
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketLeft), [this] {
        console_->Session().SetTrace(true);
        ShowMessage("Client trace file ON -->" + console_->Session().TraceFile());
    });
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_BracketRight), [this] {
        console_->Session().SetTrace(false);
        ShowMessage("Client trace file OFF -->" + console_->Session().TraceFile());
    });
}

bool TForm1::OnSelectPage() const { return pages_->currentIndex() == 0; }

TForm1::~TForm1() {
    // The plug-ins are unloaded before the console they call back into.
    plugIns_.reset();
    // The interpreter prints through this window: it goes first.
    console_.reset();
}

void TForm1::ApplySettings() {
    const ConsoleSettings& s = console_->Settings();
    pages_->setCurrentIndex(s.Page == 1 ? 1 : 0);
    inp_->SetText(s.SqlText);
    resize(s.Width, s.Height);
    inputHeight_ = s.HeightInp;
    split_->setSizes({std::max(50, s.Height - s.HeightInp), s.HeightInp});
    TFont fo = out_->Font();
    fo.Size = s.FontOut;
    out_->SetFont(fo);
    TFont fi = inp_->Font();
    fi.Size = s.FontInp;
    inp_->SetFont(fi);
    outLookWidth_ = s.OutLookWidth > 0 ? s.OutLookWidth : 130;
    PlaceSideBar();
}

void TForm1::PlaceSideBar() {
    const int total = std::max(topSplit_->width(), outLookWidth_ + 64);
    topSplit_->setSizes({total - outLookWidth_, outLookWidth_});
}

void TForm1::SaveSettings() {
    ConsoleSettings& s = console_->Settings();
    s.SqlText = inp_->GetText();
    s.Width = width();
    s.Height = height();
    const QList<int> sizes = split_->sizes();
    if (sizes.size() == 2) s.HeightInp = sizes[1];
    s.FontOut = out_->Font().Size;
    s.FontInp = inp_->Font().Size;
    s.Page = pages_->currentIndex();
    s.OutLookWidth = outLookWidth_;
    console_->SaveSettings();
}

void TForm1::SaveSettingsOnce() {
    if (saved_) return;
    saved_ = true;
    SaveSettings();
}

void TForm1::EndSession() {
    if (running_ && !closePending_) {
        // The run stops at the next command: the statement fetching now and
        // every later one are interrupted, and the failure ends the run.
        stopErrBefore_ = console_->Settings().StopErr;
        console_->Settings().StopErr = true;
        interrupt_ = true;
    }
    closePending_ = true;
    // Open dialogs are answered with Cancel (a question with No), from the
    // top one down; one that refuses to close is hidden.
    for (int i = 0; i < 16; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (modal->isVisible()) modal->hide();
    }
    // A running command ends first; the window closes after it.
    if (!running_) close();
}

void TForm1::UpdateCaption() {
    std::string caption = std::string(kProductName) + " " + kProductVersion;
    TQorSQLite3DB& db = console_->Session();
    if (db.Connected())
        caption += " [" + db.DLLName() + " - " + db.Version() + "]   " + db.Database() + " ";
    else
        caption += "  disconnected ";
    setWindowTitle(AnsiToQString(caption));
}

void TForm1::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (shownOnce_) return;
    shownOnce_ = true;
    // Laid out now: the stored input height is given exactly, not scaled
    // with the room the tabs and frames take (it would shrink every start).
    const QList<int> sizes = split_->sizes();
    if (sizes.size() == 2) split_->setSizes({std::max(1, sizes[0] + sizes[1] - inputHeight_), inputHeight_});
    inp_->setFocus();
    if (connectOnShow_) QTimer::singleShot(0, this, [this] { ConnectDatabase(); });
}

void TForm1::closeEvent(QCloseEvent* e) {
    SaveSettingsOnce();
    QWidget::closeEvent(e);
}

void TForm1::ConnectDatabase() {
    if (running_ || closePending_) return;
    std::string path;
    try {
        console_->Session().Close();
        path = TFrmBase::SelectDatabase(ReadString(kLastDir, ""), this);
    } catch (const std::exception& e) {
        QMessageBox::critical(this, kProductName, AnsiToQString(e.what()));
    }
    if (!path.empty() && !closePending_) {
        const size_t cut = path.find_last_of('/');
        if (cut != std::string::npos) WriteString(kLastDir, path.substr(0, cut + 1));
        // The start-up commands run after the connect, as a command.
        RunGuarded([this, &path] { console_->Connect(path); });
    }
    UpdateCaption();
}

void TForm1::RunGuarded(const std::function<void()>& work) {
    running_ = true;
    interrupt_ = false;
    lastPump_ = std::chrono::steady_clock::now();
    // While it lasts, input is swallowed but for Ctrl+C (see eventFilter).
    qApp->installEventFilter(this);
    std::string failure;
    try {
        work();
    } catch (const std::exception& e) {
        failure = Trim(e.what());
    }
    qApp->removeEventFilter(this);
    running_ = false;
    interrupt_ = false;
    if (closePending_) {
        console_->Settings().StopErr = stopErrBefore_;
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    }
    if (!failure.empty()) QMessageBox::critical(this, kProductName, AnsiToQString(failure));
}

void TForm1::Run(const std::string& text, bool offerToHistory, bool clearOutput) {
    if (running_ || closePending_) return;
    if (offerToHistory) history_->Offer(text);
    if (clearOutput && console_->Settings().ClearWind) ClearOutput();
    RunGuarded([this, &text] { console_->RunCommandText(text); });
}

bool TForm1::RunCommand(const std::string& text) {
    if (running_ || closePending_) return false;
    RunGuarded([this, &text] { console_->RunCommandText(text); });
    return !console_->CommandError();
}

void TForm1::RunAll() { Run(inp_->GetText(), true, true); }

void TForm1::RunSelection() {
    const std::string sel = inp_->GetSelText();
    if (!sel.empty()) Run(sel, false, true);
}

void TForm1::PreviousCommand() {
    const std::string s = history_->Previous();
    if (!s.empty()) inp_->SetText(s);
}

void TForm1::NextCommand() {
    const std::string s = history_->NextEntry();
    if (!s.empty()) inp_->SetText(s);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sideBar_ && event->type() == QEvent::Show) PlaceSideBar();
    // Dialogs a command opens while it runs (a question, a prompt) take
    // their input as usual; only this window's input waits.
    if (!running_ || !BelongsToWindow(watched, this)) {
        TQorMemo* pane = watched == out_ ? out_ : watched == inp_ ? static_cast<TQorMemo*>(inp_) : nullptr;
        switch (event->type()) {
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                if (pane && PaneKey(*pane, key)) return true;
                if (watched == listBox1_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                    (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                    RunTool(listBox1_->currentRow());
                    return true;
                }
                break;
            }
            case QEvent::MouseButtonRelease:
                if (pane) PaneMouse(*pane, static_cast<QMouseEvent*>(event));
                break;
            case QEvent::FocusIn:
            case QEvent::FocusOut: {
                // The focused pane turns white.
                const bool in = event->type() == QEvent::FocusIn;
                if (pane) {
                    pane->SetColor(in ? TColor(0xFFFFFF) : clWindow);
                } else if (auto* w = qobject_cast<QWidget*>(watched)) {
                    QPalette p = w->palette();
                    p.setColor(QPalette::Base, in ? QColor(Qt::white) : palette().color(QPalette::Base));
                    w->setPalette(p);
                }
                break;
            }
            default: break;
        }
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* k = static_cast<QKeyEvent*>(event);
            if (IsCtrlC(*k)) interrupt_ = true;
            return true;
        }
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Close:
            event->ignore();
            return true;
        default: return QWidget::eventFilter(watched, event);
    }
}

// ---------------------------------------------------------------- host

void TForm1::PrintLine(std::string_view text) { out_->Lines().Add(text); }

void TForm1::ClearOutput() { out_->Lines().Clear(); }

int TForm1::OutputLineCount() { return out_->Lines().Count(); }

void TForm1::DeleteFirstLines(int count) { static_cast<TQorMemoStrings&>(out_->Lines()).DeleteLines(0, count); }

bool TForm1::AskYesNo(std::string_view question, bool) {
    return QMessageBox::question(this, "Confirm", AnsiToQString(question), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool TForm1::AskText(std::string_view caption, std::string_view prompt, std::string& value) {
    if (AskTextHook) return AskTextHook(caption, prompt, value);
    bool ok = false;
    const QString s = QInputDialog::getText(this, AnsiToQString(caption), AnsiToQString(prompt), QLineEdit::Normal, AnsiToQString(value), &ok);
    if (ok) value = QStringToAnsi(s);
    return ok;
}

void TForm1::ShowMessage(std::string_view text) { QMessageBox::information(this, kProductName, AnsiToQString(text)); }

void TForm1::ShowProgress(std::string_view text) {
    // A small note at the window's top left while a directive works.
    progress_->setText(AnsiToQString(text));
    progress_->adjustSize();
    progress_->move(mapToGlobal(QPoint(4, 24)));
    progress_->show();
    progress_->repaint();
}

void TForm1::HideProgress() { progress_->hide(); }

void TForm1::SetBusyMark(int slot, bool on, uint32_t rgb) { split_->SetMark(slot, on, QColor::fromRgb(rgb)); }

bool TForm1::InterruptRequested() {
    // At most every 50 ms the window repaints and hears Ctrl+C.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ >= std::chrono::milliseconds(50)) {
        lastPump_ = now;
        QCoreApplication::processEvents();
    }
    if (!interrupt_) return false;
    // Once the window is to close, every fetch that follows stops too.
    interrupt_ = closePending_;
    return true;
}

void TForm1::ShowText(std::string_view title, std::string_view text) { ShowTextSized(title, text, 0.8, 0.8); }

void TForm1::ShowTextSized(std::string_view title, std::string_view text, double widthFactor, double heightFactor) {
    std::string shown(text);
    qorTxt_->ShowText(std::string(title), true, widthFactor, heightFactor, shown, false, this);
}

// ---------------------------------------------------------------- side bar

void TForm1::ToggleSideBar() {
    if (sideBar_->isHidden()) {
        // Shown at its stored width (see eventFilter), the splitter's
        // handle just left of it.
        sideBar_->show();
        FocusSideBarPage();
    } else {
        sideBar_->hide();
        inp_->setFocus();
    }
}

void TForm1::FocusSideBarPage() {
    const int index = sideBar_->PageIndex();
    if (index < 0 || index >= sideBar_->PageCount()) return;
    for (QWidget* w : sideBar_->Page(index)->findChildren<QWidget*>()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && !w->isHidden()) {
            w->setFocus();
            return;
        }
    }
}

void TForm1::RunTool(int index) {
    if (running_ || closePending_ || index < 0) return;
    // The tools print into the output pane as commands do, and report a
    // failure in the error box.
    RunGuarded([this, index] { RunInternalTool(*console_, index); });
}

// ---------------------------------------------------------------- panes

bool TForm1::PaneKey(TQorMemo& pane, QKeyEvent* key) {
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const bool keypad = key->modifiers() & Qt::KeypadModifier;
    const int k = key->key();
    if (mods == Qt::ControlModifier) {
        if (keypad && k == Qt::Key_Plus) return StepFont(pane, 1), true;
        if (keypad && k == Qt::Key_Minus) return StepFont(pane, -1), true;
        if (k == Qt::Key_A) return pane.SelectAll(), true;
        if (k == Qt::Key_Up) return ResizeInput(14), true;
        if (k == Qt::Key_Down) return ResizeInput(-14), true;
        if (&pane == inp_ && k == Qt::Key_Backslash) return ShowMessage(QuickBuffersText()), true;
        if (&pane == inp_)
            if (const int digit = DigitRowKey(*key); digit >= 0) return InsertQuickBuffer(digit), true;
    }
    if (&pane == inp_ && mods == (Qt::ControlModifier | Qt::ShiftModifier))
        if (const int digit = DigitRowKey(*key); digit >= 0) return StoreQuickBuffer(digit), true;
    return false;
}

bool TForm1::PaneMouse(TQorMemo& pane, QMouseEvent* mouse) {
    if (mouse->button() != Qt::LeftButton) return false;
    const Qt::KeyboardModifiers mods = mouse->modifiers();
    if (mods == Qt::ControlModifier && !pane.GetSelText().empty()) {
        pane.CopyToClipboard();
        QApplication::beep();
        return true;
    }
    if (&pane == inp_ && mods == Qt::ShiftModifier) {
        inp_->PasteFromClipboard();
        QApplication::beep();
        return true;
    }
    return false;
}

void TForm1::StepFont(TQorMemo& pane, int delta) {
    TFont f = pane.Font();
    if ((delta > 0 && f.Size >= 20) || (delta < 0 && f.Size <= 4)) return;
    f.Size += delta;
    pane.SetFont(f);
}

int TForm1::InputHeight() const { return inp_->height(); }

void TForm1::ResizeInput(int delta) {
    const int h = inp_->height();
    if (delta > 0 && h >= height() - 100) return;
    if (delta < 0 && h <= 32) return;
    QList<int> sizes = split_->sizes();
    if (sizes.size() != 2) return;
    sizes[0] -= delta;
    sizes[1] += delta;
    split_->setSizes(sizes);
}

void TForm1::StoreQuickBuffer(int digit) {
    const std::string sel = inp_->GetSelText();
    if (!sel.empty()) quick_[digit] = sel;
}

void TForm1::InsertQuickBuffer(int digit) { InsertAtCaret(quick_[digit]); }

void TForm1::InsertAtCaret(const std::string& insert) {
    // Right at the caret, as one edit that Ctrl+Z takes back.
    const int at = inp_->GetSelStart();
    TMCRange place(&inp_->Model().Ranges());
    place.SetRStart(at + 1);
    place.SetREnd(at);
    place.SetText(insert);
    inp_->SetSelStart(at);
}

bool TForm1::ChooseSlot(const std::string& title, const std::string& nameKey, int& index) {
    const std::string list = NamedSlots::MenuText(nameKey);
    index = 0;
    if (ChooseSlotHook) return ChooseSlotHook(title, list, index);
    TQorMenu menu;
    return menu.Execute(title, list, '^', index, this) && index >= 0 && index <= 9;
}

namespace {
std::string SlotPath(const char* name, int index) {
    std::string path(ConsoleSettings::kKey);
    path.append(name).append(std::to_string(index));
    return path;
}
}  // namespace

void TForm1::SaveNum() {
    int i = 0;
    if (!ChooseSlot("Save buffer", "BuffName", i)) return;
    std::string name;
    if (!AskText(MsgText("Enter", "Enter"), MsgText("NameBuffer", "Name buffer"), name) || name.empty()) return;
    WriteString(SlotPath("Buff", i), inp_->GetText());
    WriteString(SlotPath("BuffName", i), name);
}

void TForm1::OpenNum() {
    int i = 0;
    if (!ChooseSlot("Load buffer", "BuffName", i)) return;
    inp_->SetText(ReadString(SlotPath("Buff", i), ""));
}

void TForm1::SaveTemplate() {
    const std::string sel = inp_->GetSelText();
    if (sel.empty()) return;
    int i = 0;
    if (!ChooseSlot("Save Clip", "ClipName", i)) return;
    std::string name;
    if (!AskText(MsgText("Enter", "Enter"), MsgText("NameTemplate", "Name template"), name) || name.empty()) return;
    WriteString(SlotPath("ClipName", i), name);
    WriteString(SlotPath("Clip", i), sel);
}

void TForm1::InsertTemplate() {
    int i = 0;
    if (!ChooseSlot("Load Clip", "ClipName", i)) return;
    InsertAtCaret(ReadString(SlotPath("Clip", i), ""));
}

std::string TForm1::QuickBuffersText() const {
    std::string s;
    for (int i = 0; i < 10; ++i) s += "\r" + std::to_string(i) + " " + quick_[i];
    return s;
}

// ---------------------------------------------------------------- menu

void TForm1::ClearScreenOut() {
    BeginOutputUpdate();
    ClearOutput();
    EndOutputUpdate();
}

void TForm1::RunScript() {
    if (running_) return;
    const QString file = AskScriptFile(this, false);
    if (file.isEmpty()) return;
    const std::string name = file.toStdString();
    if (!FileExists(name)) return;
    inp_->SetText("@" + name);
    // The output pane keeps what it shows.
    Run(inp_->GetText(), true, false);
}

void TForm1::OpenFile() {
    const QString file = AskScriptFile(this, false);
    if (file.isEmpty()) return;
    std::string text;
    if (!ReadFileBytes(file.toStdString(), text)) {
        QMessageBox::critical(this, kProductName, "Cannot read " + file);
        return;
    }
    inp_->SetText(FileText(text));
}

void TForm1::SaveFile() {
    const QString file = AskScriptFile(this, true);
    if (file.isEmpty()) return;
    std::ofstream out(file.toStdString(), std::ios::binary | std::ios::trunc);
    // Saved as this platform's text: UTF-8 with LF line ends.
    const std::string text = CrLfToLf(inp_->GetText());
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) QMessageBox::critical(this, kProductName, "Cannot write " + file);
}

void TForm1::Commit() {
    if (running_) return;
    try {
        console_->Commit();
    } catch (const std::exception& e) {
        QMessageBox::critical(this, kProductName, AnsiToQString(Trim(e.what())));
    }
}

void TForm1::Rollback() {
    if (running_) return;
    try {
        console_->Rollback();
    } catch (const std::exception& e) {
        QMessageBox::critical(this, kProductName, AnsiToQString(Trim(e.what())));
    }
}

void TForm1::SaveToDatabase() {
    if (running_) return;
    try {
        TDatabaseScripts(console_->Session(), *qorLovS_, *this).Save(CrLfToLf(inp_->GetText()));
    } catch (const std::exception& e) {
        QMessageBox::critical(this, kProductName, AnsiToQString(Trim(e.what())));
    }
}

void TForm1::LoadFromDatabase() {
    if (running_) return;
    try {
        std::string text;
        if (TDatabaseScripts(console_->Session(), *qorLovS_, *this).Load(text, this)) inp_->SetText(text);
    } catch (const std::exception& e) {
        QMessageBox::critical(this, kProductName, AnsiToQString(Trim(e.what())));
    }
}

int TForm1::HelpContext(const QWidget* w) const {
    for (; w; w = w->parentWidget()) {
        if (w == out_) return 1300;
        if (w == inp_) return 1200;
    }
    return 1000;
}

QUrl TForm1::HelpUrl() const {
    QUrl url = QUrl::fromLocalFile(QDir::cleanPath(QString::fromUtf8(ProgramDataFile("tabulon.html"))));
    url.setFragment(QString::number(HelpContext(QApplication::focusWidget())));
    return url;
}

void TForm1::ShowHelp() { QDesktopServices::openUrl(HelpUrl()); }
