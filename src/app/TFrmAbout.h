#pragma once
// The about box (Ctrl+F1): product, version and what the program runs on.
#include <string>

#include <QDialog>

class QFormLayout;

class TFrmAbout : public QDialog {
public:
    // The facts shown, as ANSI text; each line says "unknown" when the
    // system does not tell.
    struct Info {
        std::string processor;
        std::string memory;
        std::string disk;
        std::string display;
        std::string user;
        std::string computer;
        std::string fileVersion;
    };

    static constexpr const char* Product = "Tabulon";
    static constexpr const char* Version = "00.05";

    explicit TFrmAbout(QWidget* parent = nullptr);

    // Reads the facts from /proc, the file system of the program's folder,
    // the screen of widget (or the primary one) and the user database.
    static Info Gather(QWidget* widget = nullptr);
    const Info& Shown() const { return info_; }

    // Shows the box modally.
    static void ShowAbout(QWidget* parent);

private:
    Info info_;
};
