#pragma once
// The SQL input control: the memo drawn from the editor model's token chain,
// with automatic indentation on Enter and optional block expansion. A font
// change re-colours through the model, whose token fonts follow the editor's.
#include "TEditorModel.h"
#include "TQorMemo.h"

class TQorEditor : public TQorMemo {
public:
    explicit TQorEditor(QWidget* parent = nullptr);

    TEditorModel& Editor() { return static_cast<TEditorModel&>(Model()); }
    TSyntaxColoring& SyntaxColoring() { return Editor().SyntaxColoring(); }
    void SetSyntaxColoring(const TSyntaxColoring& source) { Editor().SetSyntaxColoring(source); }

    bool AutoIndent() const { return autoIndent_; }
    void SetAutoIndent(bool v) { autoIndent_ = v; }
    bool AutoIndentIncrease() const { return autoIndentIncrease_; }
    void SetAutoIndentIncrease(bool v) { autoIndentIncrease_ = v; }
    char AutoIndentIncreaseStart() const { return increaseStart_; }
    void SetAutoIndentIncreaseStart(char c) { increaseStart_ = c; }
    char AutoIndentIncreaseEnd() const { return increaseEnd_; }
    void SetAutoIndentIncreaseEnd(char c) { increaseEnd_ = c; }

    std::vector<TCustomFormattedRange*> GetFormattedRanges(const TCustomRange& r) override;

protected:
    void KeyPress(char& c) override;

private:
    // The blanks that start the caret's line, up to the caret; false when
    // something else stands between the line start and the caret.
    bool LeadingBlanks(std::string& indent);

    bool autoIndent_ = true;
    bool autoIndentIncrease_ = false;
    char increaseStart_ = '{';
    char increaseEnd_ = '}';
};
