#pragma once
// The editor's syntax tokens: a chain of ranges that covers the text without
// gaps, each with its colour, font and parenthesis level.
#include <string>

#include "TFormattedRange.h"

class TCustomStyle;
class TEditorModel;
class TWordList;

class TSyntaxRange : public TCustomFormattedRange {
public:
    // Raises ESourceEdit when there is no editor.
    explicit TSyntaxRange(TEditorModel* editor);
    ~TSyntaxRange() override;

    int ParenthesisLevel() const { return level_; }
    void SetParenthesisLevel(int v) { level_ = v; }
    TSyntaxRange* NextRange() const { return next_; }
    TSyntaxRange* PrevRange() const { return prev_; }

    int GetRStart() const override { return start_ + Bias(); }
    int GetREnd() const override { return end_ + Bias(); }
    void SetRStart(int v) override;
    void SetREnd(int v) override;
    TColor GetColor() const override;
    const TFont* GetFont() const override;

    virtual void UpdateLevel();
    virtual int LevelAfter() const { return level_; }
    // Same class and end, and the same class-specific detail.
    virtual bool IsEqual(const TSyntaxRange& other) const;
    // Updates the level; true when it changed.
    virtual bool Refresh();
    virtual const char* ClassName() const = 0;

protected:
    void DoOverwrite() override;
    TEditorModel* Editor() const;

private:
    friend class TEditorModel;
    int Bias() const;

    int level_ = 0;
    TSyntaxRange* next_ = nullptr;
    TSyntaxRange* prev_ = nullptr;
    // Set while the token lies behind the editor's pending shift.
    bool pending_ = false;
    bool linked_ = false;
};

class TNormalTextRange : public TSyntaxRange {
public:
    using TSyntaxRange::TSyntaxRange;
    const char* ClassName() const override { return "TNormalTextRange"; }
};

class TCustomStyleRange : public TSyntaxRange {
public:
    TCustomStyleRange(TEditorModel* editor, const TCustomStyle* style) : TSyntaxRange(editor), style_(style) {}
    const TCustomStyle* Style() const { return style_; }
    const TFont* GetFont() const override;
    bool IsEqual(const TSyntaxRange& other) const override;
    const char* ClassName() const override { return "TCustomStyleRange"; }

private:
    const TCustomStyle* style_;
};

class TWordListRange : public TSyntaxRange {
public:
    TWordListRange(TEditorModel* editor, const TWordList* list) : TSyntaxRange(editor), list_(list) {}
    const TWordList* WordList() const { return list_; }
    const TFont* GetFont() const override;
    bool IsEqual(const TSyntaxRange& other) const override;
    const char* ClassName() const override { return "TWordListRange"; }

private:
    const TWordList* list_;
};

class TSymbolRange : public TSyntaxRange {
public:
    TSymbolRange(TEditorModel* editor, std::string text) : TSyntaxRange(editor), text_(std::move(text)) {}
    const TFont* GetFont() const override;
    bool IsEqual(const TSyntaxRange& other) const override;
    const char* ClassName() const override { return "TSymbolRange"; }

private:
    std::string text_;
};

class TNumberRange : public TSyntaxRange {
public:
    TNumberRange(TEditorModel* editor, std::string text) : TSyntaxRange(editor), text_(std::move(text)) {}
    const TFont* GetFont() const override;
    bool IsEqual(const TSyntaxRange& other) const override;
    const char* ClassName() const override { return "TNumberRange"; }

private:
    std::string text_;
};

class TParenthesisRange : public TSyntaxRange {
public:
    TParenthesisRange(TEditorModel* editor, bool closing) : TSyntaxRange(editor), closing_(closing) {}
    bool Closing() const { return closing_; }
    void UpdateLevel() override;
    int LevelAfter() const override { return ParenthesisLevel() - (closing_ ? 1 : 0); }
    bool Refresh() override;
    const TFont* GetFont() const override;
    bool IsEqual(const TSyntaxRange& other) const override;
    const char* ClassName() const override { return "TParenthesisRange"; }

private:
    bool closing_;
    mutable TFont font_;
};
