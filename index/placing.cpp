#include "placing.h"

#include <algorithm>
#include <string>

#include "syntax.h"

std::string WithoutCr(std::string_view bytes) {
    std::string out(bytes);
    out.erase(std::remove(out.begin(), out.end(), kCarriageReturn), out.end());
    return out;
}

std::vector<TKindSource> KindsOf(const TScanState& state, bool images) {
    std::vector<TKindSource> kinds;
    if (images) {
        kinds.push_back({kImageRule, &state.UsedNames, &state.RefTable, &state.DefinedNames, &state.DefinedPlaces});
    }
    for (std::size_t r = 0; r < state.RuleRecords.size(); ++r) {
        const TKindRecords& records = state.RuleRecords[r];
        kinds.push_back({static_cast<int32_t>(r), &records.UsedNames, &records.RefTable, &records.DefinedNames,
                         &records.DefinedPlaces});
    }
    return kinds;
}

namespace {

// The records of one kind's uses or declarations, read in their order.
struct TStream {
    const TRefTable* Refs;
    const TNameList* Names;
    int32_t Rule;
    bool Use;
    int32_t At = 0;
    bool Done() const { return At == Refs->Count(); }
};

}  // namespace

void PlaceItems(TFileEntry& entry, std::string_view bytes, bool asRead, TUnits units,
                const std::vector<TKindSource>& kinds, std::vector<TPlacedName>& names) {
    entry.Uses.clear();
    entry.Declarations.clear();
    entry.WrittenNames.clear();
    names.clear();
    std::vector<TStream> streams;
    std::size_t uses = 0;
    std::size_t declarations = 0;
    // The items view their names in WrittenNames, which therefore never
    // moves: it holds every name even where a byte grows to three in UTF-8.
    std::size_t bound = 0;
    for (const TKindSource& kind : kinds) {
        for (const bool use : {true, false}) {
            const TRefTable& refs = use ? *kind.Uses : *kind.Declarations;
            if (refs.Count() == 0) continue;
            streams.push_back({&refs, use ? kind.UsedNames : kind.DefinedNames, kind.Rule, use});
            (use ? uses : declarations) += static_cast<std::size_t>(refs.Count());
            for (int32_t k = 0; k < refs.Count(); ++k) bound += refs[k].Length;
        }
    }
    // A file without names needs no map of its lines.
    if (streams.empty()) return;
    // Items are many: each list takes its final size at once.
    entry.Uses.reserve(uses);
    entry.Declarations.reserve(declarations);
    names.resize(uses + declarations);
    entry.WrittenNames.reserve(asRead ? bound : 3 * bound);
    const auto add = [&](const TStream& stream, std::size_t begin, std::size_t end, TRange range) {
        const TRefRec& ref = (*stream.Refs)[stream.At];
        std::string_view written(bytes.data() + begin, end - begin);
        std::string converted;
        if (!asRead || written.find(kCarriageReturn) != std::string_view::npos) {
            converted = ToUtf8(WithoutCr(written), entry.Encoding);
            written = converted;
        }
        const std::size_t at = entry.WrittenNames.size();
        entry.WrittenNames.insert(entry.WrittenNames.end(), written.begin(), written.end());
        std::vector<TOccurrence>& out = stream.Use ? entry.Uses : entry.Declarations;
        names[stream.Use ? out.size() : uses + out.size()] = {stream.Rule, (*stream.Names)[stream.At]};
        out.push_back({nullptr, {entry.WrittenNames.data() + at, written.size()}, range, ref.LineIndex});
    };
    // The next record in line order, uses before declarations on one line.
    const auto next = [&]() -> TStream* {
        TStream* first = nullptr;
        for (TStream& stream : streams) {
            if (!stream.Done() &&
                (first == nullptr || (*stream.Refs)[stream.At].LineIndex < (*first->Refs)[first->At].LineIndex)) {
                first = &stream;
            }
        }
        return first;
    };
    if (streams.size() > 1) {
        std::stable_partition(streams.begin(), streams.end(), [](const TStream& s) { return s.Use; });
    }
    // Most texts: one walk over the lines.
    TLineCursor cursor(bytes, entry.Encoding, units);
    bool plain = true;
    for (TStream* stream = next(); plain && stream != nullptr; stream = next()) {
        const TRefRec& ref = (*stream->Refs)[stream->At];
        std::size_t begin = 0;
        std::size_t end = 0;
        TRange range;
        plain = cursor.RangeOf(ref.LineIndex, ref.Column, ref.Length, begin, end, range);
        if (!plain) break;
        add(*stream, begin, end, range);
        ++stream->At;
    }
    if (plain) return;
    // A lone CR: the protocol's lines are not the reader's.
    entry.Uses.clear();
    entry.Declarations.clear();
    entry.WrittenNames.clear();
    for (TStream& stream : streams) stream.At = 0;
    TLineFeeds lineFeeds = LineFeeds(bytes);
    const TLineMap map(bytes, entry.Encoding, units, lineFeeds);
    const TReaderLines lines(bytes, std::move(lineFeeds.At));
    for (TStream* stream = next(); stream != nullptr; stream = next()) {
        const TRefRec& ref = (*stream->Refs)[stream->At];
        std::size_t begin = 0;
        std::size_t end = 0;
        lines.Locate(ref.LineIndex, ref.Column, ref.Length, begin, end);
        add(*stream, begin, end, map.RangeOf(begin, end, static_cast<uint32_t>(ref.LineIndex)));
        ++stream->At;
    }
}
