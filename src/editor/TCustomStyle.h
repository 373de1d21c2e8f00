#pragma once
#include <string>

#include "TCollection.h"
#include "TFont.h"

class TSyntaxColoring;

// A delimited style such as a string or a comment: it opens with BeginText
// and closes with EndText ("#13" stands for a line end).
class TCustomStyle : public TCollectionItem {
public:
    explicit TCustomStyle(TCollection* collection);
    ~TCustomStyle() override;

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
    const std::string& BeginText() const { return beginText_; }
    void SetBeginText(std::string_view v);
    const std::string& EndText() const { return endText_; }
    void SetEndText(std::string_view v);
    // At most one character; longer values keep their first character.
    const std::string& IgnoreChar() const { return ignoreChar_; }
    void SetIgnoreChar(std::string_view v);
    bool Switchable() const { return switchable_; }
    void SetSwitchable(bool v);
    int DontSwitchToIndex1() const { return dontSwitch1_ ? dontSwitch1_->Index() : -1; }
    void SetDontSwitchToIndex1(int i) { SetReference(dontSwitch1_, i); }
    int DontSwitchToIndex2() const { return dontSwitch2_ ? dontSwitch2_->Index() : -1; }
    void SetDontSwitchToIndex2(int i) { SetReference(dontSwitch2_, i); }
    const TCustomStyle* DontSwitchTo1() const { return dontSwitch1_; }
    const TCustomStyle* DontSwitchTo2() const { return dontSwitch2_; }

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& f) { font_ = f; }
    void Assign(const TCustomStyle& other);

private:
    void SetReference(TCustomStyle*& ref, int index);

    std::string caption_;
    bool customColor_ = true;
    TColor color_ = clMaroon;
    bool customStyle_ = false;
    TFontStyles style_ = 0;
    std::string beginText_;
    std::string endText_;
    std::string ignoreChar_;
    bool switchable_ = false;
    TCustomStyle* dontSwitch1_ = nullptr;
    TCustomStyle* dontSwitch2_ = nullptr;
    TFont font_;
};

class TCustomStyles : public TOwnedCollection {
public:
    explicit TCustomStyles(TSyntaxColoring* owner);
    TCustomStyle* Add() { return Added(new TCustomStyle(this)); }
    TCustomStyle* Items(int i) const { return static_cast<TCustomStyle*>(Item(i)); }

protected:
    void Update(TCollectionItem* item) override;

private:
    TSyntaxColoring* coloring_;
};
