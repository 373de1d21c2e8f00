#include "TSyntaxColoring.h"

#include "TEditorModel.h"
#include "base/AnsiString.h"
#include "base/NumberText.h"

// ---------------------------------------------------------------------------
// Word lists

TWordList::TWordList(TCollection* collection) : TCollectionItem(collection) {
    words_.SetSorted(true);
    words_.OnChange = [this] { Changed(); };
}

void TWordList::SetCaption(std::string v) {
    if (v != caption_) {
        caption_ = std::move(v);
        Changed();
    }
}
void TWordList::SetCustomColor(bool v) {
    if (v != customColor_) {
        customColor_ = v;
        Changed();
    }
}
void TWordList::SetColor(TColor v) {
    if (v != color_) {
        color_ = v;
        Changed();
    }
}
void TWordList::SetCustomStyle(bool v) {
    if (v != customStyle_) {
        customStyle_ = v;
        Changed();
    }
}
void TWordList::SetStyle(TFontStyles v) {
    if (v != style_) {
        style_ = v;
        Changed();
    }
}
void TWordList::SetCaseSensitive(bool v) {
    if (v != caseSensitive_) {
        caseSensitive_ = v;
        Changed();
    }
}

bool TWordList::Contains(std::string_view word) const {
    int i = 0;
    if (words_.Find(word, i)) return true;
    if (!caseSensitive_ && i < words_.Count()) return AnsiUpperCase(word) == AnsiUpperCase(words_.Get(i));
    return false;
}

void TWordList::Assign(const TWordList& o) {
    caption_ = o.caption_;
    customColor_ = o.customColor_;
    color_ = o.color_;
    customStyle_ = o.customStyle_;
    style_ = o.style_;
    caseSensitive_ = o.caseSensitive_;
    font_ = o.font_;
    words_.Assign(o.words_);
    Changed();
}

TWordLists::TWordLists(TSyntaxColoring* owner) : TOwnedCollection(owner), coloring_(owner) {}

void TWordLists::Update(TCollectionItem*) {
    if (coloring_) coloring_->Changed();
}

// ---------------------------------------------------------------------------
// Custom styles

namespace {
// "#13" stands for the end of a line, which is LF.
std::string StyleText(std::string_view v) { return v == "#13" ? std::string("\n") : std::string(v); }
}  // namespace

TCustomStyle::TCustomStyle(TCollection* collection) : TCollectionItem(collection) {}

TCustomStyle::~TCustomStyle() {
    if (TCollection* c = Collection()) {
        for (int i = 0; i < c->Count(); ++i) {
            auto* other = static_cast<TCustomStyle*>(c->Item(i));
            if (other->dontSwitch1_ == this) other->dontSwitch1_ = nullptr;
            if (other->dontSwitch2_ == this) other->dontSwitch2_ = nullptr;
        }
    }
}

void TCustomStyle::SetCaption(std::string v) {
    if (v != caption_) {
        caption_ = std::move(v);
        Changed();
    }
}
void TCustomStyle::SetCustomColor(bool v) {
    if (v != customColor_) {
        customColor_ = v;
        Changed();
    }
}
void TCustomStyle::SetColor(TColor v) {
    if (v != color_) {
        color_ = v;
        Changed();
    }
}
void TCustomStyle::SetCustomStyle(bool v) {
    if (v != customStyle_) {
        customStyle_ = v;
        Changed();
    }
}
void TCustomStyle::SetStyle(TFontStyles v) {
    if (v != style_) {
        style_ = v;
        Changed();
    }
}
void TCustomStyle::SetBeginText(std::string_view v) {
    std::string t = StyleText(v);
    if (t != beginText_) {
        beginText_ = std::move(t);
        Changed();
    }
}
void TCustomStyle::SetEndText(std::string_view v) {
    std::string t = StyleText(v);
    if (t != endText_) {
        endText_ = std::move(t);
        Changed();
    }
}
void TCustomStyle::SetIgnoreChar(std::string_view v) {
    std::string t(v.substr(0, 1));
    if (t != ignoreChar_) {
        ignoreChar_ = std::move(t);
        Changed();
    }
}
void TCustomStyle::SetSwitchable(bool v) {
    if (v != switchable_) {
        switchable_ = v;
        Changed();
    }
}

void TCustomStyle::SetReference(TCustomStyle*& ref, int index) {
    TCollection* c = Collection();
    TCustomStyle* target = c && index >= 0 && index < c->Count() ? static_cast<TCustomStyle*>(c->Item(index)) : nullptr;
    if (target != ref) {
        ref = target;
        Changed();
    }
}

