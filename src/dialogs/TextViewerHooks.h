#pragma once
// The text viewer's dialogs, replaceable (tests answer them without
// windows). An empty hook shows the ordinary Qt dialog.
#include <QString>
#include <functional>

class QPrinter;
class QWidget;

struct TextViewerHooks {
    // A message box with an OK button.
    std::function<void(QWidget* parent, const QString& text)> Message;
    // A Yes/No question; true for Yes.
    std::function<bool(QWidget* parent, const QString& text)> Question;
    // The save dialog: the chosen file, empty when cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                          const QString& defaultSuffix)>
        SaveFileName;
    // The print dialog; true to print on the printer as set up.
    std::function<bool(QWidget* parent, QPrinter& printer)> Print;
};
