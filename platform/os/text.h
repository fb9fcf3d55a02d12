// Text helpers: UTF-8 strings inside the program, UTF-16 where formats and limits count it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

// Number of UTF-16 code units `utf8` needs (invalid bytes count as one unit each).
int Utf16Length(std::string_view utf8);
// Decodes UTF-8 strictly into code points: every byte of an invalid, overlong, surrogate or
// cut sequence becomes one U+FFFD.
std::vector<char32_t> DecodeUtf8(std::string_view utf8);
// `utf8` with every invalid byte replaced by U+FFFD (valid text comes back unchanged).
std::string ValidUtf8(std::string_view utf8);
// The case-folded form of `utf8` (FoldCase on every code point): two texts are equal
// case-insensitively exactly when their folded forms are equal.
std::string FoldUtf8(std::string_view utf8);
std::string EncodeUtf8(const std::u32string& codePoints);
void AppendUtf8(std::string* out, char32_t cp);
std::u16string ToUtf16(std::string_view utf8);
std::string FromUtf16(std::u16string_view utf16);
// Byte offsets of each code point's start in `utf8`, plus the total size at the end.
std::vector<size_t> CodePointOffsets(std::string_view utf8);

// Simple case folding for Latin, Greek and Cyrillic letters; locale-independent.
char32_t FoldCase(char32_t cp);
// <0, 0, >0 comparing case-insensitively by folded code points.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);

// printf-style formatting of texts from the string table, type-checked: only %s, %d, %u,
// %x, %%, with optional width and zero padding. Arguments that do not match give "?".
class FormatArg {
  public:
    FormatArg(const std::string& s) : isText_(true), text_(s) {}
    FormatArg(const char* s) : isText_(true), text_(s ? s : "") {}
    FormatArg(int v) : number_(v) {}
    FormatArg(long v) : number_(v) {}
    FormatArg(long long v) : number_(v) {}
    FormatArg(unsigned v) : number_(v) {}
    FormatArg(unsigned long v) : number_(static_cast<long long>(v)) {}
    FormatArg(unsigned long long v) : number_(static_cast<long long>(v)) {}
    bool IsText() const { return isText_; }
    const std::string& Text() const { return text_; }
    long long Number() const { return number_; }

  private:
    bool isText_ = false;
    std::string text_;
    long long number_ = 0;
};
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace plat
