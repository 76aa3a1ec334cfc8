// One run of the checker in-process, and its documents read back with
// nlohmann-json, which refuses what RFC 8259 refuses (invalid UTF-8 too).
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "check.h"
#include "fs.h"
#include "temp_tree.h"
#include "unix_files.h"

struct TRun {
    int Status;
    std::string Out, Err;
    // The status and stderr as one text ("0": clean and quiet), then with stdout.
    std::string Said() const { return std::to_string(Status) + Err; }
    std::string All() const { return Said() + Out; }
};

inline TRun Checked(const std::vector<std::string>& args) {
    TByteOutput out, err;
    return {RunCheck(args, out, err), out.Str(), err.Str()};  // in this order
}

// Writes `bytes` to `relative` below the tree; the file's path.
inline std::string Put(TTempTree& tree, const std::string& relative, const std::string& bytes = "") {
    tree.File(relative, bytes);
    return tree.Path(relative);
}

using TJson = nlohmann::json;

// The document; a failure of the running test when it is not valid.
inline TJson ValidJson(const std::string& text) {
    TJson doc = TJson::parse(text, nullptr, false);
    EXPECT_FALSE(doc.is_discarded()) << text;
    return doc;
}

// The members named in `keys` (blank-separated) as "value value"; of an
// array, each item's, joined by ", ".
inline std::string Fields(const TJson& value, const std::string& keys) {
    std::string out;
    if (value.is_array()) {
        for (const TJson& item : value) out += (out.empty() ? "" : ", ") + Fields(item, keys);
        return out;
    }
    std::istringstream names(keys);
    for (std::string key; names >> key;) {
        const TJson member = value.value(key, TJson());
        out += (out.empty() ? "" : " ") + (member.is_string() ? member.get<std::string>() : member.dump());
    }
    return out;
}
