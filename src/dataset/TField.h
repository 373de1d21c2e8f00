#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Utf8.h"
#include "TFieldType.h"
#include "TStream.h"
#include "base/Currency.h"
#include "base/Variant.h"

class TDataSet;

enum class TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };
#include "base/TAlignment.h"

// One column of a data set as code sees it: typed access to the value in the
// data set's current record. A field reads and writes through the data set's
// GetFieldData/SetFieldData with the native value of its type (TFieldType.h);
// it keeps one value buffer of its own, so reading a field allocates nothing
// beyond the text a text accessor returns.
//
// Conversions a field class does not support raise EDatabaseError
// "Cannot access field 'X' as type T". Reading a NULL value gives 0, "",
// false or 0.0; Value gives Null.
class TField {
public:
    TField(TFieldType type, int size);
    virtual ~TField() = default;
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    // Identity and description.
    TDataSet* DataSet() const { return dataSet_; }
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(std::string v) { fieldName_ = std::move(v); }
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    void SetSize(int v);
    int FieldNo() const { return fieldNo_; }
    int Index() const;  // position in the data set's Fields, -1 when none
    TFieldKind FieldKind() const { return fieldKind_; }
    void SetFieldKind(TFieldKind v) { fieldKind_ = v; }
    // Bytes of the native value (TFieldType.h); 0 for blob kinds.
    virtual int DataSize() const;

    const std::string& DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(std::string v) { displayLabel_ = std::move(v); }
    const std::string& DisplayName() const { return DisplayLabel(); }
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(std::string v) { displayFormat_ = std::move(v); }
    const std::string& EditFormat() const { return editFormat_; }
    void SetEditFormat(std::string v) { editFormat_ = std::move(v); }
    int DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : DefaultDisplayWidth(); }
    void SetDisplayWidth(int v) { displayWidth_ = v; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v) { alignment_ = v; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool Required() const { return required_; }
    void SetRequired(bool v) { required_ = v; }
    intptr_t Tag() const { return tag_; }
    void SetTag(intptr_t v) { tag_ = v; }
    // Not read-only, and the data set can be modified.
    bool CanModify() const;

    // Value access.
    virtual bool IsNull() const;
    virtual void Clear();
    virtual std::string AsString() const;
    virtual void SetAsString(std::string_view v);
    virtual int32_t AsInteger() const;
    virtual void SetAsInteger(int32_t v);
    virtual int64_t AsLargeInt() const;
    virtual void SetAsLargeInt(int64_t v);
    virtual double AsFloat() const;
    virtual void SetAsFloat(double v);
    virtual Currency AsCurrency() const;
    virtual void SetAsCurrency(Currency v);
    virtual TDateTime AsDateTime() const;
    virtual void SetAsDateTime(TDateTime v);
    virtual bool AsBoolean() const;
    virtual void SetAsBoolean(bool v);
    virtual Variant Value() const;
    void SetValue(const Variant& v);  // Null or Empty clears
    // The value as shown (DisplayFormat applied) and as edited.
    std::string DisplayText() const { return GetText(true); }
    std::string Text() const { return GetText(false); }
    void SetText(std::string_view v) { SetAsString(v); }
    // The value when the current edit began (the data set's dsOldValue view).
    Variant OldValue() const;

    // Raw native access: false when the value is NULL. `buffer` must hold
    // DataSize() bytes; nullptr only asks whether there is a value.
    bool GetData(void* buffer) const;
    // nullptr sets NULL.
    void SetData(const void* buffer);

    std::function<void(TField&)> OnChange;

protected:
    friend class TDataSet;
    friend class TFieldDef;
    friend class TFields;

    virtual std::string GetText(bool displayText) const;
    virtual void SetVariantValue(const Variant& v);
    virtual int DefaultDisplayWidth() const { return 10; }
    // Throws "Cannot access field 'X' as type T".
    [[noreturn]] void AccessError(const char* typeName) const;
    // Edit or insert state, and a writable field; raises otherwise.
    void CheckCanWrite() const;
    // Called after a post or cancel; blob fields forget their modified mark.
    virtual void FreeBuffers() {}
    void SetDataSetInternal(TDataSet* ds) { dataSet_ = ds; }
    void SetFieldNo(int v) { fieldNo_ = v; }
    void SetDataType(TFieldType t) { dataType_ = t; }

    // The field's own native value buffer (at least 16 bytes).
    char* ValueBuffer() const;

private:
    TDataSet* dataSet_ = nullptr;
    std::string fieldName_;
    TFieldType dataType_;
    int size_;
    int fieldNo_ = 0;
    TFieldKind fieldKind_ = TFieldKind::fkData;
    std::string displayLabel_;
    std::string displayFormat_;
    std::string editFormat_;
    int displayWidth_ = 0;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool visible_ = true;
    bool readOnly_ = false;
    bool required_ = false;
    intptr_t tag_ = 0;
    mutable std::vector<char> valueBuffer_;
};

