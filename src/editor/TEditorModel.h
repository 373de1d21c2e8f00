#pragma once
// The text model of the SQL editor: the memo's model plus the syntax
// colouring settings and the token chain that the scanner keeps up to date
// after every edit.
#include <memory>
#include <string>
#include <vector>

#include "TMemoModel.h"
#include "TSyntaxColoring.h"
#include "TSyntaxRange.h"

struct TSyntaxTokenInfo {
    int Start = 0;
    int End = 0;
    std::string Text;
    std::string ClassName;
};

class TEditorModel : public TMemoModel {
public:
    TEditorModel();
    ~TEditorModel() override;

    TSyntaxColoring& SyntaxColoring() { return *coloring_; }
    // Copies the given settings into the editor's own.
    void SetSyntaxColoring(const TSyntaxColoring& source) { coloring_->Assign(source); }
    void SetFont(const TFont& f) override;

    virtual void Recolor();
    // Scans the text around r (which it may widen) and merges the new tokens
    // into the chain.
    virtual void ColorRange(TCustomRange& r);
    virtual void ClearSyntaxRanges();
    // Puts t in place of the old tokens it covers, starting the search at
    // cursor; true when the last token it replaced equalled t.
    virtual bool MergeSyntaxRange(TSyntaxRange* t, TSyntaxRange*& cursor);
    // The first token that leaves a gap before its successor (or does not
    // start the text, or does not end it); nullptr when the chain is sound.
    virtual TSyntaxRange* CheckGaps() const;
    // The first token whose end is not before its successor's start.
    virtual TSyntaxRange* CheckOverlaps() const;
    virtual std::vector<TSyntaxTokenInfo> ListTokens() const;
    // The first token whose end is at or after p.
    virtual TSyntaxRange* FindSyntaxRange(int p) const;
    virtual TSyntaxRange* FindSyntaxRange(int p, TSyntaxRange* hint) const;

    TSyntaxRange* FirstRange() const { return first_; }
    TSyntaxRange* LastRange() const { return last_; }
    int TokenCount() const { return tokenCount_; }

    void TextChanged(int position, int oldLength, int newLength) override;
    void AfterTextChanged() override;

protected:
    void MoveOrderedRanges(int s, int e, int d) override;

private:
    friend class TSyntaxRange;
    enum class Kind { Text, Symbol, Parenthesis, Style };

    void Link(TSyntaxRange* t, TSyntaxRange* before);
    void Unlink(TSyntaxRange* t);
    void MovePartitionTo(TSyntaxRange* g);
    void Emit(int start, int length, Kind kind, const TCustomStyle* style);
    void EmitToken(TSyntaxRange* t, int start, int end);
    bool MatchAt(int p, const std::string& s) const;
    const TCustomStyle* StyleAt(int p) const;

    std::unique_ptr<TSyntaxColoring> coloring_;
    TSyntaxRange* first_ = nullptr;
    TSyntaxRange* last_ = nullptr;
    int tokenCount_ = 0;
    // Tokens from pendingFirst_ to the end still lack pendingDelta_.
    TSyntaxRange* pendingFirst_ = nullptr;
    int pendingDelta_ = 0;
    // Where the last search ended; lookups near it are short walks.
    mutable TSyntaxRange* hint_ = nullptr;
    TSyntaxRange* drawCursor_ = nullptr;
    TSyntaxRange* firstToRefresh_ = nullptr;
    TSyntaxRange* anchor_ = nullptr;
    bool resync_ = false;
    bool recoloring_ = false;
    int recolorStart_ = 0;
    int recolorEnd_ = -1;
};
