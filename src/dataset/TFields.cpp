#include "TFields.h"

#include <algorithm>

#include "base/AnsiString.h"
#include "base/Exception.h"

TField* TFields::Add(std::unique_ptr<TField> field) {
    field->SetDataSetInternal(dataSet_);
    fields_.push_back(std::move(field));
    return fields_.back().get();
}

void TFields::Remove(TField* field) {
    fields_.erase(std::remove_if(fields_.begin(), fields_.end(),
                                 [field](const auto& f) { return f.get() == field; }),
                  fields_.end());
}

TField* TFields::FindField(std::string_view name) const {
    for (const auto& f : fields_)
        if (AnsiSameText(f->FieldName(), name)) return f.get();
    return nullptr;
}

TField* TFields::FieldByName(std::string_view name) const {
    TField* f = FindField(name);
    if (!f) throw EDatabaseError("Field '" + std::string(name) + "' not found");
    return f;
}

TField* TFields::FieldByNumber(int fieldNo) const {
    for (const auto& f : fields_)
        if (f->FieldNo() == fieldNo) return f.get();
    return nullptr;
}

int TFields::IndexOf(const TField* field) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].get() == field) return static_cast<int>(i);
    return -1;
}