class TStringField : public TField {
public:
    explicit TStringField(int size = 20, TFieldType type = ftString);
    // Size() characters of UTF-8 and the closing zero.
    int DataSize() const override;
    std::string AsString() const override;
    void SetAsString(std::string_view v) override;
    int32_t AsInteger() const override;
    void SetAsInteger(int32_t v) override;
    int64_t AsLargeInt() const override;
    void SetAsLargeInt(int64_t v) override;
    double AsFloat() const override;
    void SetAsFloat(double v) override;
    TDateTime AsDateTime() const override;
    void SetAsDateTime(TDateTime v) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool v) override;
    Variant Value() const override;

protected:
    std::string GetText(bool displayText) const override;
    int DefaultDisplayWidth() const override { return Size(); }

private:
    // The data set's text of this field; false for NULL.
    bool ReadText(std::string& text) const;
};

// Integer kinds share one implementation; the descendants differ in type,
// range and native size.
class TIntegerField : public TField {
public:
    TIntegerField() : TIntegerField(ftInteger) {}
    int DataSize() const override { return 4; }
    std::string AsString() const override { return GetText(false); }
    void SetAsString(std::string_view v) override;
    int32_t AsInteger() const override;
    void SetAsInteger(int32_t v) override;
    int64_t AsLargeInt() const override;
    void SetAsLargeInt(int64_t v) override;
    double AsFloat() const override { return static_cast<double>(AsLargeInt()); }
    void SetAsFloat(double v) override;
    Variant Value() const override;
    int64_t MinValue() const { return minValue_; }
    int64_t MaxValue() const { return maxValue_; }

protected:
    TIntegerField(TFieldType type);
    std::string GetText(bool displayText) const override;
    void SetVariantValue(const Variant& v) override { SetAsLargeInt(v.ToInt64()); }
    int DefaultDisplayWidth() const override { return 11; }
    // Raises "N is not a valid value for field 'X'. The allowed range is ...".
    void CheckRange(int64_t v) const;
    int64_t minValue_;
    int64_t maxValue_;
};

class TSmallintField : public TIntegerField {
public:
    TSmallintField();
};

class TWordField : public TIntegerField {
public:
    TWordField();
};

class TLargeintField : public TIntegerField {
public:
    TLargeintField();
    int DataSize() const override { return 8; }
    int32_t AsInteger() const override;
    int64_t AsLargeInt() const override;
    void SetAsLargeInt(int64_t v) override;
    Variant Value() const override;

protected:
    int DefaultDisplayWidth() const override { return 15; }
};

class TBooleanField : public TField {
public:
    TBooleanField();
    int DataSize() const override { return 2; }
    bool AsBoolean() const override;
    void SetAsBoolean(bool v) override;
    std::string AsString() const override { return GetText(false); }
    // Accepts any leading part of the true or false text, letter case ignored;
    // "" clears.
    void SetAsString(std::string_view v) override;
    int32_t AsInteger() const override { return AsBoolean() ? 1 : 0; }
    void SetAsInteger(int32_t v) override { SetAsBoolean(v != 0); }
    Variant Value() const override;
    // "True;False" by default.
    const std::string& DisplayValues() const { return displayValues_; }
    void SetDisplayValues(std::string v);

protected:
    std::string GetText(bool displayText) const override;
    void SetVariantValue(const Variant& v) override { SetAsBoolean(v.ToBool()); }
    int DefaultDisplayWidth() const override { return 5; }

private:
    std::string displayValues_ = "True;False";
    std::string textTrue_ = "True";
    std::string textFalse_ = "False";
};

