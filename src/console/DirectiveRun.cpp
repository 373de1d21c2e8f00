#include "console/DirectiveRun.h"

#include "base/DateTime.h"
#include "base/FormatSettings.h"
#include "base/Platform.h"
#include "console/TConsole.h"

DirectiveRun::DirectiveRun(TConsole& console) : console_(console) {}

DirectiveRun::~DirectiveRun() {
    console_.Host().HideProgress();
    try {
        console_.Query().Close();
    } catch (...) {
        // A close that fails must not hide the failure being reported.
    }
}

void DirectiveRun::Fail(std::string_view message) {
    console_.SetCommandError(true);
    console_.PrintLine(message);
}

bool DirectiveRun::MayWrite(const std::string& fileName) {
    if (!FileExists(fileName)) return true;
    return console_.Host().AskYesNo("File " + fileName + " exists. Rewrite?", true);
}

std::string DirectiveRun::Elapsed() const {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    const TDateTime span = static_cast<double>(ms.count()) / 86400000.0;
    std::string text(1, '\t');
    return text.append(FormatDateTime(FormatSettings().LongTimeFormat, span));
}
