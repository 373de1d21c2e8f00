#include "dialogs/TQorLovFrm.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include <QAbstractTableModel>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include "base/Exception.h"
#include "base/QtText.h"
#include "base/SettingsStore.h"
#include "dataset/TDataSet.h"
#include "dataset/TField.h"

namespace {

// The shown column as the grid reads it: the texts the form took from the
// data set, under the field's label.
class ColumnModel : public QAbstractTableModel {
public:
    ColumnModel(const std::vector<QString>& texts, QString title, QObject* parent)
        : QAbstractTableModel(parent), texts_(texts), title_(std::move(title)) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(texts_.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 1; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount({})) return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return texts_[static_cast<size_t>(index.row())];
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0) return title_;
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    const std::vector<QString>& texts_;
    QString title_;
};

QString ChooseCaption() { return QString::fromUtf8("Выберите"); }

}  // namespace

TQorLovFrm::TQorLovFrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(ChooseCaption());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(2, 2, 2, 2);
    label_ = new QLabel(QString::fromUtf8("  Поиск"), this);
    search_ = new QLineEdit(this);
    search_->setObjectName("SearchEdit");
    label_->setBuddy(search_);
    top->addWidget(label_);
    top->addWidget(search_, 1);
    layout->addLayout(top);

    grid_ = new QTableView(this);
    grid_->setObjectName("Grid");
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setTabKeyNavigation(false);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->installEventFilter(this);
    layout->addWidget(grid_, 1);

    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo");
    memo_->setReadOnly(true);
    memo_->setFocusPolicy(Qt::ClickFocus);
    memo_->setFixedHeight(kMemoHeight);
    memo_->hide();
    layout->addWidget(memo_);

    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) { Locate(text); });
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) done(kChosen);
    });
    resize(kWidth, kHeight);
}

void TQorLovFrm::Fill(TDataSet& dataSet, TField& field) {
    texts_.clear();
    dataSet.First();
    while (!dataSet.Eof()) {
        texts_.push_back(AnsiToQString(field.DisplayText()));
        dataSet.Next();
    }
    QAbstractItemModel* old = grid_->model();
    grid_->setModel(new ColumnModel(texts_, AnsiToQString(field.DisplayLabel()), grid_));
    delete old;
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { CurrentChanged(); });
    FitColumn();
    if (!texts_.empty()) grid_->setCurrentIndex(grid_->model()->index(0, 0));
    CurrentChanged();
}

void TQorLovFrm::Arrange(const Place& place) {
    setWindowTitle(place.caption.empty() ? ChooseCaption() : AnsiToQString(place.caption));
    QScreen* screen = parentWidget() && parentWidget()->screen() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    int w = kWidth;
    int h = kHeight;
    if (place.storySize) {
        // A stored size that no screen could show is not used.
        const int storedW = ReadInteger(kWidthPath, 0);
        const int storedH = ReadInteger(kHeightPath, 0);
        if (storedW > 0 && storedW <= area.width()) w = storedW;
        if (storedH > 0 && storedH <= area.height()) h = storedH;
    }
    if (place.width > 0) w = place.width;
    if (place.height > 0) h = place.height;
    resize(w, h);
    const QPoint centred = area.center() - QPoint(w / 2, h / 2);
    move(place.left > 0 ? place.left : centred.x(), place.top > 0 ? place.top : centred.y());
}

TField& TQorLovFrm::ShownField(TDataSet& dataSet, std::string_view show) {
    if (show.empty() || !std::isdigit(static_cast<unsigned char>(show[0]))) return *dataSet.FieldByName(show);
    size_t digits = 0;
    while (digits < show.size() && std::isdigit(static_cast<unsigned char>(show[digits]))) ++digits;
    int number = -1;
    const auto [end, error] = std::from_chars(show.data(), show.data() + digits, number);
    if (error != std::errc() || number < 0 || number >= dataSet.FieldCount())
        throw EDatabaseError("Field number " + std::string(show.substr(0, digits)) + " out of range (" +
                             std::to_string(dataSet.FieldCount()) + " fields)");
    return *dataSet.Fields()[number];
}

