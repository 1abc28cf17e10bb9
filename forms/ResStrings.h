// Texts the program shows, looked up by identifier so that a program can
// replace them (for a translation, say) before they are first used.
#pragma once

#include <string>
#include <initializer_list>
#include <string_view>

namespace forms {

// Returns the current text of a resource string; an unknown identifier is a
// programming error and yields the identifier itself, so it shows up.
const std::string& ResString(std::string_view id);

// Replaces the text of a known resource string; false for an unknown one.
bool ReplaceResString(std::string_view id, std::string text);

// Adds a module's texts to the repository. Existing identifiers keep their
// (possibly replaced) text.
struct ResStringDefault {
    const char* id;
    const char* text;
};
void RegisterResStrings(const ResStringDefault* first, const ResStringDefault* last);

template <std::size_t N>
void RegisterResStrings(const ResStringDefault (&table)[N]) {
    RegisterResStrings(table, table + N);
}

}  // namespace forms

namespace forms {

// Replaces each "%s" of a resource text, in order, with the next argument;
// a NUL in an argument shows as "?".
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace forms
