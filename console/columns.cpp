#include "columns.h"

#include <algorithm>
#include <tuple>

#include "fs.h"
#include "io_error.h"
#include "json.h"
#include "text_reader.h"

namespace {

bool Before(const TRefRec& a, const TRefRec& b) {
    return std::tie(a.FileIndex, a.LineIndex, a.Column, a.Length) <
           std::tie(b.FileIndex, b.LineIndex, b.Column, b.Length);
}

}  // namespace

uint32_t CodePoints(std::string_view bytes) {
    uint32_t points = 0;
    for (std::size_t i = 0; i < bytes.size(); ++points)
        i += std::max<std::size_t>(1, Utf8SequenceLength(bytes.substr(i)));
    return points;
}

std::pair<uint32_t, uint32_t> CodePointColumns(std::string_view line, uint32_t column, uint32_t length) {
    const std::size_t start = column - 1;
    if (column == 0 || start + length > line.size()) return {column, column + length};
    const uint32_t first = 1 + CodePoints(line.substr(0, start));
    return {first, first + CodePoints(line.substr(start, length))};
}

void TCodePointColumns::Want(const TRefRec& place) {
    Places_.push_back({place, {place.Column, place.Column + place.Length}});
}

void TCodePointColumns::Read(const TScanState& state) {
    std::sort(Places_.begin(), Places_.end(),
              [](const TPlace& a, const TPlace& b) { return Before(a.Bytes, b.Bytes); });
    std::vector<char> buffer(kReadChunk);
    for (auto place = Places_.begin(); place != Places_.end();) {
        const uint32_t fileIndex = place->Bytes.FileIndex;
        const auto fileEnd =
            std::find_if(place, Places_.end(), [&](const TPlace& p) { return p.Bytes.FileIndex != fileIndex; });
        TInputFile file;
        // A file that cannot be read again keeps its byte columns.
        if (file.Open(std::string(state.FileList[static_cast<int32_t>(fileIndex)]))) {
            try {
                TTextReader reader(file, buffer);
                for (int32_t lineIndex = 0; place != fileEnd && !reader.Eof(); ++lineIndex) {
                    const std::string_view line = reader.ReadLine();
                    for (; place != fileEnd && place->Bytes.LineIndex == lineIndex; ++place) {
                        place->Points = CodePointColumns(line, place->Bytes.Column, place->Bytes.Length);
                    }
                }
            } catch (const EInOutError&) {
            }
        }
        place = fileEnd;
    }
}

std::pair<uint32_t, uint32_t> TCodePointColumns::Of(const TRefRec& place) const {
    const auto it = std::lower_bound(Places_.begin(), Places_.end(), place,
                                     [](const TPlace& a, const TRefRec& b) { return Before(a.Bytes, b); });
    if (it == Places_.end() || Before(place, it->Bytes)) return {place.Column, place.Column + place.Length};
    return it->Points;
}
