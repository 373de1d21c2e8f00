#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TFieldType.h"

class TDataSet;
class TField;

// Field attribute bits.
enum TFieldAttribute : unsigned {
    faHiddenCol = 1,
    faReadonly = 2,
    faRequired = 4,
    faLink = 8,
    faUnNamed = 16,
    faFixed = 32,
};
using TFieldAttributes = unsigned;

// The description of one column a data set offers: what a field object is
// created from.
class TFieldDef {
public:
    TFieldDef(std::string name, TFieldType type, int size, bool required, int fieldNo);

    const std::string& Name() const { return name_; }
    void SetName(std::string v) { name_ = std::move(v); }
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType v) { dataType_ = v; }
    int Size() const { return size_; }
    void SetSize(int v) { size_ = v; }
    int Precision() const { return precision_; }
    void SetPrecision(int v) { precision_ = v; }
    TFieldAttributes Attributes() const { return attributes_; }
    void SetAttributes(TFieldAttributes v) { attributes_ = v; }
    bool Required() const { return (attributes_ & faRequired) != 0; }
    void SetRequired(bool v) { attributes_ = v ? attributes_ | faRequired : attributes_ & ~faRequired; }
    bool InternalCalcField() const { return internalCalc_; }
    void SetInternalCalcField(bool v) { internalCalc_ = v; }
    // 1-based position among the data set's columns.
    int FieldNo() const { return fieldNo_; }
    void SetFieldNo(int v) { fieldNo_ = v; }

    // A new default field object of the class that fits the type, named and
    // sized after this definition, added to the data set's fields. Raises
    // EDatabaseError "Field 'X' is of an unknown type" for ftUnknown.
    TField* CreateField(TDataSet& dataSet) const;

private:
    std::string name_;
    TFieldType dataType_;
    int size_;
    int precision_ = 0;
    TFieldAttributes attributes_ = 0;
    bool internalCalc_ = false;
    int fieldNo_;
};

// The ordered column descriptions of a data set.
class TFieldDefs {
public:
    // Appends a definition whose FieldNo is its 1-based position.
    TFieldDef& Add(std::string name, TFieldType type, int size = 0, bool required = false);
    void Clear() { defs_.clear(); }
    int Count() const { return static_cast<int>(defs_.size()); }
    TFieldDef& operator[](int index) { return *defs_.at(static_cast<size_t>(index)); }
    const TFieldDef& operator[](int index) const { return *defs_.at(static_cast<size_t>(index)); }
    // Names compare without letter case.
    int IndexOf(std::string_view name) const;
    TFieldDef* Find(std::string_view name);
    const TFieldDef* Find(std::string_view name) const;

private:
    std::vector<std::unique_ptr<TFieldDef>> defs_;
};
