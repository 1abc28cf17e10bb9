// Fuzz target: bitmap data blocks, plain and compressed.
#include "tests/fuzz/Readers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::DecodeImageData({data, size});
    return 0;
}
