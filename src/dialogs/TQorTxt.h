#pragma once
// Shows a text or a file in the modal viewer TFrmText, as plain text or as
// rich text (RTF), optionally editable and saved back.
#include <string>

#include "dialogs/TextViewerHooks.h"

class QWidget;

class TQorTxt {
public:
    // The file's text is in the OEM code page (CP866): converted for the
    // screen and back when saved.
    bool OEM() const { return oem_; }
    void SetOEM(bool v) { oem_ = v; }

    // Plain mode. True when the text was editable, changed and confirmed
    // with Ctrl+Enter; text then holds the edited text.
    bool ShowText(const std::string& caption, bool readOnly, double widthFactor, double heightFactor, std::string& text,
                  bool wordWrap, QWidget* parent = nullptr);
    // True when the file was editable, changed, confirmed and saved back.
    // A missing file is reported and gives false.
    bool ShowFile(const std::string& caption, bool readOnly, bool rich, double widthFactor, double heightFactor,
                  const std::string& fileName, bool wordWrap, QWidget* parent = nullptr);

    // Given to every viewer this component opens.
    TextViewerHooks Hooks;

private:
    void Message(QWidget* parent, const std::string& text);
    bool oem_ = false;
};
