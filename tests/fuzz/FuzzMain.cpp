// A plain driver for a fuzz target, for compilers without libFuzzer: runs
// every corpus file, then random mutations of them, under the sanitizers
// the target was built with. Takes the same kind of arguments:
//
//   fuzz_<reader> [-runs=N] [-seed=S] [-artifact_prefix=P] FILE_OR_DIR...
//
// An input that crashes, trips a sanitizer or throws out of the target is
// written to P + "crash-<run>" before the process ends.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sanitizer/common_interface_defs.h>

#include "tests/fuzz/Mutator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

const fuzz::Bytes* gInput = nullptr;
std::string gArtifact;

void SaveInput() {
    if (!gInput) return;
    std::ofstream out(gArtifact, std::ios::binary);
    out.write(reinterpret_cast<const char*>(gInput->data()), static_cast<std::streamsize>(gInput->size()));
    std::fprintf(stderr, "fuzz: input written to %s\n", gArtifact.c_str());
    gInput = nullptr;
}

void OnTerminate() {
    SaveInput();
    std::abort();
}

void Run(const fuzz::Bytes& input, const std::string& artifact) {
    gInput = &input;
    gArtifact = artifact;
    LLVMFuzzerTestOneInput(input.data(), input.size());
    gInput = nullptr;
}

fuzz::Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return fuzz::Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Option(const std::string& arg, const char* name, std::string& value) {
    if (arg.rfind(name, 0) != 0) return false;
    value = arg.substr(std::char_traits<char>::length(name));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t runs = 10000, seed = 1;
    std::string prefix, value;
    std::vector<fuzz::Bytes> corpus;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (Option(arg, "-runs=", value)) {
            runs = std::strtoull(value.c_str(), nullptr, 10);
        } else if (Option(arg, "-seed=", value)) {
            seed = std::strtoull(value.c_str(), nullptr, 10);
        } else if (Option(arg, "-artifact_prefix=", value)) {
            prefix = value;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "fuzz: unknown option %s\n", arg.c_str());
            return 2;
        } else if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg))
                if (entry.is_regular_file()) corpus.push_back(ReadFile(entry.path()));
        } else if (std::filesystem::is_regular_file(arg)) {
            corpus.push_back(ReadFile(arg));
        } else {
            std::fprintf(stderr, "fuzz: no such file or directory: %s\n", arg.c_str());
            return 2;
        }
    }
    // Directory order differs between machines; the cases should not.
    std::sort(corpus.begin(), corpus.end());
    if (corpus.empty()) corpus.emplace_back();

    std::set_terminate(OnTerminate);
    __sanitizer_set_death_callback(SaveInput);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < corpus.size(); ++i) Run(corpus[i], prefix + "crash-corpus-" + std::to_string(i));
    fuzz::Rng rng(seed);
    fuzz::Bytes last;
    for (std::uint64_t run = 0; run < runs; ++run) {
        // Now and then the last case is damaged further, to reach deeper.
        fuzz::Bytes input = run > 0 && rng.Below(4) == 0 ? last : corpus[rng.Below(corpus.size())];
        fuzz::Mutate(input, rng, {}, 6);
        Run(input, prefix + "crash-" + std::to_string(run));
        last = std::move(input);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("fuzz: %zu corpus inputs and %llu mutations in %.2f s, no failure\n", corpus.size(),
                static_cast<unsigned long long>(runs), seconds);
    return 0;
}