void TCustomStyle::Assign(const TCustomStyle& o) {
    caption_ = o.caption_;
    customColor_ = o.customColor_;
    color_ = o.color_;
    customStyle_ = o.customStyle_;
    style_ = o.style_;
    beginText_ = o.beginText_;
    endText_ = o.endText_;
    ignoreChar_ = o.ignoreChar_;
    switchable_ = o.switchable_;
    font_ = o.font_;
    SetDontSwitchToIndex1(o.DontSwitchToIndex1());
    SetDontSwitchToIndex2(o.DontSwitchToIndex2());
    Changed();
}

TCustomStyles::TCustomStyles(TSyntaxColoring* owner) : TOwnedCollection(owner), coloring_(owner) {}

void TCustomStyles::Update(TCollectionItem*) {
    if (coloring_) coloring_->Changed();
}

// ---------------------------------------------------------------------------
// The settings

TSyntaxColoring::TSyntaxColoring(TPersistent* owner)
    : TOwnedPersistent(owner),
      wordLists_(std::make_unique<TWordLists>(this)),
      customStyles_(std::make_unique<TCustomStyles>(this)) {
    parenthesisColors_.Add("$000000");
    parenthesisColors_.OnChange = [this] { Changed(); };
}

TSyntaxColoring::~TSyntaxColoring() {
    // Freeing the collections must not re-colour anything.
    updateCount_ += 100;
    parenthesisColors_.OnChange = nullptr;
    customStyles_.reset();
    wordLists_.reset();
}

TColor TSyntaxColoring::ParenthesisColor(int n) const {
    const int count = parenthesisColors_.Count();
    if (count < 1 || n < 0) return clWindowText;
    int32_t v = 0;
    return TryStrToInt(parenthesisColors_.Get(n % count), v) ? v : clWindowText;
}

const TWordList* TSyntaxColoring::FindWordList(std::string_view word) const {
    for (int i = 0; i < wordLists_->Count(); ++i)
        if (wordLists_->Items(i)->Contains(word)) return wordLists_->Items(i);
    return nullptr;
}

const TCustomStyle* TSyntaxColoring::FindStyle(std::string_view lookAhead) const {
    lookAhead = lookAhead.substr(0, 20);
    for (int i = 0; i < customStyles_->Count(); ++i) {
        const TCustomStyle* s = customStyles_->Items(i);
        const std::string& b = s->BeginText();
        if (!b.empty() && lookAhead.substr(0, b.size()) == b) return s;
    }
    return nullptr;
}

void TSyntaxColoring::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TSyntaxColoring::Changed() {
    if (updateCount_ > 0) return;
    auto* editor = dynamic_cast<TEditorModel*>(GetOwner());
    if (!editor) return;
    const TFont& base = editor->Font();
    auto make = [&](TColor color, bool custom, TFontStyles style) {
        TFont f = base;
        f.Color = color;
        if (custom) f.Style = style;
        return f;
    };
    symbolFont_ = make(symbolColor_, symbolCustomStyle_, symbolStyle_);
    numberFont_ = make(numberColor_, numberCustomStyle_, numberStyle_);
    parenthesisFont_ = make(ParenthesisColor(0), parenthesisCustomStyle_, parenthesisStyle_);
    for (int i = 0; i < wordLists_->Count(); ++i) {
        TWordList* w = wordLists_->Items(i);
        TFont f = base;
        if (w->CustomColor()) f.Color = w->Color();
        if (w->CustomStyle()) f.Style = w->Style();
        w->SetFont(f);
    }
    for (int i = 0; i < customStyles_->Count(); ++i) {
        TCustomStyle* s = customStyles_->Items(i);
        TFont f = base;
        if (s->CustomColor()) f.Color = s->Color();
        if (s->CustomStyle()) f.Style = s->Style();
        s->SetFont(f);
    }
    editor->Recolor();
}

void TSyntaxColoring::Assign(const TSyntaxColoring& src) {
    if (&src == this) return;
    BeginUpdate();
    enabled_ = src.enabled_;
    symbolColor_ = src.symbolColor_;
    symbolStyle_ = src.symbolStyle_;
    symbolCustomStyle_ = src.symbolCustomStyle_;
    numberColor_ = src.numberColor_;
    numberStyle_ = src.numberStyle_;
    numberCustomStyle_ = src.numberCustomStyle_;
    parenthesisStyle_ = src.parenthesisStyle_;
    parenthesisCustomStyle_ = src.parenthesisCustomStyle_;
    parenthesisColors_.Assign(src.parenthesisColors_);
    wordLists_->Clear();
    for (int i = 0; i < src.wordLists_->Count(); ++i) wordLists_->Add()->Assign(*src.wordLists_->Items(i));
    customStyles_->Clear();
    // All styles first, so that the don't-switch references find their targets.
    for (int i = 0; i < src.customStyles_->Count(); ++i) customStyles_->Add();
    for (int i = 0; i < src.customStyles_->Count(); ++i) customStyles_->Items(i)->Assign(*src.customStyles_->Items(i));
    EndUpdate();
}
