// A strict JSON reader for the tests: it refuses what RFC 8259 refuses,
// strings that are not valid UTF-8 included, so a document it accepts is one
// any consumer accepts.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct TJsonValue {
    enum TType { Null, Bool, Number, String, Array, Object } Type = Null;
    double Num = 0;  // 1 for true
    std::string Str;
    std::vector<TJsonValue> Items;
    std::map<std::string, TJsonValue> Members;

    // The member, or a null value when absent.
    const TJsonValue& operator[](const std::string& key) const;
};

// The document, or nothing when `text` is not exactly one JSON value.
std::optional<TJsonValue> ParseJson(const std::string& text, std::string* error = nullptr);
// The document; a failure of the running test when it is not valid.
TJsonValue ValidJson(const std::string& text);
// The members named in `keys` (blank-separated) as "value value"; of an
// array, each item's, joined by ", ".
std::string Fields(const TJsonValue& value, const std::string& keys);
