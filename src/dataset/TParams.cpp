#include "TParams.h"

#include "base/AnsiString.h"
#include "base/Exception.h"

void TParam::Clear() {
    value_ = Variant::Null();
    bound_ = false;
}

void TParam::SetValue(const Variant& v) {
    if (dataType_ == ftUnknown) {
        switch (v.Type()) {
            case VarType::Integer: dataType_ = ftInteger; break;
            case VarType::Int64: dataType_ = ftLargeint; break;
            case VarType::Double: dataType_ = ftFloat; break;
            case VarType::Currency: dataType_ = ftCurrency; break;
            case VarType::Boolean: dataType_ = ftBoolean; break;
            case VarType::String: dataType_ = ftString; break;
            case VarType::Date: dataType_ = ftDateTime; break;
            default: break;
        }
    }
    value_ = v.IsEmpty() ? Variant::Null() : v;
    bound_ = true;
}

void TParam::Assign(Variant v, TFieldType type) {
    dataType_ = type;
    value_ = std::move(v);
    bound_ = true;
}

TParam& TParams::CreateParam(TFieldType type, std::string name, TParamType paramType) {
    params_.push_back(std::make_unique<TParam>(std::move(name), type, paramType));
    return *params_.back();
}

TParam* TParams::FindParam(std::string_view name) {
    for (const auto& p : params_)
        if (AnsiSameText(p->Name(), name)) return p.get();
    return nullptr;
}

TParam& TParams::ParamByName(std::string_view name) {
    TParam* p = FindParam(name);
    if (!p) throw EDatabaseError("Parameter '" + std::string(name) + "' not found");
    return *p;
}

void TParams::SetValueByName(std::string_view name, const Variant& value) {
    bool found = false;
    for (const auto& p : params_)
        if (AnsiSameText(p->Name(), name)) {
            p->SetValue(value);
            found = true;
        }
    if (!found) throw EDatabaseError("Parameter '" + std::string(name) + "' not found");
}

namespace {

bool IsNameChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           u >= 128;
}

}  // namespace

std::string TParams::ParseSQL(std::string_view sql, bool doCreate) {
    if (doCreate) Clear();
    std::string out;
    out.reserve(sql.size());
    size_t i = 0;
    const size_t n = sql.size();
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`') {
            // Quoted text up to the matching quote (a doubled quote stays
            // inside); an unterminated quote runs to the end.
            size_t end = sql.find(c, i + 1);
            end = end == std::string_view::npos ? n : end + 1;
            out.append(sql.substr(i, end - i));
            i = end;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            size_t end = sql.find('\n', i);
            end = end == std::string_view::npos ? n : end + 1;
            out.append(sql.substr(i, end - i));
            i = end;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            size_t end = sql.find("*/", i + 2);
            end = end == std::string_view::npos ? n : end + 2;
            out.append(sql.substr(i, end - i));
            i = end;
        } else if (c == ':' && i + 1 < n && sql[i + 1] == ':') {
            out += ':';
            i += 2;
        } else if (c == ':' && i + 1 < n && IsNameChar(sql[i + 1])) {
            size_t end = i + 1;
            while (end < n && IsNameChar(sql[end])) ++end;
            if (doCreate) CreateParam(ftUnknown, std::string(sql.substr(i + 1, end - i - 1)));
            out += '?';
            i = end;
        } else if (c == ':' && i + 1 < n && sql[i + 1] == '"' &&
                   sql.find('"', i + 2) != std::string_view::npos) {
            size_t close = sql.find('"', i + 2);
            if (doCreate) CreateParam(ftUnknown, std::string(sql.substr(i + 2, close - i - 2)));
            out += '?';
            i = close + 1;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}
