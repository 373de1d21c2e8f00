#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TFieldType.h"
#include "base/Variant.h"

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// One statement parameter: a name, a kind and a value. Each typed setter
// also sets the kind; blobs and memos keep their bytes as a string.
class TParam {
public:
    explicit TParam(std::string name = std::string(), TFieldType type = ftUnknown,
                    TParamType paramType = ptInput)
        : name_(std::move(name)), dataType_(type), paramType_(paramType) {}

    const std::string& Name() const { return name_; }
    void SetName(std::string v) { name_ = std::move(v); }
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType v) { dataType_ = v; }
    TParamType ParamType() const { return paramType_; }
    void SetParamType(TParamType v) { paramType_ = v; }
    // A value was assigned (Null included) since creation or Clear.
    bool Bound() const { return bound_; }
    void SetBound(bool v) { bound_ = v; }

    bool IsNull() const { return value_.IsEmptyOrNull(); }
    // Null, unbound; the kind stays.
    void Clear();

    const Variant& Value() const { return value_; }
    // Takes the kind from the value when the parameter has none yet.
    void SetValue(const Variant& v);
    // Text of the value: "" for Null, dates with DateTimeToStr.
    std::string AsString() const { return value_.ToString(); }
    std::string Text() const { return AsString(); }
    void SetAsString(std::string_view v) { Assign(Variant(v), ftString); }
    int32_t AsInteger() const { return IsNull() ? 0 : value_.ToInt32(); }
    void SetAsInteger(int32_t v) { Assign(Variant(v), ftInteger); }
    int64_t AsLargeInt() const { return IsNull() ? 0 : value_.ToInt64(); }
    void SetAsLargeInt(int64_t v) { Assign(Variant(v), ftLargeint); }
    double AsFloat() const { return IsNull() ? 0.0 : value_.ToDouble(); }
    void SetAsFloat(double v) { Assign(Variant(v), ftFloat); }
    Currency AsCurrency() const { return IsNull() ? Currency{} : value_.ToCurrency(); }
    void SetAsCurrency(Currency v) { Assign(Variant(v), ftCurrency); }
    bool AsBoolean() const { return !IsNull() && value_.ToBool(); }
    void SetAsBoolean(bool v) { Assign(Variant(v), ftBoolean); }
    TDateTime AsDateTime() const { return IsNull() ? 0.0 : value_.ToDateTime(); }
    void SetAsDateTime(TDateTime v) { Assign(Variant::FromDate(v), ftDateTime); }
    void SetAsDate(TDateTime v) { Assign(Variant::FromDate(v), ftDate); }
    void SetAsTime(TDateTime v) { Assign(Variant::FromDate(v), ftTime); }
    // Bytes of a blob or memo parameter.
    void SetAsBlob(std::string_view bytes) { Assign(Variant(bytes), ftBlob); }
    void SetAsMemo(std::string_view text) { Assign(Variant(text), ftMemo); }

private:
    void Assign(Variant v, TFieldType type);

    std::string name_;
    TFieldType dataType_;
    TParamType paramType_;
    Variant value_ = Variant::Null();
    bool bound_ = false;
};

// The parameters of a statement, in order of appearance.
class TParams {
public:
    int Count() const { return static_cast<int>(params_.size()); }
    bool IsEmpty() const { return params_.empty(); }
    TParam& operator[](int index) { return *params_.at(static_cast<size_t>(index)); }
    const TParam& operator[](int index) const { return *params_.at(static_cast<size_t>(index)); }
    TParam& Items(int index) { return (*this)[index]; }
    TParam& CreateParam(TFieldType type, std::string name, TParamType paramType = ptInput);
    void Clear() { params_.clear(); }
    // Names compare without letter case; the first of equal names wins.
    TParam* FindParam(std::string_view name);
    // Raises EDatabaseError "Parameter 'X' not found".
    TParam& ParamByName(std::string_view name);
    // Sets every parameter of that name (a name used twice in a statement
    // has one parameter per use).
    void SetValueByName(std::string_view name, const Variant& value);

    // Finds the parameters of an SQL text: ':' followed by a name made of
    // letters, digits, '_' and bytes 128-255, or by a double-quoted name
    // (":"a b""). A colon inside quotes ('...', "...", `...`) or comments
    // (-- to the line end, /* ... */) is text, "::" stands for one ':', and a
    // colon followed by anything else stays as it is. Returns the text with
    // each parameter replaced by '?'; with doCreate the list is cleared and
    // gets one parameter per occurrence, in order.
    std::string ParseSQL(std::string_view sql, bool doCreate);

private:
    std::vector<std::unique_ptr<TParam>> params_;
};
