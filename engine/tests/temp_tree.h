// A real directory tree under the system's temporary folder, removed again
// when the test ends.
#pragma once

#include <filesystem>
#include <string>

class TTempTree {
public:
    TTempTree();
    ~TTempTree();
    TTempTree(const TTempTree&) = delete;
    TTempTree& operator=(const TTempTree&) = delete;

    // The root as the engine takes it: no trailing separator.
    std::string Root() const { return Root_.string(); }
    // `relative` uses '/'; parent folders are made as needed.
    void File(const std::string& relative, const std::string& bytes = "");
    // False where the platform lets no test make links.
    bool DirLink(const std::string& relative, const std::string& target);
    std::string Path(const std::string& relative) const;

private:
    std::filesystem::path Root_;
};

// The bytes of a file, or none where it cannot be read.
std::string FileBytes(const std::string& path);
