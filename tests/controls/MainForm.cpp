#include "forms/FormReader.h"
#include "tests/controls/PictureTestSupport.h"

namespace controlstest {

const forms::ObjectNode& MainForm() {
    static const forms::ObjectNode main = forms::LoadFormResource("TFRMMAIN");
    return main;
}

}  // namespace controlstest
