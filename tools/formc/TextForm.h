// The readable form of stored window descriptions (the .dfm files in the
// repository): parsing into the tree the codec writes, and printing a tree
// back in the same syntax. Text is taken as plain bytes (code page 1252).
#pragma once

#include "forms/FormStream.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace formc {

// A fault in a readable description; what() is "FILE:LINE: message".
class TextFormError : public std::runtime_error {
public:
    TextFormError(const std::string& file, int line, const std::string& message);
    int Line() const { return line_; }

private:
    int line_;
};

// Parses a whole description. `file` names the text in messages, and its
// directory is searched first for @'path' includes, then `includeDirs` in
// order. If `included` is given, the path of every file read through an
// include is appended to it (for build dependencies).
forms::ObjectNode ParseTextForm(std::string_view text, const std::filesystem::path& file,
                                const std::vector<std::filesystem::path>& includeDirs,
                                std::vector<std::filesystem::path>* included = nullptr);

// Prints a description in canonical layout: two spaces per level, long
// strings split with '+', binary data as 32 bytes of hex per line.
std::string PrintTextForm(const forms::ObjectNode& root);

}  // namespace formc
