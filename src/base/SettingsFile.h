#pragma once
// The text form of one settings file (one registry root), kept apart from
// the file system so that it can be tested and fuzzed on bytes alone.
//
//   # comment
//   [Software\\QorTabulon]
//   Prompt=s:SQL:\x20
//   Page=i:0
//
// A "[key]" line opens a key; "name=s:text" is a string value, "name=i:n" a
// 32-bit integer. Escapes: \\ \n \r \t and \xHH; a backslash before any other
// character stands for itself. Names escape '=' and a leading blank, '[',
// '#' or ';'; a string escapes a trailing blank, so editors cannot eat it.
// Key and value names compare without ANSI letter case and keep the spelling
// they were first written with. Lines that cannot be read are skipped.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class SettingsFile {
public:
    struct Value {
        std::string name;
        bool isInteger = false;
        std::string text;
        int32_t number = 0;
    };

    // Replaces the content by what the bytes hold; never fails.
    void Parse(std::string_view bytes);
    std::string Serialize() const;
    void Clear();

    const Value* Find(std::string_view key, std::string_view name) const;
    // Whatever the stored type: an integer reads as its decimal text, a
    // string as an integer when its trimmed text is one.
    bool GetString(std::string_view key, std::string_view name, std::string& out) const;
    bool GetInteger(std::string_view key, std::string_view name, int32_t& out) const;
    // Return false when the value already held exactly this.
    bool SetString(std::string_view key, std::string_view name, std::string_view text);
    bool SetInteger(std::string_view key, std::string_view name, int32_t n);

    size_t KeyCount() const { return keys_.size(); }

private:
    struct Key {
        std::string name;
        std::vector<Value> values;
        std::unordered_map<std::string, size_t> index;  // folded name -> values
    };
    Key& KeyFor(std::string_view key);
    Value& ValueFor(Key& k, std::string_view name);

    std::vector<Key> keys_;
    std::unordered_map<std::string, size_t> keyIndex_;  // folded name -> keys_
};
