// What the index's tests share: a tree's index, and its results as short
// text, so that a table can say what it expects.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "file_entry.h"
#include "temp_tree.h"
#include "workspace.h"

// The index of the tree's folder `root` ("" for the tree itself), indexed
// with `settings`, whose folders and names files are given below the tree.
inline TWorkspaceIndex Indexed(const TTempTree& tree, const std::string& root = "", TIndexSettings settings = {}) {
    for (std::string& folder : settings.DeclaredIn) folder = tree.Path(folder);
    for (std::string& file : settings.NameFiles) file = tree.Path(file);
    for (TRule& rule : settings.Rules) {
        for (std::string& file : rule.Names) file = tree.Path(file);
    }
    TWorkspaceIndex index;
    index.SetRoots({root.empty() ? tree.Root() : tree.Path(root)});
    index.SetSettings(std::move(settings));
    index.IndexAll();
    return index;
}

// A path below the tree, with '/' between its parts on every platform.
inline std::string Relative(const TTempTree& tree, std::string path) {
    path.erase(0, tree.Root().size() + 1);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

inline std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& name : names) out += name + ";";
    return out;
}

// What completion offers at the end of `text`, the editor's text of `path`, or "none".
inline std::string CompletedAtEnd(TWorkspaceIndex& index, const std::string& path, const std::string& text) {
    index.Open(path, text);
    const auto line = static_cast<uint32_t>(std::count(text.begin(), text.end(), '\n'));
    const auto completion =
        index.Completion(index.FileOf(path), {line, static_cast<uint32_t>(text.size() - (text.rfind('\n') + 1))});
    return completion ? Joined(completion->Names) : "none";
}

inline std::string Where(TPosition p) {
    return std::to_string(p.Line) + ":" + std::to_string(p.Character);
}

inline std::string Where(const TRange& r) {
    return Where(r.Start) + "-" + Where(r.End);
}

// "file:line:character-line:character;" per place.
inline std::string Places(const std::vector<TPlace>& places) {
    std::string out;
    for (const TPlace& place : places) out += std::to_string(place.File) + ":" + Where(place.Range) + ";";
    return out;
}

// "U 1:19-1:22 Name;" per finding: Undeclared, Unused or Duplicate (with the
// places of the other declarations); "Name/0" of a name of rule 0.
inline std::string Described(const std::vector<TFinding>& findings) {
    std::string out;
    for (const TFinding& f : findings) {
        out += std::string(1, "UND"[static_cast<int>(f.Kind)]) + " " + Where(f.Range) + " " + f.Name;
        if (f.Rule != kImageRule) out += "/" + std::to_string(f.Rule);
        for (const TPlace& place : f.Related) out += " @" + std::to_string(place.File) + ":" + Where(place.Range);
        out += ";";
    }
    return out;
}

// Every file that has findings, as "path below the tree: findings".
inline std::string State(const TWorkspaceIndex& index, const TTempTree& tree) {
    std::string out;
    for (int32_t f = 0; f < index.FileCount(); ++f) {
        if (index.File(f).Gone || index.File(f).Findings.empty()) continue;
        out += Relative(tree, index.PathOf(f)) + ": " + Described(index.File(f).Findings) + " ";
    }
    return out;
}
