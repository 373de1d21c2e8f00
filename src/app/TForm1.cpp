#include "app/TForm1.h"

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

#include "app/TFrmBase.h"
#include "base/AnsiString.h"
#include "base/CodePage.h"
#include "base/SettingsStore.h"
#include "editor/ConsoleInputColoring.h"
#include "editor/TQorEditor.h"
#include "editor/TQorMemo.h"
#include "editor/TQorMemoStrings.h"

namespace {
QString ToQt(std::string_view ansi) { return QString::fromUtf8(AnsiToUtf8Text(ansi)); }
std::string FromQt(const QString& s) { return Utf8TextToAnsi(s.toUtf8().toStdString()); }
const std::string kLastDir = "HKCU\\Software\\QorTabulon\\LastDir";
}  // namespace

TForm1::TForm1(bool connectOnShow, QWidget* parent) : QWidget(parent), connectOnShow_(connectOnShow) {
    console_ = std::make_unique<TConsole>(*this);
    console_->LoadSettings();
    history_ = std::make_unique<StackStr>(console_->Settings().LHist);

    out_ = new TQorMemo(this);
    out_->SetReadOnly(true);
    // Nobody can undo in the output pane: keeping an undo list would only
    // grow with every printed line.
    out_->Model().SetHistoryEnabled(false);
    inp_ = new TQorEditor(this);
    SetupConsoleInputColoring(inp_->Editor().SyntaxColoring());

    split_ = new QSplitter(Qt::Vertical, this);
    split_->addWidget(out_);
    split_->addWidget(inp_);
    split_->setChildrenCollapsible(false);

    auto* status = new QHBoxLayout;
    for (QLabel*& m : marks_) {
        m = new QLabel(this);
        m->setFixedSize(10, 7);
        m->setAutoFillBackground(true);
        status->addWidget(m);
    }
    progress_ = new QLabel(this);
    status->addWidget(progress_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(split_, 1);
    layout->addLayout(status);
    SetBusyMark(1, false, 0);
    SetBusyMark(2, false, 0);

    auto key = [this](const QKeySequence& seq, auto fn) {
        auto* s = new QShortcut(seq, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, fn);
    };
    key(QKeySequence(Qt::Key_F5), [this] { RunAll(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Return), [this] { RunAll(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Enter), [this] { RunAll(); });
    key(QKeySequence(Qt::Key_F7), [this] { RunSelection(); });
    key(QKeySequence(Qt::Key_F12), [this] { ConnectDatabase(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_P), [this] { PreviousCommand(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_N), [this] { NextCommand(); });

    console_->OnConnected = [this](TConsole&) { UpdateCaption(); };
    console_->OnDisconnected = [this](TConsole&) { UpdateCaption(); };
    ApplySettings();
    UpdateCaption();
}

TForm1::~TForm1() {
    // The interpreter prints through this window: it goes first.
    console_.reset();
}

void TForm1::ApplySettings() {
    const ConsoleSettings& s = console_->Settings();
    inp_->SetText(s.SqlText);
    resize(s.Width, s.Height);
    split_->setSizes({std::max(50, s.Height - s.HeightInp), s.HeightInp});
    TFont fo = out_->Font();
    fo.Size = s.FontOut;
    out_->SetFont(fo);
    TFont fi = inp_->Font();
    fi.Size = s.FontInp;
    inp_->SetFont(fi);
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
    console_->SaveSettings();
}

void TForm1::UpdateCaption() {
    std::string caption = std::string(kProductName) + " " + kProductVersion;
    TQorSQLite3DB& db = console_->Session();
    if (db.Connected())
        caption += " [" + db.DLLName() + " - " + db.Version() + "]   " + db.Database() + " ";
    else
        caption += "  disconnected ";
    setWindowTitle(ToQt(caption));
}

void TForm1::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (shownOnce_) return;
    shownOnce_ = true;
    inp_->setFocus();
    if (connectOnShow_) QTimer::singleShot(0, this, [this] { ConnectDatabase(); });
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (!saved_) {
        SaveSettings();
        saved_ = true;
    }
    QWidget::closeEvent(e);
}

void TForm1::ConnectDatabase() {
    if (running_) return;
    try {
        console_->Session().Close();
        const std::string path = TFrmBase::SelectDatabase(ReadString(kLastDir, ""), this);
        if (path.empty()) return;
        const size_t cut = path.find_last_of('/');
        if (cut != std::string::npos) WriteString(kLastDir, path.substr(0, cut + 1));
        running_ = true;
        console_->Connect(path);
        running_ = false;
    } catch (const std::exception& e) {
        running_ = false;
        QMessageBox::critical(this, kProductName, ToQt(e.what()));
    }
    UpdateCaption();
}

void TForm1::Run(const std::string& text, bool offerToHistory) {
    if (running_) return;
    if (offerToHistory) history_->Offer(text);
    if (console_->Settings().ClearWind) ClearOutput();
    running_ = true;
    interrupt_ = false;
    lastPump_ = std::chrono::steady_clock::now();
    // While a run lasts, input is swallowed but for Ctrl+C (see eventFilter).
    qApp->installEventFilter(this);
    try {
        console_->RunCommandText(text);
    } catch (const std::exception& e) {
        QMessageBox::critical(this, kProductName, ToQt(Trim(e.what())));
    }
    qApp->removeEventFilter(this);
    running_ = false;
}

void TForm1::RunAll() { Run(inp_->GetText(), true); }

void TForm1::RunSelection() {
    const std::string sel = inp_->GetSelText();
    if (!sel.empty()) Run(sel, false);
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
    if (!running_) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* k = static_cast<QKeyEvent*>(event);
            if (k->key() == Qt::Key_C && (k->modifiers() & Qt::ControlModifier)) interrupt_ = true;
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
    return QMessageBox::question(this, "Confirm", ToQt(question), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool TForm1::AskText(std::string_view caption, std::string_view prompt, std::string& value) {
    bool ok = false;
    const QString s = QInputDialog::getText(this, ToQt(caption), ToQt(prompt), QLineEdit::Normal, ToQt(value), &ok);
    if (ok) value = FromQt(s);
    return ok;
}

void TForm1::ShowMessage(std::string_view text) { QMessageBox::information(this, kProductName, ToQt(text)); }

void TForm1::ShowProgress(std::string_view text) {
    progress_->setText(ToQt(text));
    progress_->repaint();
}

void TForm1::HideProgress() { progress_->clear(); }

void TForm1::SetBusyMark(int slot, bool on, uint32_t rgb) {
    if (slot < 1 || slot > 2) return;
    QLabel* m = marks_[slot - 1];
    QPalette p = m->palette();
    p.setColor(QPalette::Window, on ? QColor::fromRgb(rgb) : palette().color(QPalette::Button));
    m->setPalette(p);
    m->repaint();
}

bool TForm1::InterruptRequested() {
    // At most every 50 ms the window repaints and hears Ctrl+C.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ >= std::chrono::milliseconds(50)) {
        lastPump_ = now;
        QCoreApplication::processEvents();
    }
    if (!interrupt_) return false;
    interrupt_ = false;
    return true;
}

void TForm1::ShowText(std::string_view title, std::string_view text) {
    QMessageBox::information(this, ToQt(title), ToQt(text));
}