class TFloatField : public TField {
public:
    TFloatField() : TFloatField(ftFloat) {}
    int DataSize() const override { return 8; }
    double AsFloat() const override;
    void SetAsFloat(double v) override;
    int32_t AsInteger() const override;
    void SetAsInteger(int32_t v) override { SetAsFloat(v); }
    int64_t AsLargeInt() const override;
    void SetAsLargeInt(int64_t v) override { SetAsFloat(static_cast<double>(v)); }
    Currency AsCurrency() const override { return Currency::FromDouble(AsFloat()); }
    void SetAsCurrency(Currency v) override { SetAsFloat(v.ToDouble()); }
    std::string AsString() const override { return GetText(false); }
    void SetAsString(std::string_view v) override;
    Variant Value() const override;
    // Significant digits of the plain text (15 by default).
    int Precision() const { return precision_; }
    void SetPrecision(int v) { precision_ = v; }
    bool IsCurrency() const { return currency_; }
    void SetCurrency(bool v) { currency_ = v; }

protected:
    TFloatField(TFieldType type);
    std::string GetText(bool displayText) const override;
    void SetVariantValue(const Variant& v) override { SetAsFloat(v.ToDouble()); }
    int DefaultDisplayWidth() const override { return 10; }
    int precision_ = 15;
    bool currency_ = false;
};

class TCurrencyField : public TFloatField {
public:
    TCurrencyField();
    Variant Value() const override;

protected:
    void SetVariantValue(const Variant& v) override { SetAsCurrency(v.ToCurrency()); }
};

class TBCDField : public TFloatField {
public:
    TBCDField();
    Variant Value() const override;

protected:
    void SetVariantValue(const Variant& v) override { SetAsCurrency(v.ToCurrency()); }
};

// Date, time and date-time fields; the type decides the native value and
// the default text (short date, long time, or both).
class TDateTimeField : public TField {
public:
    TDateTimeField() : TDateTimeField(ftDateTime) {}
    int DataSize() const override;
    TDateTime AsDateTime() const override;
    void SetAsDateTime(TDateTime v) override;
    double AsFloat() const override { return AsDateTime(); }
    void SetAsFloat(double v) override { SetAsDateTime(v); }
    std::string AsString() const override { return GetText(false); }
    // Reads the text as a date, time or both in the process formats, or as
    // "yyyy-mm-dd[ hh:nn[:ss]]"; "" clears.
    void SetAsString(std::string_view v) override;
    Variant Value() const override;

protected:
    TDateTimeField(TFieldType type);
    std::string GetText(bool displayText) const override;
    void SetVariantValue(const Variant& v) override { SetAsDateTime(v.ToDateTime()); }
    int DefaultDisplayWidth() const override { return 18; }
};

class TDateField : public TDateTimeField {
public:
    TDateField();

protected:
    int DefaultDisplayWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
public:
    TTimeField();

protected:
    int DefaultDisplayWidth() const override { return 10; }
};

// Blob kinds: the value is a byte string read and written through the data
// set's CreateBlobStream.
class TBlobField : public TField {
public:
    TBlobField() : TBlobField(ftBlob) {}
    int DataSize() const override { return 0; }
    void Clear() override;
    std::string AsString() const override;
    void SetAsString(std::string_view v) override;
    Variant Value() const override;
    int64_t BlobSize() const;
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& dest) const;
    // Set by the data set's blob stream when it wrote into this field;
    // forgotten after each post or cancel.
    bool Modified() const { return modified_; }
    void SetModified(bool v) { modified_ = v; }

protected:
    TBlobField(TFieldType type);
    std::string GetText(bool displayText) const override;
    void SetVariantValue(const Variant& v) override { SetAsString(v.ToString()); }
    void FreeBuffers() override { modified_ = false; }

private:
    bool modified_ = false;
};

class TMemoField : public TBlobField {
public:
    explicit TMemoField(TFieldType type = ftMemo);
};

class TGraphicField : public TBlobField {
public:
    TGraphicField();
};
