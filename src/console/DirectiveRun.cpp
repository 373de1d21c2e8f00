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

bool DirectiveRun::SourceExists(const std::string& fileName) {
    if (FileExists(fileName)) return true;
    Fail("??? File not exists: " + fileName);
    return false;
}

std::optional<int64_t> DirectiveRun::TableRows(const std::string& table) {
    try {
        return console_.Session().SelectInt64("select count(*) from " + table, {}, true);
    } catch (...) {
        return std::nullopt;
    }
}

bool DirectiveRun::MayReplaceTable(const std::string& table, int64_t rows) {
    return console_.Host().AskYesNo(
        "Table " + table + " exists and containt " + std::to_string(rows) + " records. Replace?", true);
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
