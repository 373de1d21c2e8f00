#include "sqlite/TQorSQLite3Query.h"

#include "base/AnsiString.h"
#include "base/FormatSettings.h"
#include "dataset/TDataSource.h"
#include "dataset/TField.h"

TQorSQLite3Query::TQorSQLite3Query(TComponent* owner) : TQorSQLite3BaseQuery(owner) {
    sql_.OnChange = [this] { SQLChanged(); };
}

TQorSQLite3Query::~TQorSQLite3Query() {
    sql_.OnChange = nullptr;
    Close();
}

void TQorSQLite3Query::SetSQL(const TStrings& lines) {
    Close();
    SetExecFlag(false);
    sql_.Assign(lines);
}

void TQorSQLite3Query::SetRawSQL(bool v) {
    if (v == rawSQL_) return;
    rawSQL_ = v;
    SQLChanged();
}

void TQorSQLite3Query::SQLChanged() {
    SetExecFlag(false);
    Close();
    if (rawSQL_) {
        prepared_ = sql_.Text();
    } else {
        Params().Clear();
        prepared_ = Params().ParseSQL(sql_.Text(), true);
    }
}

std::string TQorSQLite3Query::SubstituteParams(const std::string& text) const {
    auto& params = const_cast<TQorSQLite3Query*>(this)->Params();
    std::string out;
    out.reserve(text.size() + 16 * static_cast<size_t>(params.Count()));
    int next = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const char c = text[i];
        // Quoted text and comments are copied whole, as the parameter parser
        // skipped them: a question mark there is text, not a placeholder.
        size_t end = i;
        if (c == '\'' || c == '"' || c == '`') {
            end = text.find(c, i + 1);
            end = end == std::string::npos ? n : end + 1;
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            end = text.find('\n', i);
            end = end == std::string::npos ? n : end + 1;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            end = text.find("*/", i + 2);
            end = end == std::string::npos ? n : end + 2;
        }
        if (end > i) {
            out.append(text, i, end - i);
            i = end;
            continue;
        }
        ++i;
        if (c != '?' || next >= params.Count()) {
            out.push_back(c);
            continue;
        }
        const TParam& p = params[next++];
        if (p.DataType() == ftBlob || p.DataType() == ftGraphic) {
            out.push_back('\x02');
            continue;
        }
        std::string value;
        switch (p.DataType()) {
            case ftDate: {
                const std::string& fmt = SQLiteDateFormat()         ? std::string("yyyy-mm-dd")
                                         : !TableDateFormat().empty() ? TableDateFormat()
                                                                      : FormatSettings().ShortDateFormat;
                value = p.IsNull() ? std::string() : FormatDateTime(fmt, p.AsDateTime());
                break;
            }
            case ftTime: value = p.IsNull() ? std::string() : FormatDateTime("hh:nn:ss", p.AsDateTime()); break;
            case ftDateTime:
                value = p.IsNull() ? std::string() : FormatDateTime("yyyy-mm-dd hh:nn:ss", p.AsDateTime());
                break;
            default: value = p.AsString();
        }
        if (value.empty() && p.Bound()) {
            out += "NULL";
            continue;
        }
        out.push_back('\'');
        for (char v : value) {
            if (v == '\'') out.push_back('\'');
            out.push_back(v);
        }
        out.push_back('\'');
    }
    return out;
}

void TQorSQLite3Query::InternalOpen() {
    if (Trim(sql_.Text()).empty()) throw SLError("no query specified");
    if (MaxResults() == 0 && StartResult() != 0) SetMaxResults(-1);
    std::string text = prepared_;
    if (Filtered() && !Filter().empty()) text = "select * from (" + text + ") where " + Filter();
    if (!Params().IsEmpty()) text = SubstituteParams(text);
    if (MaxResults() != 0) text += " limit " + std::to_string(MaxResults());
    if (StartResult() != 0) text += " offset " + std::to_string(StartResult());
    SetStatement(std::move(text));
    TQorSQLite3BaseQuery::InternalOpen();
}

void TQorSQLite3Query::InternalClose() {
    SetStatement(std::string());
    TQorSQLite3BaseQuery::InternalClose();
}

void TQorSQLite3Query::MasterChanged() {
    TDataSource* source = MasterSource();
    TDataSet* master = source ? source->DataSet() : nullptr;
    const bool wasOpen = Active();
    Close();
    SetFilterText(std::string());
    SetFiltered(false);
    std::string filter;
    const std::string& pairs = MasterFields();
    size_t start = 0;
    while (start <= pairs.size()) {
        size_t end = pairs.find(';', start);
        if (end == std::string::npos) end = pairs.size();
        const std::string pair = Trim(std::string_view(pairs).substr(start, end - start));
        start = end + 1;
        if (pair.empty()) continue;
        const size_t eq = pair.find('=');
        if (eq == std::string::npos) throw SLError("Syntax error: Masterfields not build of a=b;... pairs");
        const std::string detailName = pair.substr(0, eq);
        const std::string masterName = pair.substr(eq + 1, 99);
        std::string value;
        if (master)
            if (TField* f = master->FindField(Trim(masterName))) value = f->AsString();
        if (!filter.empty()) filter += " and ";
        filter += detailName + "='" + ReplaceAll(value, "'", "''") + "'";
    }
    SetFilterText(filter);
    if (wasOpen && !filter.empty()) {
        SetFiltered(true);
        Open();
    }
}
