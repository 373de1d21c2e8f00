#pragma once
// String lists with the classic class library's contract: an abstract list
// of lines, each with an untyped object slot, and a vector-backed list that
// can keep itself sorted without letter case.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Exception.h"

class TStrings {
public:
    virtual ~TStrings() = default;

    int Count() const { return GetCount(); }
    std::string operator[](int i) const { return Get(i); }
    std::string Strings(int i) const { return Get(i); }
    void SetStrings(int i, std::string_view s) { Put(i, s); }
    void* Objects(int i) const { return GetObject(i); }
    void SetObjects(int i, void* o) { PutObject(i, o); }

    // Appends through Insert(Count, s); returns the new line's index.
    virtual int Add(std::string_view s);
    int AddObject(std::string_view s, void* o);
    void Append(std::string_view s) { Add(s); }
    void AddStrings(const TStrings& other);
    // Replaces the whole content by a copy of other's lines and objects.
    virtual void Assign(const TStrings& other);

    // Lines joined with CR LF, each line followed by one.
    virtual std::string Text() const { return GetTextStr(); }
    // Splits on CR LF, LF or CR; a final break does not add an empty line.
    void SetText(std::string_view s) { SetTextStr(s); }

    virtual int IndexOf(std::string_view s) const;
    int IndexOfObject(const void* o) const;

    // Nested brackets; only the outermost ones reach SetUpdateState.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    virtual std::string Get(int i) const = 0;
    virtual void Put(int i, std::string_view s);
    virtual int GetCount() const = 0;
    virtual void* GetObject(int i) const;
    virtual void PutObject(int i, void* o);
    virtual void Insert(int i, std::string_view s) = 0;
    virtual void Delete(int i) = 0;
    virtual void Clear() = 0;

protected:
    virtual std::string GetTextStr() const;
    virtual void SetTextStr(std::string_view s);
    virtual void SetUpdateState(bool /*updating*/) {}

private:
    int updateCount_ = 0;
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

// Raised by TStringList for bad indexes, duplicates and editing a sorted list
// by position.
class EStringListError : public Exception {
public:
    using Exception::Exception;
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    TStringList(const TStringList& other) : TStrings() { Assign(other); }
    TStringList& operator=(const TStringList& other) {
        if (this != &other) Assign(other);
        return *this;
    }

    bool Sorted() const { return sorted_; }
    void SetSorted(bool v);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates d) { duplicates_ = d; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool v);

    int Add(std::string_view s) override;
    // Binary search of a sorted list: true and the index when found, else
    // false and the index where s would be inserted. Unsorted lists are
    // searched linearly and give Count when s is absent.
    bool Find(std::string_view s, int& index) const;
    int IndexOf(std::string_view s) const override;
    void Sort();
    // Compares with the list's rule: ANSI letter case ignored unless
    // CaseSensitive.
    int CompareStrings(std::string_view a, std::string_view b) const;

    std::string Get(int i) const override;
    void Put(int i, std::string_view s) override;
    int GetCount() const override { return static_cast<int>(items_.size()); }
    void* GetObject(int i) const override;
    void PutObject(int i, void* o) override;
    void Insert(int i, std::string_view s) override;
    void Delete(int i) override;
    void Clear() override;

    // Fired after every change unless the list is inside BeginUpdate; the
    // outermost EndUpdate fires it once.
    std::function<void()> OnChange;

protected:
    void SetUpdateState(bool updating) override;

private:
    struct Item {
        std::string text;
        void* object = nullptr;
    };
    void CheckIndex(int i, int limit) const;
    void Changed();
    void InsertItem(int i, std::string_view s, void* o);

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = TDuplicates::dupIgnore;
    bool changedWhileUpdating_ = false;
};
