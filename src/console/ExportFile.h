#pragma once
// The file an export writes: UTF-8 with LF line ends, written a block at a
// time so that the document is never held whole in memory, into a
// temporary file beside the target that replaces the target only once it is
// complete. A failure or an interrupt midway leaves an older file as it was.
#include <memory>
#include <string>
#include <string_view>

class QSaveFile;

class ExportFile {
public:
    // Opens the temporary file; raises when it cannot be created.
    explicit ExportFile(const std::string& fileName);
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    void Add(std::string_view s) { text_.append(s); }
    void Add(char c) { text_.push_back(c); }
    // Ends a line; a full block goes to the file.
    void EndLine();
    // Writes the rest and puts the file in place of the target; raises when
    // that fails (the target is then left as it was).
    void Finish();

private:
    static constexpr size_t kBlockBytes = 64 * 1024;
    [[noreturn]] void Fail() const;
    void Flush();

    std::string fileName_;
    std::unique_ptr<QSaveFile> out_;
    std::string text_;  // text not yet written
};
