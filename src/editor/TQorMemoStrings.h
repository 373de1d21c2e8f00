#pragma once
#include "base/TStrings.h"

class TMemoModel;

// The memo's lines as a string list. Every operation edits through a
// temporary range that the edit itself does not move.
class TQorMemoStrings : public TStrings {
public:
    explicit TQorMemoStrings(TMemoModel& memo) : memo_(memo) {}

    std::string Get(int i) const override;
    int GetCount() const override;
    void Put(int i, std::string_view s) override;
    void Insert(int i, std::string_view s) override;
    void Delete(int i) override;
    void Clear() override;
    // Deletes `count` lines from line `first` (0-based) in one edit: an
    // output pane dropping its oldest two thousand lines repaints and
    // records once instead of two thousand times.
    void DeleteLines(int first, int count);

protected:
    std::string GetTextStr() const override;
    void SetTextStr(std::string_view s) override;

private:
    void Replace(int start, int end, std::string_view s);

    TMemoModel& memo_;
};
