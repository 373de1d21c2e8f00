#include "app/TPlugInHost.h"

#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <type_traits>
#include <unistd.h>

#include "app/TForm1.h"
#include "base/AnsiString.h"
#include "base/Platform.h"
#include "base/QtText.h"
#include "base/TQorRun.h"
#include "base/Utf8.h"
#include "console/ParamFile.h"
#include "dataset/TDataSet.h"
#include "dataset/TField.h"
#include "dialogs/TQorDialog.h"
#include "dialogs/TQorLovS.h"
#include "dialogs/TQorMenu.h"
#include "dialogs/TQorTxt.h"
#include "editor/TQorOutLook.h"

namespace {

// The window whose plug-ins call back now: the last one made.
TPlugInHost* g_host = nullptr;
TForm1* g_window = nullptr;
// The one buffer every text-returning callback answers in.
std::string g_text;

std::string Str(const char* s) { return s ? std::string(s) : std::string(); }

const char* Answer(std::string s) {
    g_text = std::move(s);
    return g_text.c_str();
}

// Prints a failure the way the console's commands do.
void PrintFailure(const std::string& message) {
    if (!g_window) return;
    const std::string m = Trim(message);
    g_window->PrintLine(m.rfind("???", 0) == 0 ? m : "??? " + m);
}

// Runs one callback. Nothing may unwind into the plug-in's C frames: a
// failure is printed and the callback gives its empty result.
template <typename R, typename F>
R Guard(R fallback, F&& f) {
    if (!g_window) return fallback;
    try {
        return f(*g_window);
    } catch (const std::exception& e) {
        PrintFailure(e.what());
    } catch (...) {
        PrintFailure("unknown failure in a host callback");
    }
    return fallback;
}

const char* TextResult(const std::function<std::string(TForm1&)>& f) {
    return Guard<const char*>(Answer({}), [&](TForm1& w) { return Answer(f(w)); });
}

// ---------------------------------------------------------------- callbacks

int RunDosFile(const char* commandLine, const char* directory) {
    return Guard(0, [&](TForm1&) { return g_host->Runner().Run(Str(commandLine), Str(directory)) ? 1 : 0; });
}

int DropFile(const char* fileName) {
    return Guard(0, [&](TForm1&) {
        const std::string f = Str(fileName);
        return !f.empty() && ::unlink(f.c_str()) == 0 ? 1 : 0;
    });
}

int WriteToFile(const char* fileName, const char* text) {
    return Guard(0, [&](TForm1&) { return WriteFileBytes(Str(fileName), Str(text)) ? 1 : 0; });
}

const char* GetTempDir() {
    return TextResult([](TForm1&) { return TempPath(); });
}

const char* GetOraUser() { return Answer({}); }
const char* GetOraPass() { return Answer({}); }

void AddOutText(const char* text) {
    Guard(0, [&](TForm1& w) {
        w.PrintLine(Str(text));
        return 0;
    });
}

int AddOutFile(const char* fileName) {
    return Guard(0, [&](TForm1& w) {
        const std::string f = Str(fileName);
        std::string bytes;
        if (f.empty() || !ReadFileBytes(f, bytes)) {
            const int err = errno;
            w.PrintLine("??? Cannot read " + f + ": " + std::strerror(err));
            return 0;
        }
        std::string text = FileText(bytes);
        // The file's last line break ends its last line; it adds none.
        if (!text.empty() && text.back() == '\n') text.pop_back();
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (!text.empty()) w.PrintLine(text);
        return 1;
    });
}

int RunSQLAll(const char* text) {
    return Guard(0, [&](TForm1& w) { return w.RunCommand(Str(text)) ? 1 : 0; });
}

// Read-only plain text, 0.8 of the screen in both directions.
void ShowTextFile(const char* caption, const char* fileName) {
    Guard(0, [&](TForm1& w) { return w.QorTxt().ShowFile(Str(caption), true, false, 0.8, 0.8, Str(fileName), false, &w); });
}

void ShowTextstring(const char* caption, const char* text) {
    Guard(0, [&](TForm1& w) {
        std::string t = Str(text);
        return w.QorTxt().ShowText(Str(caption), true, 0.8, 0.8, t, false, &w);
    });
}

const char* GetSqlText(const char* sql) {
    return TextResult([&](TForm1& w) {
        std::string out;
        w.Console().Session().SelectString(Str(sql), {}, true, out);
        return out;
    });
}

const char* LovSqlString(const char* sql) {
    return TextResult([&](TForm1&) { return g_host->ChooseValue(Str(sql)); });
}

const char* LoadInitOrclCb(const char* fileName, const char* key, int wholeLine) {
    return TextResult([&](TForm1&) { return LoadInitOrcl(Str(fileName), Str(key), wholeLine != 0); });
}

int SaveInitOrclCb(const char* fileName, const char* key, const char* value, const char* comment) {
    return Guard(0, [&](TForm1&) {
        const std::optional<std::string> c = comment ? std::optional<std::string>(comment) : std::nullopt;
        return SaveInitOrcl(Str(fileName), Str(key), Str(value), c) ? 1 : 0;
    });
}

int Confirm(const char* text) {
    return Guard(0, [&](TForm1& w) { return w.AskYesNo(Str(text), false) ? 1 : 0; });
}

void QorPrmClear() {
    Guard(0, [](TForm1&) {
        g_window->QorDialog().Clear();
        return 0;
    });
}

// One "QorPrmAdd..." callback per kind; add is the dialog's own adder.
template <auto add, typename V, typename C = V>
void QorPrmAdd(const char* name, const char* prompt, const char* sqlList, const char* sqlShow, int view, C value) {
    Guard(0, [&](TForm1&) {
        if constexpr (std::is_same_v<V, std::string>)
            (g_window->QorDialog().*add)(Str(name), Str(prompt), Str(sqlList), Str(sqlShow), view != 0, Str(value));
        else if constexpr (std::is_same_v<V, Currency>)
            (g_window->QorDialog().*add)(Str(name), Str(prompt), Str(sqlList), Str(sqlShow), view != 0,
                                    Currency::FromScaled(value));
        else if constexpr (std::is_same_v<V, bool>)
            (g_window->QorDialog().*add)(Str(name), Str(prompt), Str(sqlList), Str(sqlShow), view != 0, value != 0);
        else
            (g_window->QorDialog().*add)(Str(name), Str(prompt), Str(sqlList), Str(sqlShow), view != 0, value);
        return 0;
    });
}

int QorPrmExec() {
    return Guard(0, [](TForm1& w) { return g_window->QorDialog().Execute("", &w) ? 1 : 0; });
}

const char* QorPrmGet(const char* name) {
    return TextResult([&](TForm1&) { return g_window->QorDialog().Get(Str(name)).ToString(); });
}

int QorMenuExec(const char* caption, const char* items, int itemIndex) {
    return Guard(-1, [&](TForm1& w) {
        TQorMenu menu;
        int index = itemIndex;
        return menu.Execute(Str(caption), Str(items), '^', index, &w) ? index : -1;
    });
}

template <typename F>
void* Address(F* f) {
    return reinterpret_cast<void*>(f);
}

}  // namespace

