#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "tests/controls/PictureTestSupport.h"

namespace controlstest {

const forms::ObjectNode& MainForm() {
    static const forms::ObjectNode main = [] {
        std::ifstream file(QUORVA_MAIN_FORM, std::ios::binary);
        if (!file) throw std::runtime_error("cannot open " QUORVA_MAIN_FORM);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        return forms::ReadForm(bytes);
    }();
    return main;
}

}  // namespace controlstest
