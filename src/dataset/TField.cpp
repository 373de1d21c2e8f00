#include "TField.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "FormatFloat.h"
#include "TDataSet.h"
#include "base/AnsiString.h"
#include "base/Exception.h"
#include "base/FormatSettings.h"
#include "base/NumberText.h"

namespace {

std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

// Reads a date, a time or both: numbers separated by anything else, the date
// in the short date format's order unless it starts with a four-digit year.
bool ParseDateTimeText(std::string_view text, TFieldType kind, TDateTime& out) {
    int nums[7];
    int lens[7];
    int count = 0;
    for (size_t i = 0; i < text.size();) {
        if (text[i] >= '0' && text[i] <= '9') {
            if (count == 7) return false;
            int v = 0, n = 0;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                if (n < 9) v = v * 10 + (text[i] - '0');
                ++n;
                ++i;
            }
            nums[count] = v;
            lens[count] = n;
            ++count;
        } else {
            ++i;
        }
    }
    int next = 0;
    TDateTime date = 0;
    if (kind != ftTime) {
        if (count < 3) return false;
        int y, m, d;
        if (lens[0] == 4) {
            y = nums[0], m = nums[1], d = nums[2];
        } else {
            const std::string& f = FormatSettings().ShortDateFormat;
            size_t py = f.find_first_of("yY"), pm = f.find_first_of("mM"), pd = f.find_first_of("dD");
            if (py == std::string::npos || pm == std::string::npos || pd == std::string::npos) {
                py = 2, pm = 1, pd = 0;
            }
            auto rank = [&](size_t p) { return (p > py) + (p > pm) + (p > pd); };
            y = nums[rank(py)], m = nums[rank(pm)], d = nums[rank(pd)];
            if (lens[rank(py)] <= 2) y += y < 50 ? 2000 : 1900;
        }
        if (!TryEncodeDate(y, m, d, date)) return false;
        next = 3;
    }
    int parts[4] = {0, 0, 0, 0};
    int timeCount = count - next;
    if (kind == ftTime && timeCount < 2) return false;
    if (timeCount == 1 || timeCount > 4) return false;
    for (int i = 0; i < timeCount; ++i) parts[i] = nums[next + i];
    TDateTime time = 0;
    if (timeCount > 0 && !TryEncodeTime(parts[0], parts[1], parts[2], parts[3], time)) return false;
    out = date >= 0 ? date + time : date - time;
    return true;
}

int64_t RoundHalfEven(double v, int64_t lo, int64_t hi, const TField& f) {
    double r = std::nearbyint(v);
    if (!(r >= static_cast<double>(lo) && r <= static_cast<double>(hi)))
        throw EDatabaseError(FloatToStr(v) + " is not a valid value for field '" + f.DisplayName() +
                             "'. The allowed range is " + IntToStr(lo) + " to " + IntToStr(hi));
    return static_cast<int64_t>(r);
}

}  // namespace

// ---- TField ----

TField::TField(TFieldType type, int size) : dataType_(type), size_(size), valueBuffer_(16) {}

void TField::SetSize(int v) { size_ = v; }

int TField::DataSize() const { return 0; }

int TField::Index() const { return dataSet_ ? dataSet_->Fields().IndexOf(this) : -1; }

bool TField::CanModify() const {
    return !readOnly_ && fieldKind_ != TFieldKind::fkCalculated && dataSet_ && dataSet_->CanModify();
}

bool TField::GetData(void* buffer) const {
    if (!dataSet_) throw EDatabaseError("Field '" + DisplayName() + "' has no dataset");
    return dataSet_->GetFieldData(const_cast<TField*>(this), buffer);
}

void TField::SetData(const void* buffer) {
    if (!dataSet_) throw EDatabaseError("Field '" + DisplayName() + "' has no dataset");
    dataSet_->WriteFieldData(this, buffer);
}

bool TField::IsNull() const { return !GetData(nullptr); }
void TField::Clear() { SetData(nullptr); }

void TField::AccessError(const char* typeName) const {
    throw EDatabaseError("Cannot access field '" + DisplayName() + "' as type " + typeName);
}