int TQorLovFrm::Choose(TDataSet& dataSet, std::string_view show, const Place& place, QWidget* parent) {
    if (!dataSet.Active() || (dataSet.Bof() && dataSet.Eof())) {
        QMessageBox::information(parent, place.caption.empty() ? ChooseCaption() : AnsiToQString(place.caption),
                                 QString::fromUtf8("Список пуст..."));
        return kEmpty;
    }
    TField& field = ShownField(dataSet, show);
    TQorLovFrm form(parent);
    form.Fill(dataSet, field);
    form.Arrange(place);
    form.grid_->setFocus();
    const int answer = form.exec();
    const bool remember = place.storySize && place.width <= 0 && place.height <= 0;
    if (remember) {
        WriteInteger(kWidthPath, form.width());
        WriteInteger(kHeightPath, form.height());
    }
    const int row = form.CurrentRow();
    if (answer != kChosen || row < 0) return kCancelled;
    dataSet.First();
    dataSet.MoveBy(row);
    return kChosen;
}

int TQorLovFrm::CurrentRow() const {
    const QModelIndex index = grid_->currentIndex();
    return index.isValid() ? index.row() : -1;
}

std::string TQorLovFrm::CurrentText() const {
    const int row = CurrentRow();
    return row >= 0 && row < RowCount() ? QStringToAnsi(texts_[static_cast<size_t>(row)]) : std::string();
}

std::string TQorLovFrm::SearchText() const { return QStringToAnsi(search_->text()); }

void TQorLovFrm::Locate(const QString& text) {
    for (size_t i = 0; i < texts_.size(); ++i) {
        if (texts_[i].startsWith(text, Qt::CaseInsensitive)) {
            const QModelIndex index = grid_->model()->index(static_cast<int>(i), 0);
            grid_->setCurrentIndex(index);
            // The rows that follow are the next candidates: keep them in view.
            grid_->scrollTo(index, QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void TQorLovFrm::CurrentChanged() {
    const int row = CurrentRow();
    const QString text = row >= 0 && row < RowCount() ? texts_[static_cast<size_t>(row)] : QString();
    memo_->setPlainText(text);
    if (!memoOpen_ && isVisible() && grid_->fontMetrics().horizontalAdvance(text) > width() - kColumnMargin) {
        // Once open, the memo stays open: it does not jump with every row.
        memoOpen_ = true;
        memo_->show();
    }
}

void TQorLovFrm::FitColumn() {
    if (grid_->model()) grid_->setColumnWidth(0, std::max(width() - kColumnMargin, 16));
}

bool TQorLovFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (CurrentRow() >= 0) done(kChosen);
                return true;
            case Qt::Key_Escape:
                done(kCancelled);
                return true;
            case Qt::Key_Backspace: {
                QString text = search_->text();
                if (text.isEmpty()) return true;
                // The last character, also one written with a surrogate pair.
                text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
                search_->setText(text);
                return true;
            }
            default: break;
        }
        const QString typed = key->text();
        // A printable character above '!': control codes (Delete types one)
        // and blanks do not search.
        const char32_t first = typed.isEmpty() ? 0 : typed.toUcs4().value(0);
        // Shift and AltGr type characters too; Ctrl and Alt keep their keys.
        const bool typing = (mods & ~(Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier)) == 0;
        if (typing && first > 33 && QChar::isPrint(first)) {
            search_->setText(search_->text() + typed);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TQorLovFrm::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (CurrentRow() >= 0) done(kChosen);
            return;
        case Qt::Key_Escape: done(kCancelled); return;
        default: QDialog::keyPressEvent(e);
    }
}

void TQorLovFrm::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    FitColumn();
}

void TQorLovFrm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // The first row may already be too wide for the form.
    CurrentChanged();
}
