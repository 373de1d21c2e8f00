#pragma once
// Collects named, typed parameters and asks the user for their values in
// one generated modal form (TFrm_DialogInp): a prompt on the left and an
// entry control on the right for each. The console answers the look-up
// events; plug-ins fill and run it through Clear, Add..., SetView, Execute
// and Get.
#include <functional>
#include <string>
#include <vector>

#include "base/Currency.h"
#include "base/DateTime.h"
#include "base/Variant.h"

class QWidget;

// Kind codes of the entries.
enum TDialogKind : int {
    dkString = 1,    // S: free text
    dkCurrency = 2,  // C
    dkInteger = 3,   // I
    dkDate = 4,      // D
    dkBoolean = 5,   // B: yes/no
    dkDir = 6,       // a folder, F2 browses
    dkFile = 7,      // a file, F2 opens a file dialog
    dkFileAlso = 8,  // built like dkFile; no operation adds it
    dkPassword = 9,  // P
    dkMemo = 10,     // multi-line text
    dkCList = 11,    // check list, several items checked
    dkRList = 12,    // check list, one item checked
};

struct TDialogParam {
    std::string VarName;    // at most 255 characters
    std::string VarPrompt;  // at most 255 characters; also the entry's hint
    int Typ = dkString;
    Variant Value;          // initial value; after a confirmed dialog, the one entered
    bool View = false;      // display only
    QWidget* WinCtrl = nullptr;  // the entry control while Execute runs
    std::string SqlList;    // list-of-values query; for check lists the letters checked initially
    std::string SqlShow;    // display query, '$' standing for the value
    // Check lists: the items, comma-separated, as added (Value holds the
    // checked letters once the dialog was confirmed).
    std::string Items;
};

class TQorDialog {
public:
    // Placement of the edit rows: 0 left (x 290), 1 right-aligned, 2 centred.
    int Alignment() const { return alignment_; }
    void SetAlignment(int a) { alignment_ = a < 0 || a > 2 ? 1 : a; }

    void Clear();
    // Appends a record (View off). An empty name becomes "VAL" followed by
    // the number of records already there.
    void Add(const std::string& name, const std::string& prompt, int typ, const Variant& value,
             const std::string& sqlList = {}, const std::string& sqlShow = {});
    // The same with plain values, View applied to the record just added.
    void AddS(const std::string& name, const std::string& prompt, const std::string& sqlList,
              const std::string& sqlShow, bool view, const std::string& value);
    void AddP(const std::string& name, const std::string& prompt, const std::string& sqlList,
              const std::string& sqlShow, bool view, const std::string& value);
    void AddD(const std::string& name, const std::string& prompt, const std::string& sqlList,
              const std::string& sqlShow, bool view, TDateTime value);
    void AddI(const std::string& name, const std::string& prompt, const std::string& sqlList,
              const std::string& sqlShow, bool view, int32_t value);
    void AddC(const std::string& name, const std::string& prompt, const std::string& sqlList,
              const std::string& sqlShow, bool view, Currency value);
    void AddB(const std::string& name, const std::string& prompt, const std::string& sqlList,
              const std::string& sqlShow, bool view, bool value);
    void AddDir(const std::string& name, const std::string& prompt, const std::string& sqlList,
                const std::string& sqlShow, bool view, const std::string& value);
    void AddFile(const std::string& name, const std::string& prompt, const std::string& sqlList,
                 const std::string& sqlShow, bool view, const std::string& value);
    void AddMemo(const std::string& name, const std::string& prompt, const std::string& sqlList,
                 const std::string& sqlShow, bool view, const std::string& value);
    // items: comma-separated; sqlList: the letters (A, B, ...) of the items
    // checked initially.
    void AddCList(const std::string& name, const std::string& prompt, const std::string& sqlList,
                  const std::string& sqlShow, bool view, const std::string& items);
    void AddRList(const std::string& name, const std::string& prompt, const std::string& sqlList,
                  const std::string& sqlShow, bool view, const std::string& items);

    // Sets View of the record named so (any letter case) while the form is
    // not built; an unknown name does nothing.
    void SetView(const std::string& name, bool flag);
    // The value of the record named so (any letter case); Null when none.
    Variant Get(const std::string& name) const;
    const std::vector<TDialogParam>& Params() const { return params_; }

    // Builds and shows the form (captioned "Введите" when caption is empty);
    // true when the user confirmed, the records then holding the values
    // entered. Cancelled, the values stay as they were.
    bool Execute(const std::string& caption, QWidget* parent = nullptr);

    // F2 in an entry whose SqlList is not a SELECT.
    std::function<void(const std::string& varName, const std::string& varPrompt, int typ, bool view,
                       const std::string& sqlShow, const std::string& sqlList, QWidget* winCtrl, Variant& value)>
        OnHotKey;
    // A display query turned into the text to show.
    std::function<std::string(const std::string& sql)> OnLookSql;
    // A list of values for a query; true and the choice in value when the
    // user chose a row.
    std::function<bool(const std::string& sql, Variant& value)> OnLovSql;
    // The focus left an S, D, Dir or File entry; what it leaves in value is
    // kept.
    std::function<void(const std::string& varName, const std::string& varPrompt, int typ, bool view,
                       const std::string& sqlShow, const std::string& sqlList, QWidget* winCtrl, Variant& value)>
        OnExitFld;

    // Replaceable for tests; unset, Qt's own boxes and file dialogs.
    std::function<void(QWidget* parent, const std::string& caption, const std::string& text)> ShowMessage;
    // Folder browser starting at start; true and the folder in chosen.
    std::function<bool(QWidget* parent, const std::string& title, const std::string& start, std::string& chosen)>
        ChooseFolder;
    // File-open dialog in dir with name preselected; filter in Qt's form.
    std::function<bool(QWidget* parent, const std::string& title, const std::string& dir, const std::string& name,
                       const std::string& filter, std::string& chosen)>
        ChooseFile;
    std::function<void()> Beep;

private:
    TDialogParam& Append(const std::string& name, const std::string& prompt, int typ, const Variant& value,
                         const std::string& sqlList, const std::string& sqlShow);

    std::vector<TDialogParam> params_;
    int alignment_ = 1;
    // Bumped by every change of the list: a list changed from an event
    // handler while the form runs gets no values written back.
    unsigned generation_ = 0;
};
