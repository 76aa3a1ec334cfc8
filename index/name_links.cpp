#include "name_links.h"

#include <algorithm>

void InsertInOrder(std::vector<TItemRef>& refs, TItemRef ref) {
    if (refs.empty() || refs.back() < ref) {
        refs.push_back(ref);  // the first indexing links the files in order
    } else {
        refs.insert(std::lower_bound(refs.begin(), refs.end(), ref), ref);
    }
}

void Link(int32_t file, const TFileEntry& entry) {
    for (std::size_t i = 0; i < entry.Uses.size(); ++i) {
        InsertInOrder(entry.Uses[i].Entry->Places.Uses, {file, static_cast<int32_t>(i)});
    }
    for (std::size_t i = 0; i < entry.Declarations.size(); ++i) {
        InsertInOrder(entry.Declarations[i].Entry->Places.Declarations, {file, static_cast<int32_t>(i)});
    }
}

void Unlink(int32_t file, const TFileEntry& entry) {
    std::unordered_set<TNameEntry*> names;
    for (const TOccurrence& item : entry.Uses) names.insert(item.Entry);
    for (const TOccurrence& item : entry.Declarations) names.insert(item.Entry);
    const auto ofFile = [file](const TItemRef& ref) { return ref.File == file; };
    for (TNameEntry* name : names) {
        std::vector<TItemRef>& uses = name->Places.Uses;
        std::vector<TItemRef>& declarations = name->Places.Declarations;
        uses.erase(std::remove_if(uses.begin(), uses.end(), ofFile), uses.end());
        declarations.erase(std::remove_if(declarations.begin(), declarations.end(), ofFile), declarations.end());
    }
}

namespace {

std::vector<int32_t> FilesOf(const std::vector<TItemRef>& refs) {
    std::vector<int32_t> files;
    files.reserve(refs.size());
    for (const TItemRef& ref : refs) files.push_back(ref.File);
    return files;
}

}  // namespace

void TRelink::Note(const TFileEntry& entry) {
    for (const auto* items : {&entry.Uses, &entry.Declarations}) {
        for (const TOccurrence& item : *items) {
            if (Before_.count(item.Entry) != 0) continue;
            const TNamePlaces& places = item.Entry->Places;
            Before_[item.Entry] = {FilesOf(places.Declarations), !places.Uses.empty()};
        }
    }
}

std::unordered_set<int32_t> TRelink::Affected(int32_t file) const {
    std::unordered_set<int32_t> affected{file};
    for (const auto& [name, was] : Before_) {
        const std::vector<TItemRef>& declarations = name->Places.Declarations;
        const std::vector<TItemRef>& uses = name->Places.Uses;
        const bool declaredChanged = was.DeclarationFiles.empty() != declarations.empty();
        // Only this file's uses came and went, and it is refreshed anyway.
        if (declaredChanged) {
            for (const TItemRef& ref : uses) affected.insert(ref.File);
        }
        // Duplicates point at each other, so a moved declaration changes them all.
        if (declaredChanged || was.Used != !uses.empty() || was.DeclarationFiles.size() > 1 ||
            declarations.size() > 1) {
            affected.insert(was.DeclarationFiles.begin(), was.DeclarationFiles.end());
            for (const TItemRef& ref : declarations) affected.insert(ref.File);
        }
    }
    return affected;
}

void TRelink::DropUnnamed(TNameTable& names) const {
    for (const auto& [name, was] : Before_) {
        if (name->Places.Declarations.empty() && name->Places.Uses.empty()) names.Erase(*name);
    }
}
