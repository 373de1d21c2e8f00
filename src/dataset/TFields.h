#pragma once
#include <memory>
#include <string_view>
#include <vector>

#include "TField.h"

// The field objects of one data set, in column order; the data set owns them.
class TFields {
public:
    explicit TFields(TDataSet* dataSet) : dataSet_(dataSet) {}

    int Count() const { return static_cast<int>(fields_.size()); }
    TField* operator[](int index) const { return fields_.at(static_cast<size_t>(index)).get(); }
    TField* Field(int index) const { return (*this)[index]; }
    // Adds a field object and attaches it to the data set.
    TField* Add(std::unique_ptr<TField> field);
    // Destroys the field; pointers to it become invalid.
    void Remove(TField* field);
    void Clear() { fields_.clear(); }
    // Names compare without letter case. FieldByName raises "Field 'X' not
    // found"; the others answer nullptr / -1.
    TField* FindField(std::string_view name) const;
    TField* FieldByName(std::string_view name) const;
    TField* FieldByNumber(int fieldNo) const;
    int IndexOf(const TField* field) const;

    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }

private:
    TDataSet* dataSet_;
    std::vector<std::unique_ptr<TField>> fields_;
};
