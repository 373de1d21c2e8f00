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

protected:
    std::string GetTextStr() const override;
    void SetTextStr(std::string_view s) override;

private:
    void Replace(int start, int end, std::string_view s);

    TMemoModel& memo_;
};
