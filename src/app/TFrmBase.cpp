#include "app/TFrmBase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QVBoxLayout>
#include <fstream>

#include "base/QtText.h"
#include "base/Platform.h"
#include "base/SettingsStore.h"

namespace {
const char kHistoryKey[] = "HKCU\\Software\\Tabulon\\";
constexpr int kSlots = 10;

// Paths are UTF-8 on both sides.
QString PathToQt(const std::string& path) { return QString::fromStdString(path); }
std::string PathFromQt(const QString& s) { return s.toStdString(); }
std::string Key(const char* name) { return std::string(kHistoryKey) + name; }
}  // namespace

std::vector<std::string> TFrmBase::RecentDatabases() {
    std::vector<std::string> list;
    const int n = ReadInteger(Key("DatabaseCount"), 0);
    for (int i = 0; i < n && i < 100; ++i) {
        const std::string v = ReadString(Key("Database") + std::to_string(i), "");
        if (!v.empty()) list.push_back(v);
    }
    return list;
}

void TFrmBase::RememberDatabase(const std::string& path) {
    std::vector<std::string> entries(kSlots);
    for (int i = 0; i < kSlots; ++i) entries[static_cast<size_t>(i)] = ReadString(Key("Database") + std::to_string(i), "");
    int k = kSlots - 1;  // no equal entry: the last one drops out
    for (int i = 0; i < kSlots; ++i)
        if (entries[static_cast<size_t>(i)] == path) {
            k = i;
            break;
        }
    for (int i = k; i > 0; --i) entries[static_cast<size_t>(i)] = entries[static_cast<size_t>(i - 1)];
    entries[0] = path;
    SettingsWriteBatch batch;
    for (int i = 0; i < kSlots; ++i) WriteString(Key("Database") + std::to_string(i), entries[static_cast<size_t>(i)]);
    WriteString(Key("DatabaseCount"), "10");
}

TFrmBase::TFrmBase(const std::string& dir, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Select SQLite database");
    setWindowFlag(Qt::Tool);
    auto* layout = new QVBoxLayout(this);
    history_ = new QComboBox(this);
    history_->setEditable(true);
    for (const std::string& p : RecentDatabases()) history_->addItem(PathToQt(p));
    history_->setCurrentIndex(history_->count() ? 0 : -1);
    ext_ = new QComboBox(this);
    ext_->addItems({"*.sqb", "*.slb", "*.*"});
    files_ = new QListWidget(this);
    files_->setSelectionMode(QAbstractItemView::SingleSelection);
    folderLabel_ = new QLabel(this);
    createNew_ = new QCheckBox("&Create new", this);
    layout->addWidget(history_);
    layout->addWidget(ext_);
    layout->addWidget(files_, 1);
    layout->addWidget(createNew_);
    layout->addWidget(folderLabel_);
    history_->installEventFilter(this);
    files_->installEventFilter(this);
    connect(ext_, &QComboBox::currentIndexChanged, this, [this] { FillFiles(); });
    connect(files_, &QListWidget::itemActivated, this, [this] { AcceptFromList(); });
    SetFolder(DirectoryExists(dir) ? dir : ProgramDir());
    resize(360, 420);
}

void TFrmBase::SetFolder(const std::string& folder) {
    folder_ = folder;
    if (folder_.empty() || folder_.back() != '/') folder_ += '/';
    folderLabel_->setText(PathToQt(folder_));
    FillFiles();
}

void TFrmBase::FillFiles() {
    files_->clear();
    QDir dir(PathToQt(folder_));
    if (folder_ != "/") files_->addItem("[..]");
    for (const QString& d : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) files_->addItem("[" + d + "]");
    const QStringList masks{ext_->currentText()};
    for (const QString& f : dir.entryList(masks, QDir::Files, QDir::Name)) files_->addItem(f);
    if (files_->count()) files_->setCurrentRow(0);
}

bool TFrmBase::AcceptFromList() {
    QListWidgetItem* item = files_->currentItem();
    if (!item) return false;
    const QString text = item->text();
    if (text.startsWith('[') && text.endsWith(']')) {
        // A folder: the list moves into it.
        const QString name = text.mid(1, text.size() - 2);
        QDir dir(PathToQt(folder_));
        if (dir.cd(name)) SetFolder(PathFromQt(dir.absolutePath()));
        return false;
    }
    const std::string candidate = folder_ + PathFromQt(text);
    if (!FileExists(candidate)) return false;
    path_ = candidate;
    accept();
    return true;
}

bool TFrmBase::AcceptFromHistory() {
    const std::string name = PathFromQt(history_->currentText());
    if (name.empty()) return false;
    if (createNew_->isChecked()) {
        if (FileExists(name)) {
            const auto answer = QMessageBox::question(
                this, "Confirm", AnsiToQString("File " + name + " already exists.\n\t Overwrite?"), QMessageBox::Yes | QMessageBox::No);
            if (answer != QMessageBox::Yes) return false;
        }
        std::ofstream(name, std::ios::binary | std::ios::trunc);
    }
    if (!FileExists(name)) return false;
    path_ = name;
    accept();
    return true;
}

bool TFrmBase::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            reject();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (watched == files_) AcceptFromList();
            if (watched == history_) AcceptFromHistory();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::string TFrmBase::SelectDatabase(const std::string& dir, QWidget* parent) {
    TFrmBase form(dir, parent);
    if (form.exec() != QDialog::Accepted) return {};
    RememberDatabase(form.Path());
    return form.Path();
}