void TField::CheckCanWrite() const {
    if (!dataSet_) throw EDatabaseError("Field '" + DisplayName() + "' has no dataset");
    dataSet_->CheckFieldWrite(this);
}

char* TField::ValueBuffer() const {
    size_t need = static_cast<size_t>(std::max(DataSize(), 0)) + 1;
    if (valueBuffer_.size() < need) valueBuffer_.resize(need);
    return valueBuffer_.data();
}

std::string TField::GetText(bool) const { return std::string(); }
std::string TField::AsString() const { return GetText(false); }
void TField::SetAsString(std::string_view) { AccessError("String"); }
int32_t TField::AsInteger() const { AccessError("Integer"); }
void TField::SetAsInteger(int32_t) { AccessError("Integer"); }
int64_t TField::AsLargeInt() const { return AsInteger(); }
void TField::SetAsLargeInt(int64_t) { AccessError("Largeint"); }
double TField::AsFloat() const { AccessError("Float"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
Currency TField::AsCurrency() const { return Currency::FromDouble(AsFloat()); }
void TField::SetAsCurrency(Currency v) { SetAsFloat(v.ToDouble()); }
TDateTime TField::AsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }
bool TField::AsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }
Variant TField::Value() const { AccessError("Variant"); }
void TField::SetVariantValue(const Variant& v) { SetAsString(v.ToString()); }

void TField::SetValue(const Variant& v) {
    if (v.IsEmptyOrNull()) Clear();
    else SetVariantValue(v);
}

Variant TField::OldValue() const {
    if (!dataSet_) return Variant::Null();
    TDataSetState old = dataSet_->SetTempState(dsOldValue);
    try {
        Variant v = IsNull() ? Variant::Null() : Value();
        dataSet_->RestoreState(old);
        return v;
    } catch (...) {
        dataSet_->RestoreState(old);
        throw;
    }
}

// ---- TStringField ----

TStringField::TStringField(int size, TFieldType type) : TField(type, size) {}

int TStringField::DataSize() const {
    // A declared size near the integer limit must not wrap around.
    return static_cast<int>(
        std::min<int64_t>(int64_t{kMaxUtf8Bytes} * std::max(Size(), 0) + 1, std::numeric_limits<int>::max() - 1));
}

bool TStringField::ReadText(std::string& text) const {
    if (!DataSet()) GetData(nullptr);  // raises: no data set
    return DataSet()->GetFieldText(const_cast<TStringField*>(this), text);
}

std::string TStringField::GetText(bool) const {
    std::string text;
    ReadText(text);
    return text;
}

std::string TStringField::AsString() const { return GetText(false); }

void TStringField::SetAsString(std::string_view v) {
    // Size() counts characters; a cut never splits one. The text takes its
    // own length, however large the declared size.
    const std::string_view text = v.substr(0, CharOffset(v, static_cast<size_t>(std::max(Size(), 0))));
    if (!DataSet()) SetData(nullptr);  // raises: no data set
    DataSet()->WriteFieldText(this, text);
}

int32_t TStringField::AsInteger() const {
    std::string s = AsString();
    return s.empty() ? 0 : StrToInt(s);
}
void TStringField::SetAsInteger(int32_t v) { SetAsString(IntToStr(v)); }
int64_t TStringField::AsLargeInt() const {
    std::string s = AsString();
    return s.empty() ? 0 : StrToInt64(s);
}
void TStringField::SetAsLargeInt(int64_t v) { SetAsString(IntToStr(v)); }
double TStringField::AsFloat() const {
    std::string s = AsString();
    return s.empty() ? 0.0 : StrToFloat(s);
}
void TStringField::SetAsFloat(double v) { SetAsString(FloatToStr(v)); }

TDateTime TStringField::AsDateTime() const {
    std::string s = AsString();
    if (s.empty()) return 0;
    TDateTime dt;
    if (!ParseDateTimeText(s, ftDateTime, dt) && !ParseDateTimeText(s, ftTime, dt))
        throw EConvertError(Quoted(s) + " is not a valid date and time");
    return dt;
}
void TStringField::SetAsDateTime(TDateTime v) { SetAsString(DateTimeToStr(v)); }

