#include "app/TGridPage.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/TDataGridModel.h"
#include "base/AnsiString.h"
#include "base/QtText.h"
#include "base/TStrings.h"
#include "console/TConsole.h"
#include "dataset/TDataSource.h"
#include "dataset/TField.h"
#include "sqlite/TQorSQLite3Query.h"

namespace {
constexpr int kMaxColumnWidth = 250;
constexpr int kPanelHeight = 29;

bool NoModifier(const QKeyEvent* k) { return (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier; }
}  // namespace

TGridPage::TGridPage(TConsole& console, QWidget* parent) : QWidget(parent), console_(console) {
    // Owned by the console, beside the connection: a disconnect closes it.
    query_ = new TQorSQLite3Query(&console);
    query_->SetName("QGrid");
    query_->SetConnection(&console.Session());
    query_->AfterOpen = [this](TDataSet&) { AfterOpen(); };
    source_ = std::make_unique<TDataSource>();
    source_->SetName("DataSource");
    source_->SetDataSet(query_);

    auto* panel = new QWidget(this);
    panel->setFixedHeight(kPanelHeight);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 2, 4, 2);
    label_ = new QLabel("&Tables", panel);
    cbTables_ = new QComboBox(panel);
    cbTables_->setObjectName("cbTables");
    cbTables_->setEditable(false);
    cbTables_->setMinimumContentsLength(24);
    label_->setBuddy(cbTables_);
    button1_ = new QPushButton("Show F5", panel);
    button1_->setObjectName("Button1");
    row->addWidget(label_);
    row->addWidget(cbTables_);
    row->addWidget(button1_);
    row->addStretch(1);

    grid_ = new QTableView(this);
    grid_->setObjectName("DBGrid");
    model_ = new TDataGridModel(grid_);
    model_->SetDataSource(source_.get());
    grid_->setModel(model_);
    // Tab leaves the grid for the table list; the cells are walked with
    // the arrow keys.
    grid_->setTabKeyNavigation(false);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::AnyKeyPressed |
                           QAbstractItemView::EditKeyPressed);
    grid_->setWordWrap(false);
    // Rows all of one height: the view never measures a row it does not show.
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid_->horizontalHeader()->setHighlightSections(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel);
    layout->addWidget(grid_, 1);

    connect(button1_, &QPushButton::clicked, this, [this] { Show(); });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (current.isValid()) column_ = current.column();
                if (current.row() != previous.row()) CurrentRowChanged(current.row(), previous.column());
            });
    model_->OnError = [this](const std::string& message) { Error(message); };
    model_->OnUpdateData = [this] { CommitEditor(); };
    model_->OnMoved = [this] { FollowDataSet(); };
    cbTables_->installEventFilter(this);
    grid_->installEventFilter(this);
}

TGridPage::~TGridPage() {
    // The console (and QGrid with it) may be gone already.
    cbTables_->removeEventFilter(this);
    grid_->removeEventFilter(this);
    model_->OnError = nullptr;
    model_->OnUpdateData = nullptr;
    model_->OnMoved = nullptr;
    model_->SetDataSource(nullptr);
}

void TGridPage::Error(const std::string& message) {
    if (ErrorHook) {
        ErrorHook(message);
        return;
    }
    QMessageBox::critical(this, "Tabulon", AnsiToQString(message));
}

void TGridPage::FillTables() {
    TStringList names;
    try {
        console_.Session().GetObjectNames("table", names, false);
    } catch (const std::exception& e) {
        Error(Trim(e.what()));
    }
    cbTables_->clear();
    for (int i = 0; i < names.Count(); ++i) cbTables_->addItem(AnsiToQString(names[i]));
    if (cbTables_->count() > 0) cbTables_->setCurrentIndex(0);
}

void TGridPage::CommitEditor() {
    // An editor open in the grid writes what it holds before a post.
    QWidget* editor = QApplication::focusWidget();
    // Editors live on the view's viewport; one the view has let go of is
    // hidden.
    if (editor && editor->isVisible() && editor->parentWidget() == grid_->viewport())
        emit grid_->itemDelegate()->commitData(editor);
}

bool TGridPage::PostPending() {
    if (!query_->Active()) return true;
    CommitEditor();
    return model_->Post();
}

void TGridPage::Show() {
    const std::string table = QStringToAnsi(cbTables_->currentText());
    if (Trim(table).empty()) return;
    // A change not yet posted is posted before another table opens.
    if (!PostPending()) return;
    const bool wasOpen = query_->Active();
    const std::string oldSql = query_->SQL().Text();
    const std::string oldTable = query_->SQLTable();
    const std::string oldWhere = query_->SQLWhere();
    try {
        query_->Close();
        // Named: a table whose INTEGER PRIMARY KEY stands for its row id
        // would otherwise report the column under that key's name.
        query_->SetSQLText("select *,Rowid as Rowid from " + table);
        query_->SetSQLTable(table);
        query_->SetSQLWhere("Rowid=:Rowid");
        query_->Open();
    } catch (const std::exception& e) {
        const std::string message = Trim(e.what());
        // The grid keeps what it showed.
        try {
            query_->SetSQLText(oldSql);
            query_->SetSQLTable(oldTable);
            query_->SetSQLWhere(oldWhere);
            if (wasOpen) query_->Open();
        } catch (...) {
        }
        Error(message);
        return;
    }
    grid_->setFocus();
}

