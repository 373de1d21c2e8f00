#include "dialogs/TQorLovS.h"

#include <algorithm>

#include "base/AnsiString.h"
#include "base/Exception.h"
#include "dataset/TDataSet.h"
#include "dataset/TField.h"

TQorLovS::TQorLovS(TComponent* owner) : TComponent(owner) {}

TQorLovS::~TQorLovS() { CloseAll(); }

void TQorLovS::SetSQLShow(int level, std::string_view column) {
    show_.at(static_cast<size_t>(level)) = AnsiUpperCase(column);
}

int TQorLovS::Execute(const std::vector<Level>& levels, const std::string& caption, QWidget* parent) {
    if (!onSetSQL) throw Exception("Define events: onSetSQL on component " + Name());
    for (size_t k = 0; k < kLevels; ++k) {
        const bool given = k < levels.size();
        SetSQLShow(static_cast<int>(k), given ? levels[k].first : std::string());
        SetSQL(static_cast<int>(k), given ? levels[k].second : std::string());
    }
    MakeDataSets();
    CloseAll();
    for (size_t k = 0; k < kLevels; ++k) onSetSQL(*dataSets_[k], sql_[k]);
    values_.clear();
    try {
        int level = 0;
        while (level < kLevels) {
            if (level > 0 && (sql_[static_cast<size_t>(level)].empty() || show_[static_cast<size_t>(level)].empty()))
                break;
            TDataSet& ds = *dataSets_[static_cast<size_t>(level)];
            // A level shown again after Esc in the next one keeps its rows;
            // only the first level is opened anew.
            if (!ds.Active()) OpenLevel(level);
            const int answer = ShowLevel(level, caption, parent);
            if (answer == kChosen) {
                ++level;
                continue;
            }
            if (level == 0) {
                CloseAll();
                return answer;
            }
            ds.Close();
            if (--level == 0) dataSets_[0]->Close();
        }
    } catch (...) {
        CloseAll();
        throw;
    }
    CloseAll();
    return kChosen;
}

void TQorLovS::MakeDataSets() {
    for (auto& ds : dataSets_) {
        if (ds) continue;
        if (!onGetDataSet) throw Exception("Define events: onGetDataSet on component " + Name());
        ds = onGetDataSet();
        if (!ds) throw Exception("onGetDataSet gave no data set on component " + Name());
    }
}

void TQorLovS::OpenLevel(int level) {
    TDataSet& ds = *dataSets_[static_cast<size_t>(level)];
    if (level > 0 && onSetParamNum) {
        const int count = onGetParamCount ? onGetParamCount(ds) : 0;
        for (int num = 0; num < count; ++num) onSetParamNum(ds, num, *this);
    }
    if (onOpenDS)
        onOpenDS(ds, *this);
    else
        ds.Open();
}

int TQorLovS::ShowLevel(int level, const std::string& caption, QWidget* parent) {
    TDataSet& ds = *dataSets_[static_cast<size_t>(level)];
    TQorLovFrm::Place place = place_;
    place.caption = caption;
    const int answer = TQorLovFrm::Choose(ds, show_[static_cast<size_t>(level)], place, parent);
    if (answer == kChosen) StoreRow(ds);
    return answer;
}

void TQorLovS::StoreRow(TDataSet& dataSet) {
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        const TField* f = dataSet.Fields()[i];
        size_t at = 0;
        if (Find(f->FieldName(), at))
            values_[at].second = f->Value();
        else
            values_.insert(values_.begin() + static_cast<std::ptrdiff_t>(at), {f->FieldName(), f->Value()});
    }
}

void TQorLovS::CloseAll() {
    for (auto& ds : dataSets_)
        if (ds) ds->Close();
}

bool TQorLovS::Find(std::string_view name, size_t& at) const {
    const auto it = std::lower_bound(values_.begin(), values_.end(), name, [](const auto& value, std::string_view n) {
        return AnsiCompareText(value.first, n) < 0;
    });
    at = static_cast<size_t>(it - values_.begin());
    return it != values_.end() && AnsiCompareText(it->first, name) == 0;
}

Variant TQorLovS::Value(std::string_view name) const {
    size_t at = 0;
    return Find(name, at) ? values_[at].second : Variant::Null();
}

Variant TQorLovS::Value(int index) const {
    return index >= 0 && index < ValueCount() ? values_[static_cast<size_t>(index)].second : Variant::Null();
}

std::string TQorLovS::ValueName(int index) const {
    return index >= 0 && index < ValueCount() ? values_[static_cast<size_t>(index)].first : std::string();
}