bool TStringField::AsBoolean() const {
    std::string s = AsString();
    return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}
void TStringField::SetAsBoolean(bool v) { SetAsString(v ? "T" : "F"); }

Variant TStringField::Value() const {
    std::string text;
    if (!ReadText(text)) return Variant::Null();
    return Variant(std::move(text));
}

// ---- Integer kinds ----

TIntegerField::TIntegerField(TFieldType type) : TField(type, 0) {
    SetAlignment(TAlignment::taRightJustify);
    switch (type) {
        case ftSmallint: minValue_ = -32768, maxValue_ = 32767; break;
        case ftWord: minValue_ = 0, maxValue_ = 65535; break;
        case ftLargeint:
            minValue_ = std::numeric_limits<int64_t>::min();
            maxValue_ = std::numeric_limits<int64_t>::max();
            break;
        default:
            minValue_ = std::numeric_limits<int32_t>::min();
            maxValue_ = std::numeric_limits<int32_t>::max();
    }
}

TSmallintField::TSmallintField() : TIntegerField(ftSmallint) {}
TWordField::TWordField() : TIntegerField(ftWord) {}
TLargeintField::TLargeintField() : TIntegerField(ftLargeint) {}

void TIntegerField::CheckRange(int64_t v) const {
    if (v < minValue_ || v > maxValue_)
        throw EDatabaseError(IntToStr(v) + " is not a valid value for field '" + DisplayName() +
                             "'. The allowed range is " + IntToStr(minValue_) + " to " +
                             IntToStr(maxValue_));
}

int32_t TIntegerField::AsInteger() const {
    int32_t v;
    return GetData(&v) ? v : 0;
}
int64_t TIntegerField::AsLargeInt() const { return AsInteger(); }
void TIntegerField::SetAsInteger(int32_t v) { SetAsLargeInt(v); }
void TIntegerField::SetAsLargeInt(int64_t v) {
    CheckRange(v);
    int32_t n = static_cast<int32_t>(v);
    SetData(&n);
}
void TIntegerField::SetAsFloat(double v) { SetAsLargeInt(RoundHalfEven(v, minValue_, maxValue_, *this)); }

void TIntegerField::SetAsString(std::string_view v) {
    if (v.empty()) {
        Clear();
        return;
    }
    int64_t n;
    if (!TryStrToInt64(v, n))
        throw EDatabaseError(Quoted(v) + " is not a valid integer value for field '" + DisplayName() + "'");
    SetAsLargeInt(n);
}

std::string TIntegerField::GetText(bool displayText) const {
    int64_t v;
    if (DataSize() == 8) {
        if (!GetData(&v)) return std::string();
    } else {
        int32_t n;
        if (!GetData(&n)) return std::string();
        v = n;
    }
    if (displayText && !DisplayFormat().empty()) return FormatFloat(DisplayFormat(), static_cast<double>(v));
    return IntToStr(v);
}

Variant TIntegerField::Value() const {
    int32_t v;
    return GetData(&v) ? Variant(v) : Variant::Null();
}

int32_t TLargeintField::AsInteger() const {
    int64_t v = AsLargeInt();
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
        throw EDatabaseError("Value " + IntToStr(v) + " of field '" + DisplayName() +
                             "' does not fit in type Integer");
    return static_cast<int32_t>(v);
}
int64_t TLargeintField::AsLargeInt() const {
    int64_t v;
    return GetData(&v) ? v : 0;
}
void TLargeintField::SetAsLargeInt(int64_t v) { SetData(&v); }
Variant TLargeintField::Value() const {
    int64_t v;
    return GetData(&v) ? Variant(v) : Variant::Null();
}

// ---- TBooleanField ----

TBooleanField::TBooleanField() : TField(ftBoolean, 0) {}

bool TBooleanField::AsBoolean() const {
    int16_t v;
    return GetData(&v) && v != 0;
}

