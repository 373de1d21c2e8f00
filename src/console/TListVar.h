#pragma once
// Named variant values: the console's variables and the list-of-values
// results. Names compare without letter case, so "abc" and "ABC" are one
// variable.
#include <memory>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "base/Variant.h"

class TVariant {
public:
    TVariant() = default;
    explicit TVariant(Variant value) : value_(std::move(value)) {}
    virtual ~TVariant() = default;

    const Variant& Value() const { return value_; }
    void SetValue(const Variant& value) { value_ = value; }

private:
    Variant value_;
};

class TNameVar : public TVariant {
public:
    TNameVar(std::string name, Variant value) : TVariant(std::move(value)), name_(std::move(name)) {}

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

private:
    std::string name_;
};

// Kept sorted by name (AnsiCompareText); owns its items.
class TListVar {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    // Binary search; when absent, index is where the name would be inserted.
    bool Find(std::string_view name, int& index) const;
    // Replaces the value of an existing name (its spelling stays), else inserts.
    void Set(std::string_view name, const Variant& value);
    // The Empty variant when the name is absent.
    Variant Get(std::string_view name) const;
    // Out of range: the Empty variant, the empty name, nothing deleted.
    Variant ValueAt(int index) const;
    std::string NameAt(int index) const;  // upper case
    void DeleteAt(int index);
    void Clear() { items_.clear(); }
    // nullptr when out of range.
    const TNameVar* Item(int index) const;

private:
    std::vector<std::unique_ptr<TNameVar>> items_;
};
