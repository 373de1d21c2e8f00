#pragma once
// The list of values: lets the user pick a row of a query's result in the
// form TQorLovFrm and keeps the chosen row's columns by name. Up to four
// queries ("levels") chain: a level shows once the previous one has a
// choice, and Esc in a level goes back to the previous one.
//
// The component does not know the database. Its owner answers the events:
// it makes the data sets, sets their SQL and parameters and may open them.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Variant.h"
#include "dataset/TComponent.h"
#include "dialogs/TQorLovFrm.h"

class QWidget;
class TDataSet;

class TQorLovS : public TComponent {
public:
    static constexpr int kLevels = 4;
    // Results of Execute.
    static constexpr int kChosen = TQorLovFrm::kChosen;
    static constexpr int kCancelled = TQorLovFrm::kCancelled;
    static constexpr int kEmpty = TQorLovFrm::kEmpty;

    explicit TQorLovS(TComponent* owner = nullptr);
    ~TQorLovS() override;

    // One level: the column to show (a field name, or a field number from 0
    // when the text begins with a digit) and the query.
    using Level = std::pair<std::string, std::string>;

    // Fills the levels from levels in order (the others are emptied), sets
    // every level's SQL through onSetSQL and runs the cascade: kChosen when a
    // row was chosen at every level, kCancelled when the user cancelled the
    // first level, kEmpty when the first list had no rows. Raises when
    // onSetSQL or onGetDataSet is not assigned, and passes on what opening a
    // data set raises (every data set is closed again first).
    int Execute(const std::vector<Level>& levels, const std::string& caption, QWidget* parent = nullptr);

    // The chosen value of a column (names compare without letter case); Null
    // when there is none.
    Variant Value(std::string_view name) const;
    // The value at a place of the name-ordered list; Null when out of range.
    Variant Value(int index) const;
    int ValueCount() const { return static_cast<int>(values_.size()); }
    // The column name at a place of that list; empty when out of range.
    std::string ValueName(int index) const;

    const std::string& SQL(int level) const { return sql_.at(static_cast<size_t>(level)); }
    void SetSQL(int level, std::string text) { sql_.at(static_cast<size_t>(level)) = std::move(text); }
    // Kept in upper case.
    const std::string& SQLShow(int level) const { return show_.at(static_cast<size_t>(level)); }
    void SetSQLShow(int level, std::string_view column);

    // Size and place of the forms (0 = automatic); StorySize (default on):
    // every form starts with the size the last one had.
    int FWidth() const { return place_.width; }
    void SetFWidth(int v) { place_.width = v; }
    int FHeight() const { return place_.height; }
    void SetFHeight(int v) { place_.height = v; }
    int FLeft() const { return place_.left; }
    void SetFLeft(int v) { place_.left = v; }
    int FTop() const { return place_.top; }
    void SetFTop(int v) { place_.top = v; }
    bool StorySize() const { return place_.storySize; }
    void SetStorySize(bool v) { place_.storySize = v; }

    // The data set of a level (nullptr before the first Execute).
    TDataSet* DataSet(int level) const { return dataSets_.at(static_cast<size_t>(level)).get(); }

    // Makes one level's data set; called once per level.
    std::function<std::unique_ptr<TDataSet>()> onGetDataSet;
    // Sets (required) and reads a data set's SQL text.
    std::function<void(TDataSet& dataSet, const std::string& value)> onSetSQL;
    std::function<std::string(TDataSet& dataSet)> onGetSQL;
    // The number of parameters of the data set's SQL.
    std::function<int(TDataSet& dataSet)> onGetParamCount;
    // Sets parameter num (from 0) from the values chosen so far.
    std::function<void(TDataSet& dataSet, int num, const TQorLovS& chosen)> onSetParamNum;
    std::function<void(TDataSet& dataSet, const std::string& name, const Variant& value)> onSetParamName;
    // Opens the data set; when not assigned it is simply opened.
    std::function<bool(TDataSet& dataSet, const TQorLovS& chosen)> onOpenDS;

private:
    void MakeDataSets();
    void OpenLevel(int level);
    // Shows level's list; on kChosen keeps the chosen row's columns.
    int ShowLevel(int level, const std::string& caption, QWidget* parent);
    void StoreRow(TDataSet& dataSet);
    void CloseAll();
    bool Find(std::string_view name, size_t& at) const;

    std::array<std::string, kLevels> sql_;
    std::array<std::string, kLevels> show_;
    std::array<std::unique_ptr<TDataSet>, kLevels> dataSets_;
    // Ordered by name (letter case ignored); later levels overwrite.
    std::vector<std::pair<std::string, Variant>> values_;
    TQorLovFrm::Place place_;
};
