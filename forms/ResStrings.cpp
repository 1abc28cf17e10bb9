#include "forms/ResStrings.h"

#include <map>

namespace forms {

namespace {

const ResStringDefault kFormStrings[] = {
    {"SMsgDlgConfirm", "Confirm"},
    {"SMsgDlgYes", "&Yes"},
    {"SMsgDlgNo", "&No"},
    {"SMsgDlgOK", "OK"},
    {"SNoTimers", "Not enough timers available"},
    {"SInvalidPropertyValue", "Invalid property value"},
    {"SUnknownProperty", "Property %s does not exist"},
    {"SClassNotFound", "Class %s not found"},
    {"SInvalidReference", "Component %s not found"},
    {"SMethodNotFound", "Method %s not found"},
    {"SDuplicateName", "A component named %s already exists"},
    {"SReadError", "Error reading %s: %s"},
    {"SFormResourceNotFound", "Resource %s not found"},
    {"SOutOfResources", "Out of system resources"},
    {"SCannotFocus", "Cannot focus a disabled or invisible window"},
    {"SInvalidImageSize", "Invalid image size"},
    {"SImageListCreateFail", "Cannot create the image list"},
    {"SImageIndexError", "Invalid ImageList Index"},
    {"SImageReadFail", "Failed to read ImageList data from stream"},
    {"SImageWriteFail", "Failed to write ImageList data to stream"},
};

std::map<std::string, std::string, std::less<>>& Repository() {
    static std::map<std::string, std::string, std::less<>> texts = [] {
        std::map<std::string, std::string, std::less<>> m;
        for (const auto& s : kFormStrings) m.emplace(s.id, s.text);
        return m;
    }();
    return texts;
}

}  // namespace

const std::string& ResString(std::string_view id) {
    auto& repo = Repository();
    auto it = repo.find(id);
    if (it == repo.end()) it = repo.emplace(std::string(id), std::string(id)).first;
    return it->second;
}

bool ReplaceResString(std::string_view id, std::string text) {
    auto& repo = Repository();
    auto it = repo.find(id);
    if (it == repo.end()) return false;
    it->second = std::move(text);
    return true;
}

void RegisterResStrings(const ResStringDefault* first, const ResStringDefault* last) {
    auto& repo = Repository();
    for (; first != last; ++first) repo.emplace(first->id, first->text);
}

}  // namespace forms

namespace forms {

std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && arg != args.end()) {
            // Messages end as C strings: a NUL from damaged data would cut
            // the rest off.
            for (char c : *arg++) out += c == '\0' ? '?' : c;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace forms
