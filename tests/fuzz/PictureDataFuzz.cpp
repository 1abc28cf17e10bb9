// Fuzz target: stored TBitmap pictures.
#include "tests/fuzz/Readers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::DecodeStoredPicture({data, size});
    return 0;
}
