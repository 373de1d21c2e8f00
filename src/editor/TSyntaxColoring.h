#pragma once
// What the editor colours: word lists, delimited styles, symbols, numbers
// and parentheses by nesting depth.
#include <memory>
#include <string_view>

#include "TCustomStyle.h"
#include "TFont.h"
#include "TObjectContainer.h"
#include "TWordList.h"
#include "base/TStrings.h"

class TEditorModel;

class TSyntaxColoring : public TOwnedPersistent {
public:
    // The owner is the editor whose text the settings colour; without one
    // (a copy kept aside) changes colour nothing.
    explicit TSyntaxColoring(TPersistent* owner);
    ~TSyntaxColoring() override;
    TSyntaxColoring(const TSyntaxColoring&) = delete;
    TSyntaxColoring& operator=(const TSyntaxColoring&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { Set(enabled_, v); }
    TColor SymbolColor() const { return symbolColor_; }
    void SetSymbolColor(TColor v) { Set(symbolColor_, v); }
    TFontStyles SymbolStyle() const { return symbolStyle_; }
    void SetSymbolStyle(TFontStyles v) { Set(symbolStyle_, v); }
    bool SymbolCustomStyle() const { return symbolCustomStyle_; }
    void SetSymbolCustomStyle(bool v) { Set(symbolCustomStyle_, v); }
    TColor NumberColor() const { return numberColor_; }
    void SetNumberColor(TColor v) { Set(numberColor_, v); }
    TFontStyles NumberStyle() const { return numberStyle_; }
    void SetNumberStyle(TFontStyles v) { Set(numberStyle_, v); }
    bool NumberCustomStyle() const { return numberCustomStyle_; }
    void SetNumberCustomStyle(bool v) { Set(numberCustomStyle_, v); }
    TWordLists& WordLists() { return *wordLists_; }
    const TWordLists& WordLists() const { return *wordLists_; }
    TCustomStyles& CustomStyles() { return *customStyles_; }
    const TCustomStyles& CustomStyles() const { return *customStyles_; }
    TStringList& ParenthesisColors() { return parenthesisColors_; }
    const TStringList& ParenthesisColors() const { return parenthesisColors_; }
    TFontStyles ParenthesisStyle() const { return parenthesisStyle_; }
    void SetParenthesisStyle(TFontStyles v) { Set(parenthesisStyle_, v); }
    bool ParenthesisCustomStyle() const { return parenthesisCustomStyle_; }
    void SetParenthesisCustomStyle(bool v) { Set(parenthesisCustomStyle_, v); }

    const TFont& SymbolFont() const { return symbolFont_; }
    const TFont& NumberFont() const { return numberFont_; }
    const TFont& ParenthesisFont() const { return parenthesisFont_; }

    // Colour of nesting level n (0-based), cycling through the entries.
    TColor ParenthesisColor(int n) const;
    // The first word list holding the word.
    const TWordList* FindWordList(std::string_view word) const;
    // The first style whose BeginText starts the look-ahead (at most 20
    // characters are looked at).
    const TCustomStyle* FindStyle(std::string_view lookAhead) const;

    void Changed();
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    // The scanner holds the count up so that nothing re-enters it.
    void HoldUpdates() { ++updateCount_; }
    void ReleaseUpdates() { --updateCount_; }

    // Copies every property inside one update bracket.
    void Assign(const TSyntaxColoring& source);

private:
    template <class T>
    void Set(T& field, T v) {
        if (field == v) return;
        field = v;
        Changed();
    }

    bool enabled_ = true;
    TColor symbolColor_ = clOlive;
    TFontStyles symbolStyle_ = 0;
    bool symbolCustomStyle_ = false;
    TColor numberColor_ = clGreen;
    TFontStyles numberStyle_ = 0;
    bool numberCustomStyle_ = false;
    std::unique_ptr<TWordLists> wordLists_;
    std::unique_ptr<TCustomStyles> customStyles_;
    TStringList parenthesisColors_;
    TFontStyles parenthesisStyle_ = 0;
    bool parenthesisCustomStyle_ = false;
    TFont symbolFont_;
    TFont numberFont_;
    TFont parenthesisFont_;
    int updateCount_ = 0;
};
