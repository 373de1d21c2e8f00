#include "dialogs/TQorTxt.h"

#include <QMessageBox>
#include <cerrno>
#include <cstring>

#include "base/Platform.h"
#include "base/QtText.h"
#include "base/SingleByteCodePage.h"
#include "dialogs/TFrmText.h"

void TQorTxt::Message(QWidget* parent, const std::string& text) {
    if (Hooks.Message)
        Hooks.Message(parent, AnsiToQString(text));
    else
        QMessageBox::warning(parent, "Текст", AnsiToQString(text));
}

bool TQorTxt::ShowText(const std::string& caption, bool readOnly, double widthFactor, double heightFactor,
                       std::string& text, bool wordWrap, QWidget* parent) {
    TFrmText form(parent);
    form.Hooks = Hooks;
    form.Setup(caption, readOnly, false, widthFactor, heightFactor, wordWrap);
    form.SetPlainBytes(text, false);
    form.exec();
    if (readOnly || !form.Confirmed() || !form.Modified()) return false;
    text = form.Text();
    return true;
}

bool TQorTxt::ShowFile(const std::string& caption, bool readOnly, bool rich, double widthFactor, double heightFactor,
                       const std::string& fileName, bool wordWrap, QWidget* parent) {
    if (!FileExists(fileName)) {
        Message(parent, "Отсутствует файл: " + fileName);
        return false;
    }
    std::string bytes;
    errno = 0;
    if (!ReadFileBytes(fileName, bytes)) {
        Message(parent, "Не удалось прочитать файл: " + fileName + (errno ? std::string("\n") + std::strerror(errno) : ""));
        return false;
    }
    TFrmText form(parent);
    form.Hooks = Hooks;
    form.Setup(caption, readOnly, rich, widthFactor, heightFactor, wordWrap);
    if (rich)
        form.SetRichBytes(bytes);
    else
        form.SetPlainBytes(std::move(bytes), oem_);
    bool saved = false;
    form.OnConfirm = [&](TFrmText& f) {
        if (readOnly || !f.Modified()) return true;
        std::string out;
        if (f.Rich()) {
            out = f.Rtf();
        } else if (oem_) {
            size_t lost = 0;
            const SingleByteCodePage* cp866 = SingleByteCodePage::Find(866);
            out = cp866 ? cp866->Encode(f.Text(), std::string::npos, &lost) : f.Text();
            // Characters CP866 lacks would be lost: the user decides.
            const std::string question = "Символов, которых нет в кодовой странице 866: " + std::to_string(lost) +
                                         ". Они будут записаны как '?'. Сохранить?";
            if (lost > 0) {
                const bool yes = Hooks.Question ? Hooks.Question(&f, AnsiToQString(question))
                                                : QMessageBox::question(&f, "Текст", AnsiToQString(question)) ==
                                                      QMessageBox::Yes;
                if (!yes) return false;
            }
        } else {
            out = f.Text();
        }
        const std::string why = WriteWholeFile(fileName, out);
        if (!why.empty()) {
            Message(&f, "Не удалось сохранить файл: " + fileName + "\n" + why);
            return false;
        }
        saved = true;
        return true;
    };
    form.exec();
    return saved;
}
