#include "dialogs/TQorDialog.h"

#include "base/AnsiString.h"
#include "base/FormatSettings.h"
#include "base/QtText.h"
#include "base/Utf8.h"
#include "dialogs/TFrm_DialogInp.h"

namespace {

constexpr size_t kShortString = 255;

std::string Short(const std::string& s) { return std::string(CharSubstr(s, 0, kShortString)); }

// The dialog reads and writes numbers with '.' whatever the process uses.
class DecimalPoint {
public:
    DecimalPoint() : saved_(FormatSettings().DecimalSeparator) { FormatSettings().DecimalSeparator = '.'; }
    ~DecimalPoint() { FormatSettings().DecimalSeparator = saved_; }
    DecimalPoint(const DecimalPoint&) = delete;
    DecimalPoint& operator=(const DecimalPoint&) = delete;

private:
    char saved_;
};

}  // namespace

void TQorDialog::Clear() {
    params_.clear();
    ++generation_;
}

TDialogParam& TQorDialog::Append(const std::string& name, const std::string& prompt, int typ, const Variant& value,
                                 const std::string& sqlList, const std::string& sqlShow) {
    TDialogParam p;
    p.VarName = name.empty() ? "VAL" + std::to_string(params_.size()) : Short(name);
    p.VarPrompt = Short(prompt);
    p.Typ = typ;
    p.Value = value;
    p.SqlList = sqlList;
    p.SqlShow = sqlShow;
    if (typ == dkCList || typ == dkRList) p.Items = value.ToString();
    params_.push_back(std::move(p));
    ++generation_;
    return params_.back();
}

void TQorDialog::Add(const std::string& name, const std::string& prompt, int typ, const Variant& value,
                     const std::string& sqlList, const std::string& sqlShow) {
    Append(name, prompt, typ, value, sqlList, sqlShow);
}

void TQorDialog::AddS(const std::string& name, const std::string& prompt, const std::string& sqlList,
                      const std::string& sqlShow, bool view, const std::string& value) {
    Append(name, prompt, dkString, Variant(value), sqlList, sqlShow).View = view;
}

void TQorDialog::AddP(const std::string& name, const std::string& prompt, const std::string& sqlList,
                      const std::string& sqlShow, bool view, const std::string& value) {
    Append(name, prompt, dkPassword, Variant(value), sqlList, sqlShow).View = view;
}

void TQorDialog::AddD(const std::string& name, const std::string& prompt, const std::string& sqlList,
                      const std::string& sqlShow, bool view, TDateTime value) {
    Append(name, prompt, dkDate, Variant::FromDate(value), sqlList, sqlShow).View = view;
}

void TQorDialog::AddI(const std::string& name, const std::string& prompt, const std::string& sqlList,
                      const std::string& sqlShow, bool view, int32_t value) {
    Append(name, prompt, dkInteger, Variant(value), sqlList, sqlShow).View = view;
}

void TQorDialog::AddC(const std::string& name, const std::string& prompt, const std::string& sqlList,
                      const std::string& sqlShow, bool view, Currency value) {
    Append(name, prompt, dkCurrency, Variant(value), sqlList, sqlShow).View = view;
}

void TQorDialog::AddB(const std::string& name, const std::string& prompt, const std::string& sqlList,
                      const std::string& sqlShow, bool view, bool value) {
    Append(name, prompt, dkBoolean, Variant(value), sqlList, sqlShow).View = view;
}

void TQorDialog::AddDir(const std::string& name, const std::string& prompt, const std::string& sqlList,
                        const std::string& sqlShow, bool view, const std::string& value) {
    Append(name, prompt, dkDir, Variant(value), sqlList, sqlShow).View = view;
}

void TQorDialog::AddFile(const std::string& name, const std::string& prompt, const std::string& sqlList,
                         const std::string& sqlShow, bool view, const std::string& value) {
    Append(name, prompt, dkFile, Variant(value), sqlList, sqlShow).View = view;
}

void TQorDialog::AddMemo(const std::string& name, const std::string& prompt, const std::string& sqlList,
                         const std::string& sqlShow, bool view, const std::string& value) {
    Append(name, prompt, dkMemo, Variant(value), sqlList, sqlShow).View = view;
}

void TQorDialog::AddCList(const std::string& name, const std::string& prompt, const std::string& sqlList,
                          const std::string& sqlShow, bool view, const std::string& items) {
    Append(name, prompt, dkCList, Variant(items), sqlList, sqlShow).View = view;
}

void TQorDialog::AddRList(const std::string& name, const std::string& prompt, const std::string& sqlList,
                          const std::string& sqlShow, bool view, const std::string& items) {
    Append(name, prompt, dkRList, Variant(items), sqlList, sqlShow).View = view;
}

void TQorDialog::SetView(const std::string& name, bool flag) {
    for (auto& p : params_) {
        if (!AnsiSameText(p.VarName, name)) continue;
        if (!p.WinCtrl) p.View = flag;
        return;
    }
}

Variant TQorDialog::Get(const std::string& name) const {
    for (const auto& p : params_)
        if (AnsiSameText(p.VarName, name)) return p.Value;
    return Variant::Null();
}

bool TQorDialog::Execute(const std::string& caption, QWidget* parent) {
    DecimalPoint point;
    const unsigned generation = generation_;
    TFrm_DialogInp form(*this, params_, parent);
    if (!caption.empty()) form.setWindowTitle(AnsiToQString(caption));
    for (size_t i = 0; i < params_.size(); ++i) params_[i].WinCtrl = form.Entry(static_cast<int>(i));
    const bool confirmed = form.exec() == QDialog::Accepted;
    for (auto& p : params_) p.WinCtrl = nullptr;
    // An event handler that changed the list took the records away from
    // this form: nothing to write back.
    if (confirmed && generation == generation_) {
        for (size_t i = 0; i < params_.size(); ++i) {
            TDialogParam& p = params_[i];
            p.Value = form.Results()[i];
            // Shown again, a check list keeps its items and the last choice.
            if (p.Typ == dkCList || p.Typ == dkRList) p.SqlList = p.Value.ToString();
        }
    }
    return confirmed;
}
