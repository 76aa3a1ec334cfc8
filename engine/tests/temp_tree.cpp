#include "temp_tree.h"

#include <atomic>
#include <fstream>
#include <system_error>

#include "unix_files.h"

namespace fs = std::filesystem;

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

bool TTempTree::DirLink(const std::string& relative, const std::string& target) {
    std::error_code error;
    fs::create_directory_symlink(fs::path(target).make_preferred(), Path(relative), error);
    return !error || MakeUnixLink(target, Path(relative));
}
