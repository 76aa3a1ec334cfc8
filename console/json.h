// JSON string literals from arbitrary bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output.h"

// Appends `bytes` as a quoted JSON string. Valid UTF-8 passes through; a byte
// that is not part of valid UTF-8 is read as Windows-1251, the code page the
// window shows names in, so the result is valid UTF-8 whatever the input.
void AppendJsonString(std::string& out, std::string_view bytes);

// The length of the valid UTF-8 sequence at the start of `bytes`, or 0.
std::size_t Utf8SequenceLength(std::string_view bytes);

// A JSON document written by hand and handed to `out` as ready UTF-8: objects
// inside arrays on one line each, so that two runs diff line by line. A long
// document leaves in pieces, each cut between two values, so that its whole
// text is never held.
class TJsonWriter {
public:
    explicit TJsonWriter(TOutput& out) : Out_(out) {}
    void Key(std::string_view key);
    void String(std::string_view bytes);
    void Number(int64_t value);
    void Bool(bool value);
    void Null();
    void Open(char bracket, bool multiline);
    void Close(char bracket);
    // Ends the document with a line end and hands out the rest.
    void Finish();

private:
    struct TLevel {
        bool Multiline;
        bool Empty;
    };
    // Before every key, and before every value that does not follow a key.
    void Item();
    void NewLine();
    // Passes the text so far to the output and goes on from empty.
    void HandOut();

    TOutput& Out_;
    std::string Text_;
    std::vector<TLevel> Levels_;
    bool AfterKey_ = false;
};
