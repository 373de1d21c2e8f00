#include "TFieldDef.h"

#include "TDataSet.h"
#include "TField.h"
#include "base/AnsiString.h"
#include "base/Exception.h"

TFieldDef::TFieldDef(std::string name, TFieldType type, int size, bool required, int fieldNo)
    : name_(std::move(name)), dataType_(type), size_(size), fieldNo_(fieldNo) {
    SetRequired(required);
}

TField* TFieldDef::CreateField(TDataSet& dataSet) const {
    std::unique_ptr<TField> f;
    switch (dataType_) {
        case ftString:
        case ftWideString: f = std::make_unique<TStringField>(size_, dataType_); break;
        case ftSmallint: f = std::make_unique<TSmallintField>(); break;
        case ftInteger: f = std::make_unique<TIntegerField>(); break;
        case ftWord: f = std::make_unique<TWordField>(); break;
        case ftLargeint: f = std::make_unique<TLargeintField>(); break;
        case ftBoolean: f = std::make_unique<TBooleanField>(); break;
        case ftFloat: f = std::make_unique<TFloatField>(); break;
        case ftCurrency: f = std::make_unique<TCurrencyField>(); break;
        case ftBCD: {
            auto bcd = std::make_unique<TBCDField>();
            bcd->SetSize(size_);
            if (precision_ > 0) bcd->SetPrecision(precision_);
            f = std::move(bcd);
            break;
        }
        case ftDate: f = std::make_unique<TDateField>(); break;
        case ftTime: f = std::make_unique<TTimeField>(); break;
        case ftDateTime: f = std::make_unique<TDateTimeField>(); break;
        case ftBlob: f = std::make_unique<TBlobField>(); break;
        case ftMemo:
        case ftFmtMemo: f = std::make_unique<TMemoField>(dataType_); break;
        case ftGraphic: f = std::make_unique<TGraphicField>(); break;
        case ftUnknown: break;
    }
    if (!f) throw EDatabaseError("Field '" + name_ + "' is of an unknown type");
    f->SetFieldName(name_);
    f->SetFieldNo(fieldNo_);
    f->SetRequired(Required());
    f->SetReadOnly((attributes_ & faReadonly) != 0);
    f->SetVisible((attributes_ & faHiddenCol) == 0);
    if (internalCalc_) f->SetFieldKind(TFieldKind::fkInternalCalc);
    return dataSet.Fields().Add(std::move(f));
}

TFieldDef& TFieldDefs::Add(std::string name, TFieldType type, int size, bool required) {
    defs_.push_back(std::make_unique<TFieldDef>(std::move(name), type, size, required, Count() + 1));
    return *defs_.back();
}

int TFieldDefs::IndexOf(std::string_view name) const {
    for (size_t i = 0; i < defs_.size(); ++i)
        if (AnsiSameText(defs_[i]->Name(), name)) return static_cast<int>(i);
    return -1;
}

TFieldDef* TFieldDefs::Find(std::string_view name) {
    int i = IndexOf(name);
    return i < 0 ? nullptr : defs_[static_cast<size_t>(i)].get();
}

const TFieldDef* TFieldDefs::Find(std::string_view name) const {
    int i = IndexOf(name);
    return i < 0 ? nullptr : defs_[static_cast<size_t>(i)].get();
}