// ---------------------------------------------------------------- host

TPlugInHost::TPlugInHost(TForm1& window) : window_(window), run_(std::make_unique<TQorRun>()) {
    g_host = this;
    g_window = &window;
    run_->OnFinished = [this](TQorRun&, int exitCode) {
        if (exitCode != 0) window_.PrintLine(ExitCodeText(exitCode));
    };
    loader_.OnDLLStartLoad = [](std::vector<TPlugInMethod>& methods) { FillMethods(methods); };
    loader_.OnFuncFind = [this](const TPlugIn& plugIn, int num) { AddFunction(plugIn, num); };
    loader_.OnFuncEnter = [](TPlugInProperties& props, const std::string&, const std::string&) {
        props.Add(kVersionKey, kVersionValue);
        props.Add(kInterfaceKey, kInterfaceValue);
    };
}

TPlugInHost::~TPlugInHost() {
    if (g_host == this) {
        g_host = nullptr;
        g_window = nullptr;
    }
}

std::vector<std::string> TPlugInHost::DefaultFolders() {
    std::vector<std::string> dirs;
    if (const char* env = std::getenv("TABULON_PLUGIN_DIR")) {
        std::string list(env);
        size_t start = 0;
        while (start <= list.size()) {
            const size_t end = std::min(list.find(':', start), list.size());
            if (end > start) dirs.push_back(list.substr(start, end - start));
            start = end + 1;
        }
        return dirs;
    }
    const std::string program = ProgramDir();
    dirs.push_back(program);
    const std::string installed = program + "../lib/tabulon/plugins";
    if (DirectoryExists(installed)) dirs.push_back(installed);
    return dirs;
}

void TPlugInHost::Load(const std::vector<std::string>& dirs) {
    loader_.Load(dirs, static_cast<QWidget*>(&window_), true);
}

