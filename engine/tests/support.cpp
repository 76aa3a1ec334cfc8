// The shared test helpers: temporary and random trees, a run on each strip
// path, and records printed to compare whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <random>
#include <string_view>
#include <system_error>

#include "random_tree.h"
#include "strip_masks.h"
#include "strip_paths.h"
#include "temp_tree.h"
#include "text_reader.h"
#include "unix_files.h"

namespace fs = std::filesystem;
using namespace std::string_view_literals;

TTempTree::TTempTree() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    Root_ = fs::temp_directory_path() / ("tessaron-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(Root_);
}

TTempTree::~TTempTree() {
    RemoveUnixEntries(Root_.string());
    std::error_code ignored;
    fs::remove_all(Root_, ignored);
}

std::string TTempTree::Path(const std::string& relative) const {
    return (Root_ / fs::path(relative).make_preferred()).string();
}

void TTempTree::File(const std::string& relative, const std::string& bytes) {
    const fs::path path = Path(relative);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool TTempTree::DirLink(const std::string& relative, const std::string& target) {
    std::error_code error;
    fs::create_directory_symlink(fs::path(target).make_preferred(), Path(relative), error);
    return !error || MakeUnixLink(target, Path(relative));
}

namespace {

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
    for (const auto& entry : fs::directory_iterator(TESSARON_READER_CORPUS))
        tree.File("corpus/" + entry.path().filename().string(), FileBytes(entry.path().string()));
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
    fs::create_directories(tree.Path("odd/folder.ini"));
    MakeFifo(tree.Path("odd/fifo.ini"));
    MakeUnixLink("/dev/zero", tree.Path("odd/zero.ini"));
}

void ForEachStripPath(const std::function<void(const char* path)>& body) {
    const std::vector<const char*> paths = StripPathNames();
    for (std::size_t path = 1; path <= paths.size(); ++path) {
        SCOPED_TRACE(paths[path - 1]);
        LimitStripPaths(path);
        body(paths[path - 1]);
    }
    LimitStripPaths(0);
}

void ForEachLine(const std::string& text, const std::function<void(std::string_view line, int32_t index)>& read) {
    TMemorySource source(text);
    TTextReader reader(source);
    for (int32_t line = 0; !reader.Eof(); ++line) read(reader.ReadLine(), line);
}

TRule Rule(const std::string& id, const std::string& declaredBy, std::vector<std::string> ignore,
           std::vector<TRuleUse> uses) {
    return {id, id, {declaredBy}, std::move(ignore), {}, std::move(uses)};
}

std::string Records(const TRefTable& places, const TNameList& names, const std::string& tag) {
    EXPECT_EQ(places.Count(), names.Count());
    std::string out;
    for (int32_t k = 0; k < std::min(places.Count(), names.Count()); ++k) {
        const TRefRec& r = places[k];
        EXPECT_EQ(r.Length, names[k].size()) << k;
        out += tag + std::to_string(r.FileIndex) + ":" + std::to_string(r.LineIndex) + ":" + std::to_string(r.Column) +
               " " + std::string(names[k]) + "\n";
    }
    return out;
}

std::string Records(const std::vector<TKindRecords>& kinds, const TRuleSet* rules) {
    std::string out;
    for (std::size_t r = 0; r < kinds.size(); ++r) {
        const std::string id = rules != nullptr ? rules->Rules().at(r).Id : std::to_string(r);
        out += Records(kinds[r].RefTable, kinds[r].UsedNames, id + " U ") +
               Records(kinds[r].DefinedPlaces, kinds[r].DefinedNames, id + " D ");
    }
    return out;
}

std::string Records(const TScanState& state) {
    return Records(state.RefTable, state.UsedNames) + Records(state.DefinedPlaces, state.DefinedNames, "D ") +
           Records(state.RuleRecords);
}
