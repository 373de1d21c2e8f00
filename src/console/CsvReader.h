#pragma once
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A malformed CSV text: the message names the line (1-based) it concerns.
class CsvError : public std::runtime_error {
public:
    CsvError(const std::string& message, int line) : std::runtime_error(message), line_(line) {}
    int Line() const { return line_; }

private:
    int line_;
};

// Records of a CSV text (RFC 4180), one at a time. A field in double quotes
// may hold the delimiter, line breaks and doubled quotes; a record ends with
// CR LF, LF or a lone CR outside quotes. A UTF-8 byte-order mark at the start
// is skipped, and so are empty lines (a record of one empty field is written
// as "" for that reason). Lenient where the format is broken but readable: a
// quote inside an unquoted field is an ordinary character, and text after a
// closing quote joins the field. A quote that never closes raises CsvError.
// The text is not copied: it must outlive the reader.
class CsvReader {
public:
    explicit CsvReader(std::string_view text, char delimiter = ',');

    // The next record's fields; false, with `fields` emptied, at the end.
    bool Next(std::vector<std::string>& fields);
    // The line the record last read starts on (1-based).
    int RecordLine() const { return recordLine_; }
    // Bytes of the text consumed so far, for a progress note.
    size_t Position() const { return pos_; }

private:
    // Steps over one line end at pos_, if there is one; true when it did.
    bool SkipLineEnd();

    std::string_view text_;
    char delimiter_;
    size_t pos_ = 0;
    int line_ = 1;
    int recordLine_ = 0;
};
