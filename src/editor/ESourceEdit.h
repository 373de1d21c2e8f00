#pragma once
#include "base/Exception.h"

// Programming errors of the editor's text model (a token made for no editor);
// the console never shows it to the user.
class ESourceEdit : public Exception {
public:
    using Exception::Exception;
};
