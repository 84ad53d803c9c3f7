// Writing a file so that it is either replaced whole or left as it was.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

// Writes the content to a temporary file in the target's folder and renames it
// over the target once it is complete. On failure the target is untouched, the
// temporary file is removed and error holds "<file>: <reason>".
bool WriteFileAtomically(const std::string& fileName, const std::function<void(std::ostream&)>& write,
                         std::string& error);
