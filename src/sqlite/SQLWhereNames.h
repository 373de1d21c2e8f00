#pragma once
#include <string>
#include <string_view>
#include <vector>

// The parameter names of a key condition ("Rowid=:Rowid"), upper-cased, each
// once, in the order they first appear: the k-th name is the condition's
// k-th parameter. A ':' inside a quoted string or a comment starts nothing.
// A name continues while characters are '#', '$', digits, letters, '_' or
// bytes 128 to 255 (so a name in any script is read whole).
//
// The engine tells parameter names apart by letter case (":Rowid" and
// ":rowid" are two); with `normalized` the condition comes back with every
// name written upper-case, so that the engine numbers its parameters exactly
// as this list does.
std::vector<std::string> SQLWhereNames(std::string_view condition, std::string* normalized = nullptr);
