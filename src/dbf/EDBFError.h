#pragma once
#include "base/Exception.h"

// Raised by the dBase table for file, field and filter failures.
class EDBFError : public Exception {
public:
    using Exception::Exception;
};
