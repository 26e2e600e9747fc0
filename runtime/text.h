#pragma once
// Character helpers shared by every layer: blank padding, trimming and searching.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace kelm {

// Copies text into dest, cutting it at dest's length or padding it with blanks.
void assignPadded(std::span<char> dest, std::string_view text);

// The text without trailing blanks (and without trailing NULs, which C strings leave behind).
std::string_view trimRight(std::string_view text);

// The text without leading blanks.
std::string_view trimLeft(std::string_view text);

// Position counted from 1 of the last '\' or '/', or 0 when there is none; blank padding ignored.
std::size_t lastSeparatorPosition(std::string_view path);

// Characters 1..p of path, where p is the last separator position: the directory with its separator.
std::string_view directoryPart(std::string_view path);

// Letters compared without regard to case (ASCII only, as the keyword values are).
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// A path or name as a message shows it on one line: control characters (a newline in a
// directory name) written as \n, \r, \t or \xHH.
std::string printable(std::string_view text);
// The same for a name that a message must show even when it is empty: then "".
std::string printableName(std::string_view name);

}  // namespace kelm
