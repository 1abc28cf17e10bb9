// Fuzz target: the system image list's serialised form.
#include "tests/fuzz/Readers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::CheckImageList({data, size});
    return 0;
}