void TBooleanField::SetAsBoolean(bool v) {
    int16_t n = v ? 1 : 0;
    SetData(&n);
}

void TBooleanField::SetAsString(std::string_view v) {
    if (v.empty()) {
        Clear();
        return;
    }
    if (v.size() <= textTrue_.size() && AnsiSameText(std::string_view(textTrue_).substr(0, v.size()), v))
        SetAsBoolean(true);
    else if (v.size() <= textFalse_.size() &&
             AnsiSameText(std::string_view(textFalse_).substr(0, v.size()), v))
        SetAsBoolean(false);
    else
        throw EDatabaseError(Quoted(v) + " is not a valid boolean value for field '" + DisplayName() + "'");
}

std::string TBooleanField::GetText(bool) const {
    int16_t v;
    if (!GetData(&v)) return std::string();
    return v != 0 ? textTrue_ : textFalse_;
}

Variant TBooleanField::Value() const {
    int16_t v;
    return GetData(&v) ? Variant(v != 0) : Variant::Null();
}

void TBooleanField::SetDisplayValues(std::string v) {
    displayValues_ = std::move(v);
    size_t semi = displayValues_.find(';');
    textTrue_ = displayValues_.substr(0, semi);
    textFalse_ = semi == std::string::npos ? std::string() : displayValues_.substr(semi + 1);
}

// ---- Float kinds ----

TFloatField::TFloatField(TFieldType type) : TField(type, 0) { SetAlignment(TAlignment::taRightJustify); }

TCurrencyField::TCurrencyField() : TFloatField(ftCurrency) { currency_ = true; }
TBCDField::TBCDField() : TFloatField(ftBCD) { SetSize(4); }

double TFloatField::AsFloat() const {
    double v;
    return GetData(&v) ? v : 0.0;
}

void TFloatField::SetAsFloat(double v) { SetData(&v); }

int32_t TFloatField::AsInteger() const {
    return static_cast<int32_t>(RoundHalfEven(AsFloat(), std::numeric_limits<int32_t>::min(),
                                              std::numeric_limits<int32_t>::max(), *this));
}

int64_t TFloatField::AsLargeInt() const {
    // The largest doubles below 2^63 still convert.
    return RoundHalfEven(AsFloat(), -9223372036854774784LL, 9223372036854774784LL, *this);
}

void TFloatField::SetAsString(std::string_view v) {
    if (v.empty()) {
        Clear();
        return;
    }
    double d;
    if (!TryStrToFloat(v, d))
        throw EDatabaseError(Quoted(v) + " is not a valid floating point value for field '" +
                             DisplayName() + "'");
    SetAsFloat(d);
}

std::string TFloatField::GetText(bool displayText) const {
    double v;
    if (!GetData(&v)) return std::string();
    if (displayText && !DisplayFormat().empty()) return FormatFloat(DisplayFormat(), v);
    if (displayText && currency_) {
        std::string s = FormatFloat("#,##0.00", v);
        const std::string& cs = FormatSettings().CurrencyString;
        return cs.empty() ? s : s + " " + cs;
    }
    if (precision_ > 0 && precision_ < 15 && std::isfinite(v)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*e", precision_ - 1, v);
        v = std::strtod(buf, nullptr);
    }
    return FloatToStr(v);
}

Variant TFloatField::Value() const {
    double v;
    return GetData(&v) ? Variant(v) : Variant::Null();
}

Variant TCurrencyField::Value() const {
    double v;
    return GetData(&v) ? Variant(Currency::FromDouble(v)) : Variant::Null();
}

Variant TBCDField::Value() const {
    double v;
    return GetData(&v) ? Variant(Currency::FromDouble(v)) : Variant::Null();
}

// ---- Date and time kinds ----

TDateTimeField::TDateTimeField(TFieldType type) : TField(type, 0) {}
TDateField::TDateField() : TDateTimeField(ftDate) {}
TTimeField::TTimeField() : TDateTimeField(ftTime) {}

int TDateTimeField::DataSize() const { return DataType() == ftDateTime ? 8 : 4; }

