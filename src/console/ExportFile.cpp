#include "console/ExportFile.h"

#include <QSaveFile>

#include "base/Exception.h"
#include "base/Utf8.h"

ExportFile::ExportFile(const std::string& fileName)
    : fileName_(fileName), out_(std::make_unique<QSaveFile>(QString::fromStdString(fileName))) {
    if (!out_->open(QIODevice::WriteOnly)) Fail();
    text_.reserve(kBlockBytes + 4096);
}

// Without Finish the temporary file goes and the target stays as it was.
ExportFile::~ExportFile() = default;

void ExportFile::Fail() const {
    throw Exception("??? Cannot write file " + fileName_ + ": " + out_->errorString().toStdString());
}

void ExportFile::EndLine() {
    text_.push_back('\n');
    if (text_.size() >= kBlockBytes) Flush();
}

void ExportFile::Flush() {
    if (text_.empty()) return;
    // A byte of the data that is not UTF-8 is written as its Windows-1251
    // character: the file stays well formed. Blocks end with whole lines.
    const std::string shown = IsValidUtf8(text_) ? std::string() : DisplayText(text_);
    const std::string& bytes = shown.empty() ? text_ : shown;
    if (out_->write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) Fail();
    text_.clear();
}

void ExportFile::Finish() {
    Flush();
    if (!out_->commit()) Fail();
}
