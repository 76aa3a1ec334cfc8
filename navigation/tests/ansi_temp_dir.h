// A temporary folder made through the ANSI file functions, so that names are
// Windows-1251 bytes exactly as the program sees them; removed at the end.
#pragma once

#include <string>
#include <vector>

class TAnsiTempDir {
public:
    TAnsiTempDir();
    ~TAnsiTempDir();
    TAnsiTempDir(const TAnsiTempDir&) = delete;
    TAnsiTempDir& operator=(const TAnsiTempDir&) = delete;

    // No trailing backslash.
    const std::string& Root() const { return Root_; }
    // `relative` uses '\'; a folder part must have been made with Dir first.
    std::string Path(const std::string& relative) const { return Root_ + "\\" + relative; }
    void File(const std::string& relative, const std::string& bytes);
    void Dir(const std::string& relative);

private:
    std::string Root_;
    std::vector<std::string> Made_;  // removed in reverse order
};
