#include "random_tree.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "unix_files.h"

namespace {

using namespace std::string_view_literals;

// The words of the reader's fuzz dictionary and a few names.
// clang-format off
constexpr std::string_view kPieces[] = {
    "SelectPortrait", "selectportrait", "ButtonImage", "BUTTONIMAGE", "MappedImage", "mappedimage", "=", " = ",
    ";", "//", "\x1a", "\r\n", "\r", "\n", "\t", "\0"sv, "\xc0\xe0", " ", "Name", "name", "img", "A"};
// clang-format on
constexpr std::string_view kKeys[] = {"SelectPortrait", "ButtonImage", "MappedImage", "buttonimage"};

}  // namespace

void MakeRandomTree(TTempTree& tree, uint32_t seed) {
    std::minstd_rand random(seed);
    for (const auto& entry : std::filesystem::directory_iterator(TESSARON_READER_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        tree.File("corpus/" + entry.path().filename().string(), {std::istreambuf_iterator<char>(in), {}});
    }
    const auto below = [&](std::size_t n) { return static_cast<std::size_t>(random()) % n; };
    for (int f = 0; f < 60; ++f) {
        // One file in eight spans several read chunks.
        const std::size_t lines = f % 8 == 3 ? 9000 : below(200);
        std::string text;
        for (std::size_t i = 0; i < lines; ++i) {
            if (below(2) == 0) {
                text.append(below(3), ' ').append(kKeys[below(std::size(kKeys))]);
                text.append(below(2) == 0 ? " = " : " ").append("Img").append(std::to_string(below(40)));
            } else {
                for (std::size_t n = below(8); n > 0; --n) text.append(kPieces[below(std::size(kPieces))]);
            }
            text.append(below(4) == 0 ? "\r\n" : "\n");
        }
        tree.File("d" + std::to_string(f % 3) + "/e" + std::to_string(f % 5) + "/f" + std::to_string(f) + ".ini", text);
    }
    std::filesystem::create_directories(tree.Path("odd/folder.ini"));
    MakeFifo(tree.Path("odd/fifo.ini"));
    MakeUnixLink("/dev/zero", tree.Path("odd/zero.ini"));
}
