#include "formats.h"

#include <string>
#include <string_view>

#include "cp1251.h"
#include "fs.h"
#include "json.h"
#include "ui_text.h"

namespace {

// The gnu lines keep one shape in every language: editors and CI log matchers
// read them.
constexpr std::string_view kGnuMissing = "missing";  // an undeclared image, as it always was
constexpr std::string_view kGnuImage = "image";
constexpr std::string_view kGnuPlaceOf = " (declaration ";
constexpr std::string_view kGnuPlaceOfTotal = " of ";
constexpr std::string_view kGnuPlaceEnd = ")";

std::string Decimal(int64_t value) {
    return std::to_string(value);
}

std::string Count(std::size_t value) {
    return Decimal(static_cast<int64_t>(value));
}

std::string LineNumber(const TRefRec& place) {
    return Decimal(int64_t{place.LineIndex} + 1);
}

// " (declaration 2 of 3)", from the table or in the gnu line's fixed words.
std::string PlaceOf(std::size_t index, std::size_t count, bool gnu) {
    std::string place(gnu ? kGnuPlaceOf : UiText[utPlaceOf]);
    place += Count(index + 1);
    place += gnu ? kGnuPlaceOfTotal : UiText[utPlaceOfTotal];
    place += Count(count);
    place += gnu ? kGnuPlaceEnd : UiText[utPlaceEnd];
    return place;
}

// Calls visit(finding, name, place, tail) for each finding of `kind` at each
// of its places, in the order the line formats list them; a duplicate's tail
// tells which of its declarations the place is.
template <typename F>
void ForEachPlace(const TKindReport& kind, bool gnu, F&& visit) {
    for (const int32_t k : kind.Found.Undeclared) visit(fkUndeclared, kind.UsedName(k), kind.Use(k), std::string());
    for (const int32_t i : kind.Found.Unused) visit(fkUnused, kind.DefinedName(i), kind.Declaration(i), std::string());
    for (const auto& places : kind.Found.Duplicates) {
        for (std::size_t p = 0; p < places.size(); ++p) {
            const int32_t i = places[p];
            visit(fkDuplicate, kind.DefinedName(i), kind.Declaration(i), PlaceOf(p, places.size(), gnu));
        }
    }
}

// The end of a report line from the name on, piece by piece so that each piece keeps its encoding.
void WriteNameAndPlace(const TRunReport& f, std::string_view name, const TRefRec& place, const std::string& tail,
                       TOutput& out) {
    out.Bytes(name);
    out.Text(UiText[utInFile]);
    out.Bytes(f.Relative(place.FileIndex));
    out.Text(UiText[utAtLine] + LineNumber(place) + tail + "\n");
}

// "Unused MI Total: 2; Duplicate MI Total: 1", the kinds asked for.
std::string TotalsLine(const TRunReport& f) {
    std::string line;
    if (f.Kinds.Unused) line = UiText[utUnusedTotal] + Count(f.Images.Found.Unused.size());
    if (f.Kinds.Unused && f.Kinds.Duplicates) line += UiText[utTotalsSeparator];
    if (f.Kinds.Duplicates) line += UiText[utDuplicateTotal] + Count(f.Images.Found.Duplicates.size());
    return line;
}

// The window's report lines and summary.
void WriteImageText(const TRunReport& f, TOutput& out) {
    static constexpr TTextId kPrefixes[] = {utMissingPrefix, utUnusedPrefix, utDuplicatePrefix};
    ForEachPlace(f.Images, false,
                 [&](TFindingKind finding, std::string_view name, const TRefRec& place, const std::string& tail) {
                     // With nothing declared the window shows the summary alone.
                     if (finding == fkUndeclared && f.SummaryId == utNoDefined) return;
                     out.Text(UiText[kPrefixes[finding]]);
                     WriteNameAndPlace(f, name, place, tail, out);
                 });
    out.Text(f.Summary + "\n");
    if (f.Kinds.Unused || f.Kinds.Duplicates) out.Text(TotalsLine(f) + "\n");
}

// "weapon: undeclared 1; unused 0", the kinds asked for.
void WriteKindSummary(const TRunReport& f, const TKindReport& kind, TOutput& out) {
    out.Utf8(kind.Title);
    out.Text(UiText[utKindTotalUndeclared] + Count(kind.Found.Undeclared.size()));
    if (f.Kinds.Unused) out.Text(UiText[utKindTotalUnused] + Count(kind.Found.Unused.size()));
    if (f.Kinds.Duplicates) out.Text(UiText[utKindTotalDuplicate] + Count(kind.Found.Duplicates.size()));
    out.Text("\n");
}

void WriteRulesSummaries(const TRunReport& f, TOutput& out) {
    for (const TKindReport& kind : f.Rules) {
        if (kind.Any()) WriteKindSummary(f, kind, out);
    }
}

void WriteText(const TRunReport& f, TOutput& out) {
    if (f.ImagesReported) WriteImageText(f, out);
    static constexpr TTextId kPrefixes[] = {utKindUndeclared, utKindUnused, utKindDuplicate};
    for (const TKindReport& kind : f.Rules) {
        ForEachPlace(kind, false,
                     [&](TFindingKind finding, std::string_view name, const TRefRec& place, const std::string& tail) {
                         out.Text(UiText[kPrefixes[finding]]);
                         out.Utf8(kind.Title);
                         out.Text(UiText[utKindName]);
                         WriteNameAndPlace(f, name, place, tail, out);
                     });
        if (kind.Any()) WriteKindSummary(f, kind, out);
    }
}

// PATH:LINE:COLUMN: what TITLE "NAME"
void WriteGnu(const TRunReport& f, TOutput& out, TOutput& err) {
    f.ForEachKind([&](const TKindReport& kind) {
        ForEachPlace(
            kind, true,
            [&](TFindingKind finding, std::string_view name, const TRefRec& place, const std::string& tail) {
                const std::string_view word =
                    kind.IsImage() && finding == fkUndeclared ? kGnuMissing : kFindingWords[finding];
                out.Bytes(GnuEscaped(f.State.FileList[static_cast<int32_t>(place.FileIndex)], kPathSeparator == '\\'));
                out.Text(":" + LineNumber(place) + ":" + Decimal(place.Column) + ": " + std::string(word) + " ");
                if (kind.IsImage()) {
                    out.Text(kGnuImage);
                } else {
                    out.Utf8(GnuEscaped(kind.Title, false));
                }
                out.Text(" \"");
                out.Bytes(GnuEscaped(name, false));
                out.Text("\"" + tail + "\n");
            });
    });
    if (f.ImagesReported) err.Text(f.Summary + "\n");
    WriteRulesSummaries(f, err);
}

void WriteJsonPlace(TJsonWriter& json, const TRunReport& f, const TRefRec& place) {
    json.Key("file");
    json.String(f.State.FileList[static_cast<int32_t>(place.FileIndex)]);
    json.Key("relative");
    json.String(f.Relative(place.FileIndex));
    json.Key("line");
    json.Number(int64_t{place.LineIndex} + 1);
    json.Key("column");
    json.Number(place.Column);
    json.Key("length");
    json.Number(place.Length);
}

void WriteJsonCount(TJsonWriter& json, std::string_view key, int64_t value) {
    json.Key(key);
    json.Number(value);
}

// An entry of `missing`, `unused` or `duplicates`: its kind, then its fields.
void OpenJsonEntry(TJsonWriter& json, const TKindReport& kind) {
    json.Open('{', false);
    json.Key("rule");
    json.String(kind.Id);
}

void WriteJsonFindings(const TRunReport& f, TJsonWriter& json) {
    json.Key("missing");
    json.Open('[', true);
    f.ForEachKind([&](const TKindReport& kind) {
        for (const int32_t k : kind.Found.Undeclared) {
            OpenJsonEntry(json, kind);
            WriteJsonCount(json, "ref", k);
            json.Key("name");
            json.String(kind.UsedName(k));
            WriteJsonPlace(json, f, kind.Use(k));
            json.Close('}');
        }
    });
    json.Close(']');
    if (f.Kinds.Unused) {
        json.Key("unused");
        json.Open('[', true);
        f.ForEachKind([&](const TKindReport& kind) {
            for (const int32_t i : kind.Found.Unused) {
                OpenJsonEntry(json, kind);
                json.Key("name");
                json.String(kind.DefinedName(i));
                WriteJsonPlace(json, f, kind.Declaration(i));
                json.Close('}');
            }
        });
        json.Close(']');
    }
    if (f.Kinds.Duplicates) {
        json.Key("duplicates");
        json.Open('[', true);
        f.ForEachKind([&](const TKindReport& kind) {
            for (const auto& places : kind.Found.Duplicates) {
                OpenJsonEntry(json, kind);
                json.Key("name");
                json.String(kind.DefinedName(places.front()));
                json.Key("places");
                json.Open('[', false);
                for (const int32_t i : places) {
                    json.Open('{', false);
                    WriteJsonPlace(json, f, kind.Declaration(i));
                    json.Close('}');
                }
                json.Close(']');
                json.Close('}');
            }
        });
        json.Close(']');
    }
}

void WriteJson(const TRunReport& f, TOutput& out) {
    const TScanState& s = f.State;
    TJsonWriter json(out);
    json.Open('{', true);
    json.Key("root");
    json.String(f.Root);
    json.Key("rules");
    if (f.RulesFile) {
        json.String(*f.RulesFile);
    } else {
        json.Null();
    }
    WriteJsonCount(json, "files", s.FileList.Count());
    // The image kind's counts; with images not reported there are none.
    WriteJsonCount(json, "references", f.ImagesReported ? s.UsedNames.Count() : 0);
    WriteJsonCount(json, "declarations", f.ImagesReported ? s.DefinedNames.Count() : 0);
    if (f.ExternalNames >= 0) WriteJsonCount(json, "declared_elsewhere", f.ExternalNames);
    WriteJsonFindings(f, json);
    if (f.BaselineUsed) {
        WriteJsonCount(json, "baselined", f.Baselined);
        json.Key("stale");
        json.Open('[', true);
        for (const std::string& entry : f.Stale) json.String(entry);
        json.Close(']');
    }
    json.Key("skipped");
    json.Open('[', true);
    for (const TSkippedEntry& entry : f.Problems.Skipped) {
        json.Open('{', false);
        json.Key("path");
        json.String(entry.Path);
        json.Key("reason");
        json.String(ReasonText(entry));
        json.Close('}');
    }
    json.Close(']');
    json.Key("warnings");
    json.Open('[', true);
    for (const TEncodingWarning& warning : f.Problems.Warnings) {
        json.Open('{', false);
        json.Key("kind");
        json.String("encoding");
        json.Key("path");
        json.String(warning.Path);
        json.Key("message");
        json.String(Utf8FromCp1251(UiText[EncodingText(warning.Encoding)]));
        json.Close('}');
    }
    json.Close(']');
    json.Key("summary");
    json.String(f.ImagesReported ? Utf8FromCp1251(f.Summary) : std::string());
    json.Close('}');
    json.Finish();
}

}  // namespace

std::string GnuEscaped(std::string_view bytes, bool backslashSeparates) {
    static const char kHex[] = "0123456789abcdef";
    constexpr std::string_view kEscapeLetters = "\\nrtx";
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (control(c)) {
            out += "\\x";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
        } else if (c == '\\' && !backslashSeparates && i + 1 < bytes.size() &&
                   kEscapeLetters.find(bytes[i + 1]) != std::string_view::npos) {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

std::string ReasonText(const TSkippedEntry& entry) {
    return entry.Reason.empty() ? Utf8FromCp1251(UiText[utNotRegularFile]) : entry.Reason;
}

void WriteFindings(TFormat format, const TRunReport& findings, TOutput& out, TOutput& err) {
    switch (format) {
        case TFormat::Text:
            WriteText(findings, out);
            break;
        case TFormat::Gnu:
            WriteGnu(findings, out, err);
            break;
        case TFormat::Json:
            WriteJson(findings, out);
            break;
        case TFormat::Sarif:
            WriteSarif(findings, out);
            break;
    }
}
