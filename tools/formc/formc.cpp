// formc: compiles a readable window description (.dfm) into the binary
// encoding stored in the program's resources, or prints a binary one back.
//
//   formc INPUT.dfm OUTPUT.bin [-I DIR]... [--depfile FILE]
//   formc --dump INPUT.bin
#include "forms/FormStream.h"
#include "tools/formc/TextForm.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A fault that is not tied to a line: "FILE: message".
struct FileError {
    std::string file;
    std::string message;
};

std::string ReadFile(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) throw FileError{path, "cannot open: " + ec.message()};
    std::string data(static_cast<std::size_t>(size), '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    if (!in || in.gcount() != static_cast<std::streamsize>(data.size())) throw FileError{path, "cannot read"};
    return data;
}

// Writes beside the target and renames, so a failed run never leaves a
// partial file where the build expects a good one.
void WriteFileAtomically(const std::string& path, const std::string& data) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) throw FileError{path, std::string("cannot create: ") + std::strerror(errno)};
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            throw FileError{path, "cannot write"};
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw FileError{path, "cannot replace: " + ec.message()};
    }
}

// Make syntax as Ninja reads it: spaces and '#' escaped, '$' doubled.
std::string DepfilePath(const fs::path& p) {
    std::string out;
    for (char c : p.generic_string()) {
        if (c == ' ' || c == '#') out += '\\';
        if (c == '$') out += '$';
        out += c;
    }
    return out;
}

int Usage() {
    std::cerr << "usage: formc INPUT.dfm OUTPUT.bin [-I DIR]... [--depfile FILE]\n"
                 "       formc --dump INPUT.bin\n";
    return 1;
}

int Compile(const std::string& input, const std::string& output, const std::vector<fs::path>& includeDirs,
            const std::string& depfile) {
    std::vector<fs::path> included;
    const forms::ObjectNode root = formc::ParseTextForm(ReadFile(input), input, includeDirs, &included);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = forms::WriteForm(root);
    } catch (const forms::FormStreamError& e) {
        throw FileError{input, e.what()};
    }
    WriteFileAtomically(output, std::string(bytes.begin(), bytes.end()));
    if (!depfile.empty()) {
        std::string deps = DepfilePath(output) + ": " + DepfilePath(input);
        for (const fs::path& p : included) deps.append(" ").append(DepfilePath(p));
        WriteFileAtomically(depfile, deps + "\n");
    }
    return 0;
}

int Dump(const std::string& input) {
    const std::string data = ReadFile(input);
    forms::ObjectNode root;
    try {
        root = forms::ReadForm(std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
    } catch (const forms::FormStreamError& e) {
        throw FileError{input, e.what()};
    }
    std::cout << formc::PrintTextForm(root);
    std::cout.flush();
    if (!std::cout) throw FileError{"<stdout>", "cannot write"};
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && args[0] == "--dump") {
            if (args.size() != 2) return Usage();
            return Dump(args[1]);
        }
        std::vector<std::string> files;
        std::vector<fs::path> includeDirs;
        std::string depfile;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "-I" || a == "--depfile") {
                if (++i == args.size()) return Usage();
                if (a == "-I") includeDirs.emplace_back(args[i]);
                else depfile = args[i];
            } else if (a.rfind("-I", 0) == 0) {
                includeDirs.emplace_back(a.substr(2));
            } else if (!a.empty() && a[0] == '-') {
                return Usage();
            } else {
                files.push_back(a);
            }
        }
        if (files.size() != 2) return Usage();
        return Compile(files[0], files[1], includeDirs, depfile);
    } catch (const formc::TextFormError& e) {
        std::cerr << e.what() << '\n';
    } catch (const FileError& e) {
        std::cerr << e.file << ": " << e.message << '\n';
    } catch (const std::exception& e) {
        std::cerr << "formc: " << e.what() << '\n';
    }
    return 1;
}