void TGridPage::Refresh() {
    if (!query_->Active() || !PostPending()) return;
    const int recNo = query_->RecNo();
    const int column = std::clamp(column_, 0, std::max(model_->columnCount() - 1, 0));
    try {
        query_->Close();
        query_->Open();
        if (recNo > 1) query_->SetRecNo(std::min(recNo, query_->RecordCount()));
    } catch (const std::exception& e) {
        Error(Trim(e.what()));
    }
    if (const QModelIndex at = model_->index(model_->ActiveRow(), column); at.isValid()) {
        following_ = true;
        grid_->setCurrentIndex(at);
        following_ = false;
    }
}

void TGridPage::InsertRecord() {
    if (!query_->Active() || !PostPending()) return;
    try {
        query_->Insert();
    } catch (const std::exception& e) {
        Error(Trim(e.what()));
    }
}

void TGridPage::DeleteRecord() {
    if (!query_->Active() || query_->IsEmpty()) return;
    const std::string question = "Delete record?";
    const bool yes = AskHook ? AskHook(question)
                             : QMessageBox::question(this, "Confirm", AnsiToQString(question),
                                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    if (!yes) return;
    try {
        query_->Delete();
    } catch (const std::exception& e) {
        Error(Trim(e.what()));
    }
}

void TGridPage::AfterOpen() {
    const QFontMetrics metrics = grid_->fontMetrics();
    const int charWidth = std::max(metrics.averageCharWidth(), 1);
    for (int i = 0; i < query_->FieldCount(); ++i) {
        TField* f = query_->Fields()[i];
        if (f->FieldName() == "ROWID") {
            f->SetVisible(false);
            f->SetReadOnly(true);
        }
    }
    model_->ResetColumns();
    for (int c = 0; c < model_->columnCount(); ++c) {
        TField* f = model_->FieldAt(c);
        const int title = metrics.horizontalAdvance(AnsiToQString(f->DisplayName())) + 16;
        const int width = std::max(title, std::min(f->DisplayWidth(), 1000) * charWidth + 8);
        grid_->setColumnWidth(c, std::min(width, kMaxColumnWidth));
    }
}

void TGridPage::FollowDataSet() {
    const int row = model_->ActiveRow();
    if (row < 0) return;
    // Rows coming or going reset the view's cell: the column stays.
    const int column = std::clamp(column_, 0, std::max(model_->columnCount() - 1, 0));
    const QModelIndex at = model_->index(row, column);
    if (!at.isValid() || at == grid_->currentIndex()) return;
    following_ = true;
    grid_->setCurrentIndex(at);
    grid_->scrollTo(at);
    following_ = false;
}

void TGridPage::CurrentRowChanged(int row, int previousColumn) {
    if (following_ || row < 0) return;
    if (model_->MoveTo(row)) return;
    // The record could not be left (its post failed): the cursor stays.
    const QModelIndex back = model_->index(model_->ActiveRow(), std::max(previousColumn, 0));
    if (!back.isValid()) return;
    following_ = true;
    grid_->setCurrentIndex(back);
    following_ = false;
}

bool TGridPage::GridKey(QKeyEvent* k) {
    const bool ctrl = (k->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
    switch (k->key()) {
        case Qt::Key_Tab:
            if (!NoModifier(k)) return false;
            cbTables_->setFocus(Qt::TabFocusReason);
            return true;
        case Qt::Key_F5:
            if (!NoModifier(k)) return false;
            Refresh();
            return true;
        case Qt::Key_Insert:
            if (!NoModifier(k)) return false;
            InsertRecord();
            return true;
        case Qt::Key_Delete:
            if (!ctrl) return false;
            DeleteRecord();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!NoModifier(k) || !(query_->State() == dsEdit || query_->State() == dsInsert)) return false;
            model_->Post();
            return true;
        case Qt::Key_Escape:
            if (!(query_->State() == dsEdit || query_->State() == dsInsert)) return false;
            model_->Cancel();
            return true;
        default: return false;
    }
}

void TGridPage::Paint(QWidget* w, bool focused) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, focused ? QColor(Qt::white) : palette().color(QPalette::Base));
    w->setPalette(p);
}

bool TGridPage::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::ShortcutOverride && (watched == grid_ || watched == cbTables_)) {
        // F5 belongs to the page here, not to the window's run key.
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_F5 && NoModifier(k)) {
            event->accept();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (watched == grid_) {
        if (type == QEvent::KeyPress) {
            if (GridKey(static_cast<QKeyEvent*>(event))) return true;
        } else if (type == QEvent::FocusIn) {
            // A closed grid has nothing to edit: the table list takes the focus.
            if (!query_->Active()) {
                cbTables_->setFocus(Qt::OtherFocusReason);
                return true;
            }
            Paint(grid_, true);
        } else if (type == QEvent::FocusOut) {
            Paint(grid_, false);
        }
    } else if (watched == cbTables_) {
        if (type == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(event);
            if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_F5) && NoModifier(k)) {
                Show();
                return true;
            }
            // The Tab character stays in the list; Ctrl+Tab moves on.
            if (k->key() == Qt::Key_Tab && NoModifier(k)) return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
