#include "TQorMemoStrings.h"

#include "TCustomRange.h"
#include "TMemoModel.h"

void TQorMemoStrings::Replace(int start, int end, std::string_view s) {
    TMCRange r(&memo_);
    r.SetRStart(start);
    r.SetREnd(end);
    memo_.ReplaceRange(r, s);
}

std::string TQorMemoStrings::Get(int i) const {
    const int start = memo_.PointToOffset(1, i + 1);
    const int end = memo_.PointToOffset(-1, i + 2);
    return memo_.Substr(start, end - start + 1);
}

int TQorMemoStrings::GetCount() const { return memo_.TextLength() == 0 ? 0 : memo_.LineCount(); }

std::string TQorMemoStrings::GetTextStr() const { return std::string(memo_.Text()); }

void TQorMemoStrings::SetTextStr(std::string_view s) { memo_.SetText(s); }

void TQorMemoStrings::Put(int i, std::string_view s) {
    Replace(memo_.PointToOffset(1, i + 1), memo_.PointToOffset(-1, i + 2), s);
}

void TQorMemoStrings::Delete(int i) {
    if (i >= memo_.LineCount() - 1) {
        Replace(memo_.PointToOffset(0, i + 1), memo_.PointToOffset(-1, i + 2), "");
    } else {
        Replace(memo_.PointToOffset(1, i + 1), memo_.PointToOffset(0, i + 2), "");
    }
}

void TQorMemoStrings::DeleteLines(int first, int count) {
    const int n = GetCount();
    if (first < 0 || first >= n || count <= 0) return;
    const int last = count >= n - first ? n : first + count;  // exclusive
    if (last < n) {
        Replace(memo_.PointToOffset(1, first + 1), memo_.PointToOffset(0, last + 1), "");
    } else if (first == 0) {
        Replace(1, memo_.TextLength(), "");
    } else {
        Replace(memo_.PointToOffset(0, first + 1), memo_.PointToOffset(-1, n + 1), "");
    }
}

void TQorMemoStrings::Insert(int i, std::string_view s) {
    if (memo_.TextLength() == 0) {
        memo_.SetText(s);
    } else if (i >= memo_.LineCount()) {
        std::string line;
        line.reserve(s.size() + 1);
        line += '\n';
        line += s;
        const int at = memo_.TextLength() + 1;
        Replace(at, at - 1, line);
        if (memo_.View()) memo_.View()->ScrollToBottom();
    } else {
        std::string line(s);
        line += '\n';
        const int at = memo_.PointToOffset(1, i + 1);
        Replace(at, at - 1, line);
    }
}

void TQorMemoStrings::Clear() { memo_.Clear(); }
