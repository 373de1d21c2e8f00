#pragma once
// Runs drawn in one colour and font: the base with the virtual colour and
// font slots, a run with its own font and colour, and a run in the memo's.
#include "TCustomRange.h"
#include "TFont.h"

class TCustomFormattedRange : public TMCRange {
public:
    using TMCRange::TMCRange;

    virtual void SetColor(TColor) {}
    virtual TColor GetColor() const { return clWindow; }
    virtual void SetFont(const TFont*) {}
    virtual const TFont* GetFont() const { return nullptr; }

    // Tells the drawing code to free the run once it is drawn.
    bool FreeAfterDraw() const { return freeAfterDraw_; }
    void SetFreeAfterDraw(bool v) { freeAfterDraw_ = v; }

    void Assign(const TCustomRange& source) override;

private:
    bool freeAfterDraw_ = false;
};

class TFormattedRange : public TCustomFormattedRange {
public:
    using TCustomFormattedRange::TCustomFormattedRange;

    void SetColor(TColor c) override { color_ = c; }
    TColor GetColor() const override { return color_; }
    void SetFont(const TFont* f) override {
        if (f) font_ = *f;
    }
    const TFont* GetFont() const override { return &font_; }

private:
    TColor color_ = clWindow;
    TFont font_;
};

class TNormalFormattedRange : public TCustomFormattedRange {
public:
    using TCustomFormattedRange::TCustomFormattedRange;
    TColor GetColor() const override;
    const TFont* GetFont() const override;
};
