// Writes the fuzzer's corpus seeds into the folder given as the first argument: the smallest and
// a full description file of every version 0 to 15, and the full one with only Russian blocks.
#include <filesystem>
#include <iostream>
#include <string>

#include "support/desc_file_samples.h"
#include "support/desc_file_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: desc_seeds <folder>\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    bool ok = true;
    auto write = [&](const std::string& name, const DescFileContent& content) {
        ok = WriteBytesToFile(folder / name, WriteDescFile(content)) && ok;
    };
    for (uint32_t v = 0; v <= 15; ++v) {
        DescFileContent smallest;
        smallest.Version = v;
        write("seed-smallest-v" + std::to_string(v), smallest);
        write("seed-full-v" + std::to_string(v), FullDescContent(v));
    }
    DescFileContent russianOnly = FullDescContent(15);
    russianOnly.ChannelEntries[0].Blocks.erase(russianOnly.ChannelEntries[0].Blocks.begin());
    write("seed-russian-only-v15", russianOnly);
    if (!ok) {
        std::cerr << "desc_seeds: cannot write into " << folder << "\n";
        return 1;
    }
    return 0;
}
