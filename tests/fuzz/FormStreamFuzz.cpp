// Fuzz target: stored window descriptions, whole and value by value.
#include "tests/fuzz/Readers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ReadStoredForm({data, size});
    return 0;
}
