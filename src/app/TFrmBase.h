#pragma once
#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;

// The database selection form: recent databases, a file list of one folder
// with an extension mask, and a check box to create a new file.
class TFrmBase : public QDialog {
public:
    explicit TFrmBase(const std::string& dir, QWidget* parent = nullptr);

    // The chosen path after Accepted.
    const std::string& Path() const { return path_; }
    // Shows the form; the chosen path, or "" when cancelled. An accepted
    // choice enters the recent-database history.
    static std::string SelectDatabase(const std::string& dir, QWidget* parent = nullptr);

    // The recent-database history under "HKCU\Software\Tabulon\": the chosen
    // path goes first, an equal entry moves up, the eleventh drops out.
    static void RememberDatabase(const std::string& path);
    static std::vector<std::string> RecentDatabases();

    QListWidget* FileList() const { return files_; }
    QComboBox* History() const { return history_; }
    QCheckBox* CreateNew() const { return createNew_; }
    QLabel* FolderLabel() const { return folderLabel_; }
    const std::string& Folder() const { return folder_; }
    void SetFolder(const std::string& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillFiles();
    bool AcceptFromList();
    bool AcceptFromHistory();

    QComboBox* history_;
    QComboBox* ext_;
    QListWidget* files_;
    QLabel* folderLabel_;
    QCheckBox* createNew_;
    std::string folder_;
    std::string path_;
};
