#include "app/TFrm_Config.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <utility>

#include "base/QtText.h"

namespace {

// An empty field gives 0; the digit limits keep every value inside int32.
int32_t Number(const QLineEdit* e) {
    const std::string text = e->text().toStdString();
    int32_t v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

QString FromAnyBreaks(const std::string& ansi) {
    QString s = AnsiToQString(ansi);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}
}  // namespace

TFrm_Config::TFrm_Config(const ConsoleSettings& settings, int outputLines, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Config Tabulon");
    setWindowFlag(Qt::Tool);
    setObjectName("Frm_Config");

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 6);
    outer->setSpacing(4);
    // Two grids: the text fields get all the width their short labels
    // leave, the number fields line up after the long labels.
    auto* texts = new QGridLayout;
    texts->setHorizontalSpacing(8);
    texts->setColumnStretch(1, 1);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(2, 1);
    outer->addLayout(texts);
    outer->addLayout(grid);
    int textRow = 0;
    int row = 0;
    auto addField = [&](const char* name, const QString& caption, int maxDigits) {
        auto* label = new QLabel(caption, this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        label->setBuddy(edit);
        if (maxDigits > 0) {
            // The validator also turns away pasted text, which a key filter
            // alone would let through and which would then read as garbage.
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QString("[0-9]{0,%1}").arg(maxDigits)), edit));
            edit->setMaxLength(maxDigits);
            edit->setAlignment(Qt::AlignRight);
            edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(10, '0')) + 16);
            grid->addWidget(label, row, 0);
            grid->addWidget(edit, row++, 1);
        } else {
            texts->addWidget(label, textRow, 0);
            texts->addWidget(edit, textRow++, 1);
        }
        edit->installEventFilter(this);
        return std::pair{label, edit};
    };
    // LongStr and DelStr have no documented limit; nine digits keep any
    // typed value a valid 32-bit line count.
    dllName_ = addField("DllName_", "Name DLL (SQLite3.dll)", 0).second;
    cmd_ = addField("Cmd_", "Prompt", 0).second;
    auto longStr = addField("Longstr_", QString("Length buffer (lines) - %1").arg(outputLines), 9);
    longStrLabel_ = longStr.first;
    longStr_ = longStr.second;
    delStr_ = addField("DelStr_", "At filling the buffer to clear (lines)", 9).second;
    charLong_ = addField("CharLong_", "Lines output no more (symbols)", 4).second;
    hist_ = addField("Hist_", "Quantity of remembered commands in the buffer", 2).second;

    checkList_ = new QListWidget(this);
    checkList_->setObjectName("CheckList");
    const char* captions[SwitchCount] = {
        "Clearing of the screen",
        "To stop at the first error",
        "Width of columns on width of the Fieldname",
        "Conclusion of headings Select (HeaderOn)",
        "Conclusion of given Select (EchoDataOn)",
        "Conclusion of time of performance of commands",
        "Database text in Windows-1251 (written by 8-bit consoles)",
    };
    const bool values[SwitchCount] = {settings.ClearWind, settings.StopErr, settings.WidthFld,
                                      settings.HeaderOn,  settings.EchoOn,  settings.ShowTime,
                                      settings.Win1251Db};
    for (int i = 0; i < SwitchCount; ++i) {
        auto* item = new QListWidgetItem(captions[i], checkList_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(values[i] ? Qt::Checked : Qt::Unchecked);
    }
    // Space toggles the first switch at once, without a selection bar that
    // would look like a choice already made.
    checkList_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    // All switches visible at once, no scrolling.
    checkList_->setFixedHeight(checkList_->sizeHintForRow(0) * SwitchCount + 2 * checkList_->frameWidth() + 2);
    checkList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    checkList_->installEventFilter(this);
    outer->addWidget(checkList_);

    auto* sqlLabel = new QLabel("SQL expression carried out at start", this);
    outer->addWidget(sqlLabel);
    startSql_ = new QPlainTextEdit(this);
    startSql_->setObjectName("StartSQL_");
    startSql_->setLineWrapMode(QPlainTextEdit::NoWrap);
    startSql_->setTabChangesFocus(true);
    startSql_->setMinimumHeight(startSql_->fontMetrics().lineSpacing() * 3 + 12);
    startSql_->installEventFilter(this);
    sqlLabel->setBuddy(startSql_);
    outer->addWidget(startSql_, 1);

    auto* hint = new QLabel("Esc-Exit without save     Ctrl_Enter-Save", this);
    QFont bold = hint->font();
    bold.setBold(true);
    hint->setFont(bold);
    QPalette pal = hint->palette();
    pal.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));  // clMaroon
    hint->setPalette(pal);
    outer->addWidget(hint);

    dllName_->setText(AnsiToQString(settings.DllName));
    cmd_->setText(AnsiToQString(settings.Prompt));
    longStr_->setText(QString::number(settings.LongStr));
    delStr_->setText(QString::number(settings.DelStr));
    charLong_->setText(QString::number(settings.CharLong));
    hist_->setText(QString::number(settings.LHist));
    startSqlGiven_ = settings.StartSQL;
    startSqlShown_ = FromAnyBreaks(settings.StartSQL);
    startSql_->setPlainText(startSqlShown_);

    // The layout's minimum wins when the fonts need more than the
    // classic client area.
    resize(QSize(443, 345).expandedTo(minimumSizeHint()));
    dllName_->setFocus();
}

void TFrm_Config::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
}

bool TFrm_Config::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ControlModifier)
                accept();
            else
                focusNextChild();  // also inside the multi-line box: no line break
            return true;
        }
        if (key->key() == Qt::Key_J && (key->modifiers() & Qt::ControlModifier)) {
            accept();  // character 10, as Ctrl+Enter
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            reject();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrm_Config::TakeBack(ConsoleSettings& settings) const {
    settings.DllName = QStringToAnsi(dllName_->text());
    settings.Prompt = QStringToAnsi(cmd_->text());
    const QString sql = startSql_->toPlainText();
    if (sql != startSqlShown_) settings.StartSQL = QStringToAnsi(sql);
    else settings.StartSQL = startSqlGiven_;
    settings.LongStr = Number(longStr_);
    settings.DelStr = Number(delStr_);
    settings.CharLong = Number(charLong_);
    settings.LHist = Number(hist_);
    auto on = [this](int i) { return checkList_->item(i)->checkState() == Qt::Checked; };
    settings.ClearWind = on(ClearWind);
    settings.StopErr = on(StopErr);
    settings.WidthFld = on(WidthFld);
    settings.HeaderOn = on(HeaderOn);
    settings.EchoOn = on(EchoOn);
    settings.ShowTime = on(ShowTime);
    settings.Win1251Db = on(Win1251Db);
}

bool TFrm_Config::Edit(ConsoleSettings& settings, int outputLines, QWidget* parent) {
    TFrm_Config dialog(settings, outputLines, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.TakeBack(settings);
    return true;
}
