#pragma once
// Text facts that only the running system knows: the ANSI code page's lead bytes and the program's own folder.
#include <string>
#include <string_view>

namespace velmira {

// A lead byte of the ANSI code page (code page 932 on a Japanese system), in the form the pure text
// functions take as their predicate.
bool IsLeadByte(unsigned char c);

// The directory part of the executable's full path, up to and including its last backslash.
std::string ExecutableDirectory();

// Code page 932 text as UTF-16, for the system's interfaces that take only wide strings (tooltips asking in
// Unicode, accessibility).
std::wstring WideText(std::string_view text);
// And back: a character that code page 932 lacks becomes the system's stand-in for it.
std::string NarrowText(std::wstring_view text);

}  // namespace velmira
