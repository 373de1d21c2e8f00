#include "console/CsvReader.h"

CsvReader::CsvReader(std::string_view text, char delimiter) : text_(text), delimiter_(delimiter) {
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
}

bool CsvReader::SkipLineEnd() {
    if (pos_ >= text_.size()) return false;
    if (text_[pos_] == '\n') {
        ++pos_;
    } else if (text_[pos_] == '\r') {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    } else {
        return false;
    }
    ++line_;
    return true;
}

bool CsvReader::Next(std::vector<std::string>& fields) {
    // The strings of the last record are reused: a long import allocates
    // next to nothing per field.
    size_t count = 0;
    while (SkipLineEnd()) {
    }
    if (pos_ >= text_.size()) {
        fields.clear();
        return false;
    }
    recordLine_ = line_;
    for (;;) {
        if (count == fields.size()) fields.emplace_back();
        std::string& field = fields[count++];
        field.clear();
        // One field, up to the delimiter, the line end or the end of text.
        if (pos_ < text_.size() && text_[pos_] == '"') {
            const int opened = line_;
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size())
                    throw CsvError("Unterminated quote: the quoted field opened on line " + std::to_string(opened) +
                                       " never closes",
                                   opened);
                const char c = text_[pos_];
                if (c == '"') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                        field.push_back('"');
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                // A CR LF inside quotes is part of the value as written.
                if (c == '\n' || (c == '\r' && (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '\n'))) ++line_;
                field.push_back(c);
                ++pos_;
            }
        }
        const size_t start = pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == delimiter_ || c == '\n' || c == '\r') break;
            ++pos_;
        }
        field.append(text_.data() + start, pos_ - start);
        if (pos_ < text_.size() && text_[pos_] == delimiter_) {
            ++pos_;
            continue;
        }
        SkipLineEnd();
        fields.resize(count);
        return true;
    }
}