void TPlugInHost::FillMethods(std::vector<TPlugInMethod>& m) {
    m.push_back({"RunDosFile", Address(&RunDosFile)});
    m.push_back({"DropFile", Address(&DropFile)});
    m.push_back({"WriteToFile", Address(&WriteToFile)});
    m.push_back({"GetTempDir", Address(&GetTempDir)});
    m.push_back({"GetOraUser", Address(&GetOraUser)});
    m.push_back({"GetOraPass", Address(&GetOraPass)});
    m.push_back({"AddOutText", Address(&AddOutText)});
    m.push_back({"AddOutFile", Address(&AddOutFile)});
    m.push_back({"RunSQLAll", Address(&RunSQLAll)});
    m.push_back({"ShowTextFile", Address(&ShowTextFile)});
    m.push_back({"ShowTextstring", Address(&ShowTextstring)});
    m.push_back({"GetSqlText", Address(&GetSqlText)});
    m.push_back({"LovSqlString", Address(&LovSqlString)});
    m.push_back({"LoadInitOrcl", Address(&LoadInitOrclCb)});
    m.push_back({"SaveInitOrcl", Address(&SaveInitOrclCb)});
    m.push_back({"Confirm", Address(&Confirm)});
    m.push_back({"QorPrmClear", Address(&QorPrmClear)});
    using D = TQorDialog;
    using S = std::string;
    m.push_back({"QorPrmAddS", Address(&QorPrmAdd<&D::AddS, S, const char*>)});
    m.push_back({"QorPrmAddP", Address(&QorPrmAdd<&D::AddP, S, const char*>)});
    m.push_back({"QorPrmAddD", Address(&QorPrmAdd<&D::AddD, TDateTime>)});
    m.push_back({"QorPrmAddI", Address(&QorPrmAdd<&D::AddI, int32_t, int>)});
    m.push_back({"QorPrmAddC", Address(&QorPrmAdd<&D::AddC, Currency, int64_t>)});
    m.push_back({"QorPrmAddB", Address(&QorPrmAdd<&D::AddB, bool, int>)});
    m.push_back({"QorPrmAddDir", Address(&QorPrmAdd<&D::AddDir, S, const char*>)});
    m.push_back({"QorPrmAddFile", Address(&QorPrmAdd<&D::AddFile, S, const char*>)});
    m.push_back({"QorPrmAddMemo", Address(&QorPrmAdd<&D::AddMemo, S, const char*>)});
    m.push_back({"QorPrmAddCList", Address(&QorPrmAdd<&D::AddCList, S, const char*>)});
    m.push_back({"QorPrmAddRList", Address(&QorPrmAdd<&D::AddRList, S, const char*>)});
    m.push_back({"QorPrmExec", Address(&QorPrmExec)});
    m.push_back({"QorPrmGet", Address(&QorPrmGet)});
    m.push_back({"QorMenuExec", Address(&QorMenuExec)});
}

void TPlugInHost::AddFunction(const TPlugIn& plugIn, int num) {
    if (plugIn.PlugInName.empty()) return;
    QListWidget* list = GroupList(plugIn.Group);
    if (!list) {
        TQorOutLook* bar = window_.SideBar();
        TQorOutLookPage* page = bar->NewPage("&" + std::to_string(bar->PageCount() + 1) + " " + plugIn.Group);
        page->setFocusPolicy(Qt::NoFocus);
        QPalette pp = page->palette();
        pp.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));
        page->setPalette(pp);
        list = new QListWidget(page);
        list->setObjectName(AnsiToQString("PlugInList" + std::to_string(groups_.size())));
        QPalette lp = list->palette();
        lp.setColor(QPalette::Text, Qt::black);
        list->setPalette(lp);
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(list);
        list->installEventFilter(this);
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem* item) { RunFunction(item->data(Qt::UserRole).toInt()); });
        groups_.push_back({plugIn.Group, page, list});
    }
    auto* item = new QListWidgetItem(AnsiToQString(plugIn.PlugInName), list);
    item->setData(Qt::UserRole, num);
}

QListWidget* TPlugInHost::GroupList(const std::string& group) const {
    for (const Group& g : groups_)
        if (g.name == group) return g.list;
    return nullptr;
}

std::string TPlugInHost::ChooseValue(const std::string& sql) {
    TQorLovS& lov = window_.QorLovS();
    // The name of the list's first column, learnt as the window opens it.
    std::string first;
    const auto open = lov.onOpenDS;
    lov.onOpenDS = [&first, open](TDataSet& ds, const TQorLovS& chosen) {
        const bool opened = open ? open(ds, chosen) : (ds.Open(), true);
        if (first.empty() && ds.FieldCount() > 0) first = ds.Fields()[0]->FieldName();
        return opened;
    };
    struct Restore {
        TQorLovS& lov;
        decltype(TQorLovS::onOpenDS) open;
        ~Restore() { lov.onOpenDS = open; }
    } restore{lov, open};
    if (lov.Execute({{"0", sql}}, "", &window_) != TQorLovS::kChosen || first.empty()) return {};
    return lov.Value(first).ToString();
}

void TPlugInHost::RunFunction(int index) {
    // One function at a time, and none while a command runs.
    if (running_ || window_.Running()) return;
    running_ = true;
    g_host = this;
    g_window = &window_;
    loader_.Run(index);
    running_ = false;
}

bool TPlugInHost::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (auto* list = qobject_cast<QListWidget*>(watched); list && list->currentItem()) {
                RunFunction(list->currentItem()->data(Qt::UserRole).toInt());
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
