// Writes the game's 448 measure files into the folder given as the only argument.
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/MeasureOrder.h"
#include "tools/measures/MeasureComposer.h"
#include "tools/measures/MeasureEncoder.h"
#include "tools/measures/MeasureStyle.h"

namespace {

// The measures of a bar go to the dice sums from the likeliest outwards (7, 6, 8, 5, ... with
// two dice; 1-6 in order with one), so that the first, most plainly composed measures are
// heard most often.
std::size_t AlternativeOfSum(const zamrit::measures::MeasureStyle& style, int sum) {
    if (style.alternatives == 6) return static_cast<std::size_t>(sum - 1);
    constexpr int kByLikelihood[] = {7, 6, 8, 5, 9, 4, 10, 3, 11, 2, 12};
    std::size_t index = 0;
    while (kByLikelihood[index] != sum) ++index;
    return index;
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace zamrit;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    measures::MeasureComposer::Book book;
    std::string error;
    if (!measures::MeasureComposer::ComposeAll(book, error)) {
        std::fprintf(stderr, "cannot compose the measures: %s\n", error.c_str());
        return 1;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    int written = 0;
    const auto styles = measures::MeasureStyle::All();
    for (const std::string& name : AllMeasureFileNames()) {
        // "MN_07_01.dat": part, dice sum, bar of the part (the trio's bars are named 17-32).
        std::size_t part = 0;
        while (styles[part]->prefix != name.substr(0, 2)) ++part;
        const measures::MeasureStyle& style = *styles[part];
        const int sum = std::stoi(name.substr(3, 2));
        const int bar = std::stoi(name.substr(6, 2)) - (style.prefix == "TR" ? 16 : 0);
        const auto barIndex = static_cast<std::size_t>(bar - 1);
        const measures::Measure& measure = book[part][barIndex][AlternativeOfSum(style, sum)];
        if (!measures::MeasureEncoder::Encode(style, barIndex, measure, name.substr(0, 8)).WriteFile(folder / name)) {
            std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
            return 1;
        }
        ++written;
    }
    std::printf("%d measure files written to %s\n", written, folder.c_str());
    return 0;
}
