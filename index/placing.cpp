#include "placing.h"

#include <algorithm>
#include <string>

#include "syntax.h"

std::string WithoutCr(std::string_view bytes) {
    std::string out(bytes);
    out.erase(std::remove(out.begin(), out.end(), kCarriageReturn), out.end());
    return out;
}

void PlaceItems(TFileEntry& entry, std::string_view bytes, bool asRead, TUnits units, const TScanState& state,
                uint32_t scanned, TRecordStart& next) {
    const auto ofFile = [scanned](const TRefTable& refs, int32_t k) {
        return k < refs.Count() && refs[k].FileIndex == scanned;
    };
    entry.Uses.clear();
    entry.Declarations.clear();
    entry.WrittenNames.clear();
    // A file without names needs no map of its lines.
    if (!ofFile(state.RefTable, next.Use) && !ofFile(state.DefinedPlaces, next.Declaration)) return;
    // Items are many: each list takes its final size at once.
    TRecordStart last = next;
    while (ofFile(state.RefTable, last.Use)) ++last.Use;
    while (ofFile(state.DefinedPlaces, last.Declaration)) ++last.Declaration;
    entry.Uses.reserve(static_cast<std::size_t>(last.Use - next.Use));
    entry.Declarations.reserve(static_cast<std::size_t>(last.Declaration - next.Declaration));
    // The items view their names in WrittenNames, which therefore never
    // moves: it holds every name even where a byte grows to three in UTF-8.
    std::size_t bound = 0;
    for (int32_t k = next.Use; k < last.Use; ++k) bound += state.RefTable[k].Length;
    for (int32_t k = next.Declaration; k < last.Declaration; ++k) bound += state.DefinedPlaces[k].Length;
    entry.WrittenNames.reserve(asRead ? bound : 3 * bound);
    const auto add = [&](std::vector<TOccurrence>& out, const TRefRec& ref, std::size_t begin, std::size_t end,
                         TRange range) {
        std::string_view written(bytes.data() + begin, end - begin);
        std::string converted;
        if (!asRead || written.find(kCarriageReturn) != std::string_view::npos) {
            converted = ToUtf8(WithoutCr(written), entry.Encoding);
            written = converted;
        }
        const std::size_t at = entry.WrittenNames.size();
        entry.WrittenNames.insert(entry.WrittenNames.end(), written.begin(), written.end());
        out.push_back({nullptr, {entry.WrittenNames.data() + at, written.size()}, range, ref.LineIndex});
    };
    // Most texts: uses and declarations merged in line order, one walk.
    TLineCursor cursor(bytes, entry.Encoding, units);
    TRecordStart at = next;
    bool plain = true;
    while (plain && (ofFile(state.RefTable, at.Use) || ofFile(state.DefinedPlaces, at.Declaration))) {
        const bool use = ofFile(state.RefTable, at.Use) &&
                         (!ofFile(state.DefinedPlaces, at.Declaration) ||
                          state.RefTable[at.Use].LineIndex <= state.DefinedPlaces[at.Declaration].LineIndex);
        const TRefRec& ref = use ? state.RefTable[at.Use] : state.DefinedPlaces[at.Declaration];
        std::size_t begin = 0;
        std::size_t end = 0;
        TRange range;
        plain = cursor.RangeOf(ref.LineIndex, ref.Column, ref.Length, begin, end, range);
        if (!plain) break;
        add(use ? entry.Uses : entry.Declarations, ref, begin, end, range);
        ++(use ? at.Use : at.Declaration);
    }
    if (plain) {
        next = at;
        return;
    }
    // A lone CR: the protocol's lines are not the reader's.
    entry.Uses.clear();
    entry.Declarations.clear();
    entry.WrittenNames.clear();
    TLineFeeds lineFeeds = LineFeeds(bytes);
    const TLineMap map(bytes, entry.Encoding, units, lineFeeds);
    const TReaderLines lines(bytes, std::move(lineFeeds.At));
    const auto items = [&](const TRefTable& refs, int32_t& k, std::vector<TOccurrence>& out) {
        for (; ofFile(refs, k); ++k) {
            std::size_t begin = 0;
            std::size_t end = 0;
            lines.Locate(refs[k].LineIndex, refs[k].Column, refs[k].Length, begin, end);
            add(out, refs[k], begin, end, map.RangeOf(begin, end, static_cast<uint32_t>(refs[k].LineIndex)));
        }
    };
    items(state.RefTable, next.Use, entry.Uses);
    items(state.DefinedPlaces, next.Declaration, entry.Declarations);
}
