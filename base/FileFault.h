#pragma once
#include <string>
#include <string_view>

namespace Tarn {

// The line that closes the report of a command that failed on a file, after
// the faults themselves, and says which file and what is wrong with it:
// "Scene file 'Nope.xml': no such file". The kind is "Scene", "Robot",
// "Network" or "Log"; the file is named as the user named it.
std::string FileFaultLine(std::string_view kind, std::string_view fileName, std::string_view words);

// A system error number as such a line gives it: "no such file", "is a
// folder", otherwise the system's own text with a small first letter
// ("permission denied").
std::string SystemErrorWords(int error);

} // namespace Tarn
