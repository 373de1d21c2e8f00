#include "dialogs/TFrmMenu.h"

#include <algorithm>

#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

#include "base/AnsiString.h"
#include "base/QtText.h"
#include "base/Utf8.h"

namespace {


// Comma text: entries separated by commas or blanks; an entry in double
// quotes may hold both, "" standing for one quote.
std::vector<std::string> CommaEntries(const std::string& s) {
    std::vector<std::string> out;
    size_t i = 0;
    auto skipBlanks = [&] { while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i; };
    skipBlanks();
    while (i < s.size()) {
        std::string entry;
        if (s[i] == '"') {
            ++i;
            while (i < s.size()) {
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') { entry += '"'; i += 2; continue; }
                    ++i;
                    break;
                }
                entry += s[i++];
            }
        } else {
            while (i < s.size() && s[i] != ',' && static_cast<unsigned char>(s[i]) > ' ') entry += s[i++];
        }
        out.push_back(entry);
        skipBlanks();
        if (i < s.size() && s[i] == ',') {
            ++i;
            skipBlanks();
            if (i >= s.size()) out.emplace_back();  // a trailing comma ends with an empty entry
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> MenuEntries(const std::string& items, char separator) {
    std::string text = items;
    if (!text.empty() && text[0] == ',') text.erase(0, 1);
    if (separator == '"') return CommaEntries(text);
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t p = text.find(separator); p != std::string::npos; p = text.find(separator, start)) {
        out.push_back(Trim(std::string_view(text).substr(start, p - start)));
        start = p + 1;
    }
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

std::string MenuLine(int k, const std::string& entry, int width) {
    // Widths count characters as they show: a wide one takes two cells.
    std::string centred = Trim(entry);
    bool atEnd = true;
    for (int w = DisplayWidth(centred); w < width; ++w) {
        if (atEnd) centred += ' ';
        else centred.insert(centred.begin(), ' ');
        atEnd = !atEnd;
    }
    return std::to_string(k + 1) + " " + centred;
}

TFrmMenu::TFrmMenu(QWidget* parent) : QDialog(parent) {
    // A tool window without border icons: the user answers with the keys or
    // the mouse, Esc being the way out.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QString::fromUtf8("Выберите"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    panel_ = new QFrame(this);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel_->setLineWidth(PanelBorder);
    panel_->setAutoFillBackground(true);
    QPalette pp = panel_->palette();
    pp.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    panel_->setPalette(pp);
    layout->addWidget(panel_);

    auto* inner = new QVBoxLayout(panel_);
    // The frame draws the bevel; the border width lies inside it.
    inner->setContentsMargins(PanelBorder, PanelBorder, PanelBorder, PanelBorder);
    list_ = new QListWidget(panel_);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setUniformItemSizes(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    f.setBold(true);
    f.setPointSize(10);
    list_->setFont(f);
    QPalette lp = list_->palette();
    lp.setColor(QPalette::Text, Qt::black);
    list_->setPalette(lp);
    inner->addWidget(list_);

    connect(list_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Choose(list_->row(item)); });
}

void TFrmMenu::SetEntries(const std::vector<std::string>& entries, int itemIndex, int availHeight) {
    list_->clear();
    int width = 0;
    for (const auto& e : entries) width = std::max(width, DisplayWidth(Trim(e)));
    width += 2;

    const QFontMetrics fm(list_->font());
    int formWidth = 100;
    for (size_t k = 0; k < entries.size(); ++k) {
        const QString line = AnsiToQString(MenuLine(static_cast<int>(k), entries[k], width));
        auto* item = new QListWidgetItem(line, list_);
        item->setSizeHint(QSize(0, ItemHeight));
        formWidth = std::max(formWidth, fm.horizontalAdvance(line) + 25);
    }
    if (itemIndex >= 0 && itemIndex < list_->count()) list_->setCurrentRow(itemIndex);
    else if (list_->count() > 0) list_->setCurrentRow(0);

    int height = static_cast<int>(entries.size()) * ItemHeight + 30 + 2 * PanelBorder;
    height = std::min(height, availHeight / 2);
    setFixedSize(formWidth, height);
    list_->setFocus();
}

std::string TFrmMenu::ChosenText() const {
    if (chosen_ < 0 || chosen_ >= list_->count()) return {};
    return Trim(QStringToAnsi(list_->item(chosen_)->text()));
}

void TFrmMenu::Choose(int row) {
    if (row < 0) return;
    chosen_ = row;
    accept();
}

void TFrmMenu::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Choose(list_->currentRow());
        return;
    case Qt::Key_Escape:
        chosen_ = -1;
        reject();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}
