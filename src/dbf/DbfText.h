#pragma once
// Text of DBF character fields and field names: one byte per character of
// the file's code page on disk, UTF-8 in the program.
#include <cstddef>
#include <string_view>

class SingleByteCodePage;

// The code page's bytes as UTF-8 in out: as many whole characters as fit in
// outSize bytes (three per byte are always enough); the number of bytes
// written. Allocates nothing: it runs for every field an import reads.
std::size_t DecodeDbfText(const SingleByteCodePage& cp, std::string_view bytes, char* out, std::size_t outSize);

// UTF-8 text as at most maxChars bytes of the code page, one per character,
// into out; the number written. A character the code page lacks becomes
// '?' and is counted in *lost (when given). A byte that is not part of
// well-formed UTF-8 stands for its Windows-1251 character, as it does
// wherever such text is shown.
std::size_t EncodeDbfText(const SingleByteCodePage& cp, std::string_view text, std::size_t maxChars, char* out,
                          std::size_t* lost = nullptr);
