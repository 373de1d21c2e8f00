#pragma once
// The small modal form of TQorMenu: a numbered list on a raised silver panel.
#include <string>
#include <vector>

#include <QDialog>

class QFrame;
class QListWidget;

class TFrmMenu : public QDialog {
public:
    static constexpr int ItemHeight = 16;
    static constexpr int PanelBorder = 2;

    explicit TFrmMenu(QWidget* parent = nullptr);

    // Fills the list with the numbered, centred entries, selects entry
    // itemIndex and sizes the form for them and for a screen availHeight
    // pixels high. Entries are ANSI text.
    void SetEntries(const std::vector<std::string>& entries, int itemIndex, int availHeight);

    // The index chosen with Enter or a double-click; -1 otherwise.
    int Chosen() const { return chosen_; }
    // The chosen line as shown, trimmed (ANSI); empty when nothing was chosen.
    std::string ChosenText() const;

    QListWidget* List() const { return list_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Choose(int row);

    QFrame* panel_ = nullptr;
    QListWidget* list_ = nullptr;
    int chosen_ = -1;
};

// The entries of a list text: a leading ',' dropped, then cut at every
// separator (every piece but the last trimmed, the last kept unless empty);
// '"' as separator reads the text as comma text with quoted entries.
std::vector<std::string> MenuEntries(const std::string& items, char separator);

// Entry k as the list shows it: k + 1, a blank and the trimmed entry centred
// in width characters, blanks added alternately after and before.
std::string MenuLine(int k, const std::string& entry, int width);
