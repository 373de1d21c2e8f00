#pragma once
#include <exception>
#include <string>

// Root of the program's own exceptions: a message and nothing else.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

// Raised by the data-set framework and for every engine error.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// Raised by the SQLite layer for its own checks.
class SLError : public Exception {
public:
    using Exception::Exception;
};

// Raised when a text does not convert to a number or a date.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
