// A strict JSON reader for the tests: it rejects what RFC 8259 rejects,
// including strings that are not valid UTF-8, so a document it accepts is one
// any consumer accepts.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct TJsonValue {
    enum TType { Null, Bool, Number, String, Array, Object } Type = Null;
    bool Flag = false;
    double Num = 0;
    std::string Str;
    std::vector<TJsonValue> Items;
    std::map<std::string, TJsonValue> Members;

    // The member `key` of an object, or null when absent.
    const TJsonValue* Find(const std::string& key) const;
    // Shortcut for tests: the member, which must exist.
    const TJsonValue& operator[](const std::string& key) const;
};

// The parsed document, or nothing when `text` is not exactly one JSON value.
std::optional<TJsonValue> ParseJson(const std::string& text, std::string* error = nullptr);
