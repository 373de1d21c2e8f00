#pragma once
// Asks the user to pick one entry of a short list; used for the named
// buffers and templates and by plug-ins.
#include <string>

class QWidget;

class TQorMenu {
public:
    // Shows the menu form captioned caption (ANSI) with the entries of items
    // cut at separator, entry itemIndex selected. On return itemIndex is the
    // chosen entry's index, or -1 when the user pressed Esc or closed the
    // form; true when an entry was chosen.
    bool Execute(const std::string& caption, const std::string& items, char separator,
                 int& itemIndex, QWidget* parent = nullptr);

    int ItemIndex() const { return itemIndex_; }
    // The chosen line trimmed, with its number; empty when nothing was chosen.
    const std::string& Text() const { return text_; }

private:
    int itemIndex_ = -1;
    std::string text_;
};
