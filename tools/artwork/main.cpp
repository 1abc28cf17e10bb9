// Writes the command pictures and the program icon into a directory.
#include "tools/artwork/Artwork.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: artwork OUTDIR\n";
        return 2;
    }
    try {
        const std::filesystem::path dir = argv[1];
        std::filesystem::create_directories(dir);
        for (const artwork::OutputFile& file : artwork::renderAll()) {
            const std::filesystem::path path = dir / file.name;
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(file.bytes.data()),
                      static_cast<std::streamsize>(file.bytes.size()));
            out.close();
            if (!out)
                throw std::runtime_error("cannot write " + path.string());
        }
    } catch (const std::exception& e) {
        std::cerr << "artwork: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
