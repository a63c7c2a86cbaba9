#pragma once
// Text facts that only the running system knows: the ANSI code page's lead bytes and the program's own folder.
#include <string>

namespace velmira {

// A lead byte of the ANSI code page (code page 932 on a Japanese system), in the form the pure text
// functions take as their predicate.
bool IsLeadByte(unsigned char c);

// The directory part of the executable's full path, up to and including its last backslash.
std::string ExecutableDirectory();

}  // namespace velmira