TDateTime TDateTimeField::AsDateTime() const {
    if (DataType() == ftDateTime) {
        double v;
        return GetData(&v) ? NativeDateTimeToDateTime(v) : 0;
    }
    int32_t n;
    if (!GetData(&n)) return 0;
    return DataType() == ftDate ? NativeDateToDateTime(n) : NativeTimeToDateTime(n);
}

void TDateTimeField::SetAsDateTime(TDateTime v) {
    if (DataType() == ftDateTime) {
        double d = DateTimeToNativeDateTime(v);
        SetData(&d);
        return;
    }
    int32_t n = DataType() == ftDate ? DateTimeToNativeDate(v) : DateTimeToNativeTime(v);
    SetData(&n);
}

void TDateTimeField::SetAsString(std::string_view v) {
    if (v.empty()) {
        Clear();
        return;
    }
    TDateTime dt;
    bool ok = ParseDateTimeText(v, DataType(), dt) ||
              (DataType() == ftDateTime && ParseDateTimeText(v, ftTime, dt));
    if (!ok) {
        const char* what = DataType() == ftDate ? "date" : DataType() == ftTime ? "time" : "date and time";
        throw EConvertError(Quoted(v) + " is not a valid " + what);
    }
    SetAsDateTime(dt);
}

std::string TDateTimeField::GetText(bool displayText) const {
    if (IsNull()) return std::string();
    TDateTime dt = AsDateTime();
    if (displayText && !DisplayFormat().empty()) return FormatDateTime(DisplayFormat(), dt);
    switch (DataType()) {
        case ftDate: return FormatDateTime(FormatSettings().ShortDateFormat, dt);
        case ftTime: return FormatDateTime(FormatSettings().LongTimeFormat, dt);
        default: return DateTimeToStr(dt);
    }
}

Variant TDateTimeField::Value() const {
    if (IsNull()) return Variant::Null();
    return Variant::FromDate(AsDateTime());
}

// ---- Blob kinds ----

TBlobField::TBlobField(TFieldType type) : TField(type, 0) {}
TMemoField::TMemoField(TFieldType type) : TBlobField(type) {}
TGraphicField::TGraphicField() : TBlobField(ftGraphic) {}

std::string TBlobField::AsString() const {
    if (!DataSet()) return std::string();
    std::unique_ptr<TStream> s = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
    return s ? s->DataString() : std::string();
}

void TBlobField::SetAsString(std::string_view v) {
    CheckCanWrite();
    {
        std::unique_ptr<TStream> s = DataSet()->CreateBlobStream(this, bmWrite);
        if (!s) AccessError("Blob");
        s->WriteString(v);
    }  // the data set takes the bytes when its stream goes
    modified_ = true;
    DataSet()->DataEvent(TDataEvent::deFieldChange, this);
}

void TBlobField::Clear() { SetAsString(std::string_view()); }

Variant TBlobField::Value() const {
    if (IsNull()) return Variant::Null();
    return Variant(AsString());
}

int64_t TBlobField::BlobSize() const {
    if (!DataSet()) return 0;
    std::unique_ptr<TStream> s = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
    return s ? s->Size() : 0;
}

void TBlobField::LoadFromStream(TStream& source) {
    CheckCanWrite();
    {
        std::unique_ptr<TStream> s = DataSet()->CreateBlobStream(this, bmWrite);
        if (!s) AccessError("Blob");
        s->CopyFrom(source, 0);
    }
    modified_ = true;
    DataSet()->DataEvent(TDataEvent::deFieldChange, this);
}

void TBlobField::SaveToStream(TStream& dest) const {
    if (!DataSet()) return;
    std::unique_ptr<TStream> s = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
    if (s && s->Size() > 0) dest.CopyFrom(*s, 0);
}

std::string TBlobField::GetText(bool displayText) const {
    if (!displayText) return AsString();
    std::string name = std::string("(") + FieldTypeName(DataType()) + ")";
    return IsNull() ? name : AnsiUpperCase(name);
}
