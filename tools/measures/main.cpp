// Writes the game's 448 measure files into the folder given as the only argument.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/MeasureOrder.h"
#include "tools/measures/MeasureComposer.h"
#include "tools/measures/MeasureEncoder.h"
#include "tools/measures/MeasureStyle.h"

int main(int argc, char* argv[]) {
    using namespace zamrit;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    int written = 0;
    for (const std::string& name : AllMeasureFileNames()) {
        // "MN_07_01.dat": part, dice sum, bar of the part.
        const measures::MeasureStyle& style = measures::MeasureStyle::ForPrefix(name.substr(0, 2));
        const int sum = std::stoi(name.substr(3, 2));
        int bar = std::stoi(name.substr(6, 2));
        if (style.prefix == "TR") bar -= 16;  // the trio's bars are named 17-32
        const measures::Measure measure = measures::MeasureComposer(style).Compose(bar, sum);
        const std::string title = name.substr(0, 8);
        if (!measures::MeasureEncoder::Encode(style, measure, title).WriteFile(folder / name)) {
            std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
            return 1;
        }
        ++written;
    }
    std::printf("%d measure files written to %s\n", written, folder.c_str());
    return 0;
}
