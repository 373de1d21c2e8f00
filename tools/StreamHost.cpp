#include "StreamHost.h"

#include <unistd.h>

#include "base/Utf8.h"

namespace {
volatile std::sig_atomic_t g_interrupt = 0;

extern "C" void OnSigInt(int) { g_interrupt = 1; }
}  // namespace

StreamHost::StreamHost(bool overwrite)
    : overwrite_(overwrite), stderrIsTerminal_(isatty(STDERR_FILENO) != 0) {
    static char outBuffer[1 << 16];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
}

StreamHost::~StreamHost() {
    HideProgress();
    std::fflush(stdout);
}

void StreamHost::CatchInterrupts() {
    struct sigaction sa {};
    sa.sa_handler = OnSigInt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
}

void StreamHost::Write(std::string_view bytes, std::FILE* to) {
    // UTF-8 as it stands; a byte that is not UTF-8 (legacy text) shows as
    // its Windows-1251 character.
    if (IsValidUtf8(bytes)) {
        std::fwrite(bytes.data(), 1, bytes.size(), to);
        return;
    }
    buffer_ = DisplayText(bytes);
    std::fwrite(buffer_.data(), 1, buffer_.size(), to);
}

void StreamHost::PrintLine(std::string_view text) {
    // One output line per line of the text, whatever its line breaks.
    size_t start = 0;
    for (;;) {
        size_t end = text.find_first_of("\r\n", start);
        const std::string_view line = text.substr(start, end == std::string_view::npos ? end : end - start);
        Write(line, stdout);
        std::fputc('\n', stdout);
        ++lines_;
        if (end == std::string_view::npos) break;
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
        if (start >= text.size()) break;
    }
}

bool StreamHost::AskYesNo(std::string_view question, bool destructive) {
    const bool yes = !destructive || overwrite_;
    std::string note(question);
    note += yes ? " -> Yes" : " -> No (give --overwrite to answer Yes)";
    ShowMessage(note);
    return yes;
}

bool StreamHost::AskText(std::string_view, std::string_view, std::string&) { return false; }

void StreamHost::ShowMessage(std::string_view text) {
    std::fflush(stdout);
    Write(text, stderr);
    std::fputc('\n', stderr);
}

void StreamHost::ShowProgress(std::string_view text) {
    if (!stderrIsTerminal_) return;
    std::fputc('\r', stderr);
    Write(text, stderr);
    std::fputs("\x1b[K", stderr);
    std::fflush(stderr);
    progressShown_ = true;
}

void StreamHost::HideProgress() {
    if (!progressShown_) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    progressShown_ = false;
}

bool StreamHost::InterruptRequested() {
    if (!g_interrupt) return false;
    g_interrupt = 0;
    return true;
}

void StreamHost::ShowText(std::string_view title, std::string_view text) {
    PrintLine(title);
    PrintLine(text);
}
