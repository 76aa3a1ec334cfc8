// Where the checker writes. Texts of the tables, names and paths from the
// files, and ready UTF-8 arrive separately, because a Windows console wants
// each converted from its own code page.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

class TOutput {
public:
    virtual ~TOutput() = default;
    // A table text: Windows-1251 once the Russian texts are installed, ASCII before.
    virtual void Text(std::string_view text) = 0;
    // Names and paths, the bytes the files and the file system gave.
    virtual void Bytes(std::string_view bytes) = 0;
    virtual void Utf8(std::string_view text) = 0;
    // False when the stream refused a write.
    virtual bool Flush() = 0;
};

// Texts as UTF-8 and bytes as they are: pipes, files, POSIX terminals, tests.
// With a stream it writes through in large pieces; without one it keeps all.
class TByteOutput : public TOutput {
public:
    explicit TByteOutput(std::FILE* stream = nullptr) : Stream_(stream) {}
    void Text(std::string_view text) override;
    void Bytes(std::string_view bytes) override;
    void Utf8(std::string_view text) override;
    bool Flush() override;
    const std::string& Str() const { return Buffer_; }

private:
    void Append(std::string_view bytes);
    void WriteThrough();

    std::FILE* Stream_;
    std::string Buffer_;
    bool Failed_ = false;
};

// The output for stdout or stderr: the console's own wide text on a Windows
// console, bytes everywhere else. Implemented per platform.
std::unique_ptr<TOutput> StandardOutput(std::FILE* stream);
