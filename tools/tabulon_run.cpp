// tabulon-run: the console's interpreter without a window.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "StreamHost.h"
#include "base/AnsiString.h"
#include "base/Platform.h"
#include "base/Utf8.h"
#include "console/TConsole.h"

namespace {

const char kUsage[] =
    "Usage: tabulon-run [options] DATABASE [SCRIPT ...]\n"
    "\n"
    "Connects to DATABASE (a file, created when missing, or :memory:), runs the\n"
    "console's start-up commands (StartSQL), then runs each SCRIPT, or standard\n"
    "input when none is given, through the console's interpreter exactly as F5\n"
    "runs the input editor's text, and writes every output line to standard\n"
    "output.\n"
    "\n"
    "Options:\n"
    "  --set NAME=VALUE  override one console setting for this run (Prompt, EchoOn,\n"
    "                    HeaderOn, ShowTime, StopErr, WidthFld, NumPLSQL, CharLong,\n"
    "                    LongStr, DelStr, StartSQL, DllName, ...; Y/N for switches)\n"
    "  --overwrite       answer Yes to questions that replace or delete data\n"
    "                    (without it they are answered No)\n"
    "  --help            show this text\n"
    "\n"
    "Stored settings are read, never written. Ctrl+C interrupts the running\n"
    "statement. Exit status: 0 when no command failed, 1 when one did, 2 for\n"
    "usage and connection errors.\n";

int Usage(const char* problem) {
    if (problem) std::fprintf(stderr, "tabulon-run: %s\n\n", problem);
    std::fputs(kUsage, problem ? stderr : stdout);
    return problem ? 2 : 0;
}

bool ReadAll(std::istream& in, std::string& out) {
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    bool overwrite = false;
    std::vector<std::pair<std::string, std::string>> overrides;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") return Usage(nullptr);
        if (a == "--raw") {
            // Output is UTF-8 as it stands; the option of older versions is
            // still accepted.
        } else if (a == "--overwrite") {
            overwrite = true;
        } else if (a == "--set" || a.rfind("--set=", 0) == 0) {
            std::string kv = a == "--set" ? (i + 1 < argc ? argv[++i] : "") : a.substr(6);
            const size_t eq = kv.find('=');
            if (eq == std::string::npos || eq == 0) return Usage("--set needs NAME=VALUE");
            overrides.emplace_back(kv.substr(0, eq), kv.substr(eq + 1));
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            return Usage(("unknown option " + a).c_str());
        } else {
            positional.push_back(a);
        }
    }
    if (positional.empty()) return Usage("no DATABASE given");

    StreamHost host(overwrite);
    TConsole console(host);
    console.LoadSettings();
    for (const auto& [name, value] : overrides)
        if (!console.Settings().Set(name, value))
            return Usage(("unknown setting or bad value: " + name + "=" + value).c_str());
    StreamHost::CatchInterrupts();

    int failures = 0;
    try {
        console.Connect(positional[0]);
        failures += console.CommandError() ? 1 : 0;
        if (!console.Session().Connected()) {
            std::fprintf(stderr, "tabulon-run: could not connect to %s\n", positional[0].c_str());
            return 2;
        }
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "tabulon-run: %s\n", e.what());
        return 2;
    }

    std::vector<std::string> scripts(positional.begin() + 1, positional.end());
    if (scripts.empty()) scripts.push_back("-");
    for (const std::string& s : scripts) {
        std::string text;
        if (s == "-") {
            ReadAll(std::cin, text);
        } else {
            std::ifstream in(s, std::ios::binary);
            if (!in || !ReadAll(in, text)) {
                std::fflush(stdout);
                std::fprintf(stderr, "tabulon-run: cannot read %s\n", s.c_str());
                return 2;
            }
        }
        // The file's own bytes: a literal that spans lines keeps the file's
        // line break. Only a file that is not UTF-8 is read as Windows-1251.
        try {
            console.RunCommandText(FileText(text));
        } catch (const std::exception& e) {
            // What the window shows in an error box ends the run here.
            host.PrintLine(Trim(e.what()));
            ++failures;
        }
    }
    failures += console.FailureCount();
    return failures > 0 ? 1 : 0;
}
