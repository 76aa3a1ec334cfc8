#include "saved_path.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "cp1251.h"
#include "io_error.h"

namespace {

// Runs each case in a fresh temporary current directory.
class SavedPath : public ::testing::Test {
protected:
    void SetUp() override {
        char text[MAX_PATH];
        Previous_.assign(text, GetCurrentDirectoryA(MAX_PATH, text));
        Dir_.assign(text, GetTempPathA(MAX_PATH, text));
        Dir_ += "tessaron-path-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryA(Dir_.c_str(), nullptr));
        ASSERT_TRUE(SetCurrentDirectoryA(Dir_.c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryA(Previous_.c_str());
        const std::string file = Dir_ + "\\path.txt";
        if (!DeleteFileA(file.c_str())) RemoveDirectoryA(file.c_str());
        RemoveDirectoryA(Dir_.c_str());
    }

    static void WriteBytes(const std::string& bytes) { std::ofstream("path.txt", std::ios::binary) << bytes; }
    static std::string ReadBytes() {
        std::ifstream in("path.txt", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string Previous_;
    std::string Dir_;
};

}  // namespace

TEST_F(SavedPath, SavesTheTextWithCrLfOverAnyOldFileAndLoadsItBack) {
    for (const std::string& text : {std::string("C:\\Games\\Data"), std::string("  Z:\\tmp\\with blanks  "),
                                    std::string(), Cp1251FromUtf8("C:\\Игры\\Данные"), std::string("\tC:\\tab")}) {
        WriteBytes("an older and much longer path\r\nsecond line\r\n");
        SaveCurrentPath(text);
        EXPECT_EQ(ReadBytes(), text + "\r\n");
        EXPECT_EQ(LoadSavedPath(), text);
    }
}

TEST_F(SavedPath, LoadsOnlyTheFirstLineAndNothingWithoutTheFile) {
    EXPECT_EQ(LoadSavedPath(), "");
    const struct {
        std::string Bytes;
        std::string Expected;
    } cases[] = {
        {"", ""},
        {"\r\n", ""},
        {"C:\\first\nC:\\second\n", "C:\\first"},
        {"C:\\first\r\nC:\\second\r\n", "C:\\first"},
        {" C:\\no line end ", " C:\\no line end "},
    };
    for (const auto& c : cases) {
        WriteBytes(c.Bytes);
        EXPECT_EQ(LoadSavedPath(), c.Expected) << c.Bytes;
    }
}

TEST_F(SavedPath, AFolderNamedLikeTheFileCannotBeWrittenAndRaisesAccessDenied) {
    ASSERT_TRUE(CreateDirectoryA("path.txt", nullptr));
    try {
        SaveCurrentPath("C:\\Games");
        FAIL() << "no error raised";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Code(), 5);
        EXPECT_STREQ(error.what(), "File access denied");
    }
    EXPECT_EQ(LoadSavedPath(), "") << "a folder is not read as the file";
}
