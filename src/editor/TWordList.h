#pragma once
#include <string>

#include "TCollection.h"
#include "TFont.h"
#include "base/TStrings.h"

class TSyntaxColoring;

// A list of words coloured alike. The words are kept sorted and are found
// without regard to letter case.
class TWordList : public TCollectionItem {
public:
    explicit TWordList(TCollection* collection);

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string v);
    bool CustomColor() const { return customColor_; }
    void SetCustomColor(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    bool CustomStyle() const { return customStyle_; }
    void SetCustomStyle(bool v);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles v);
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool v);
    TStringList& Words() { return words_; }
    const TStringList& Words() const { return words_; }

    bool Contains(std::string_view word) const;
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& f) { font_ = f; }
    void Assign(const TWordList& other);

private:
    std::string caption_;
    bool customColor_ = true;
    TColor color_ = clBlue;
    bool customStyle_ = false;
    TFontStyles style_ = 0;
    bool caseSensitive_ = true;
    TStringList words_;
    TFont font_;
};

// The word lists of one colouring, searched in their order; a change of any
// of them re-colours the owner's editor.
class TWordLists : public TOwnedCollection {
public:
    explicit TWordLists(TSyntaxColoring* owner);
    TWordList* Add() { return Added(new TWordList(this)); }
    TWordList* Items(int i) const { return static_cast<TWordList*>(Item(i)); }

protected:
    void Update(TCollectionItem* item) override;

private:
    TSyntaxColoring* coloring_;
};
