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
constexpr std::string_view kGnuMissing = ": missing image \"";
constexpr std::string_view kGnuUnused = ": unused image \"";
constexpr std::string_view kGnuDuplicate = ": duplicate image \"";
constexpr std::string_view kGnuPlaceOf = " (declaration ";
constexpr std::string_view kGnuPlaceOfTotal = " of ";
constexpr std::string_view kGnuPlaceEnd = ")";

std::string Decimal(int64_t value) {
    return std::to_string(value);
}

std::string LineNumber(const TRefRec& place) {
    return Decimal(int64_t{place.LineIndex} + 1);
}

// " (declaration 2 of 3)", from the table or in the gnu line's fixed words.
std::string PlaceOf(std::size_t index, std::size_t count, bool gnu) {
    std::string place(gnu ? kGnuPlaceOf : UiText[utPlaceOf]);
    place += Decimal(static_cast<int64_t>(index) + 1);
    place += gnu ? kGnuPlaceOfTotal : UiText[utPlaceOfTotal];
    place += Decimal(static_cast<int64_t>(count));
    place += gnu ? kGnuPlaceEnd : UiText[utPlaceEnd];
    return place;
}

// The window's report line, piece by piece so that each piece keeps its encoding.
void WriteMissingLine(const TRunReport& f, int32_t k, TOutput& out) {
    const TRefRec& ref = f.State.RefTable[k];
    out.Text(UiText[utMissingPrefix]);
    out.Bytes(f.State.UsedNames[k]);
    out.Text(UiText[utInFile]);
    out.Bytes(f.Relative(ref.FileIndex));
    out.Text(UiText[utAtLine]);
    out.Text(LineNumber(ref) + "\n");
}

// The same shape for a declaration.
void WriteDeclarationLine(const TRunReport& f, TTextId prefix, int32_t i, const std::string& tail, TOutput& out) {
    const TRefRec& place = f.Declaration(i);
    out.Text(UiText[prefix]);
    out.Bytes(f.State.DefinedNames[i]);
    out.Text(UiText[utInFile]);
    out.Bytes(f.Relative(place.FileIndex));
    out.Text(UiText[utAtLine] + LineNumber(place) + tail + "\n");
}

// "Unused MI Total: 2; Duplicate MI Total: 1", the kinds asked for.
std::string TotalsLine(const TRunReport& f) {
    std::string line;
    if (f.Kinds.Unused) line = UiText[utUnusedTotal] + Decimal(static_cast<int64_t>(f.Images.Found.Unused.size()));
    if (f.Kinds.Unused && f.Kinds.Duplicates) line += UiText[utTotalsSeparator];
    if (f.Kinds.Duplicates)
        line += UiText[utDuplicateTotal] + Decimal(static_cast<int64_t>(f.Images.Found.Duplicates.size()));
    return line;
}

void WriteText(const TRunReport& f, TOutput& out) {
    // With nothing declared the window shows the summary alone.
    if (f.SummaryId != utNoDefined) {
        for (const int32_t k : f.Images.Found.Undeclared) WriteMissingLine(f, k, out);
    }
    for (const int32_t i : f.Images.Found.Unused) WriteDeclarationLine(f, utUnusedPrefix, i, "", out);
    for (const auto& places : f.Images.Found.Duplicates) {
        for (std::size_t p = 0; p < places.size(); ++p) {
            WriteDeclarationLine(f, utDuplicatePrefix, places[p], PlaceOf(p, places.size(), false), out);
        }
    }
    out.Text(f.Summary + "\n");
    if (f.Kinds.Unused || f.Kinds.Duplicates) out.Text(TotalsLine(f) + "\n");
}

// PATH:LINE:COLUMN: what "NAME"
void WriteGnuLine(const TRunReport& f, const TRefRec& place, std::string_view what, std::string_view name,
                  const std::string& tail, TOutput& out) {
    out.Bytes(GnuEscaped(f.State.FileList[static_cast<int32_t>(place.FileIndex)], kPathSeparator == '\\'));
    out.Text(":" + LineNumber(place) + ":" + Decimal(place.Column) + std::string(what));
    out.Bytes(GnuEscaped(name, false));
    out.Text("\"" + tail + "\n");
}

void WriteGnu(const TRunReport& f, TOutput& out, TOutput& err) {
    const TScanState& s = f.State;
    for (const int32_t k : f.Images.Found.Undeclared)
        WriteGnuLine(f, s.RefTable[k], kGnuMissing, s.UsedNames[k], "", out);
    for (const int32_t i : f.Images.Found.Unused)
        WriteGnuLine(f, f.Declaration(i), kGnuUnused, s.DefinedNames[i], "", out);
    for (const auto& places : f.Images.Found.Duplicates) {
        for (std::size_t p = 0; p < places.size(); ++p) {
            const int32_t i = places[p];
            WriteGnuLine(f, f.Declaration(i), kGnuDuplicate, s.DefinedNames[i], PlaceOf(p, places.size(), true), out);
        }
    }
    err.Text(f.Summary + "\n");
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

void WriteJson(const TRunReport& f, TOutput& out) {
    const TScanState& s = f.State;
    TJsonWriter json(out);
    json.Open('{', true);
    json.Key("root");
    json.String(f.Root);
    WriteJsonCount(json, "files", s.FileList.Count());
    WriteJsonCount(json, "references", s.UsedNames.Count());
    WriteJsonCount(json, "declarations", s.DefinedNames.Count());
    if (f.ExternalNames >= 0) WriteJsonCount(json, "declared_elsewhere", f.ExternalNames);
    json.Key("missing");
    json.Open('[', true);
    for (const int32_t k : f.Images.Found.Undeclared) {
        json.Open('{', false);
        WriteJsonCount(json, "ref", k);
        json.Key("name");
        json.String(s.UsedNames[k]);
        WriteJsonPlace(json, f, s.RefTable[k]);
        json.Close('}');
    }
    json.Close(']');
    if (f.Kinds.Unused) {
        json.Key("unused");
        json.Open('[', true);
        for (const int32_t i : f.Images.Found.Unused) {
            json.Open('{', false);
            json.Key("name");
            json.String(s.DefinedNames[i]);
            WriteJsonPlace(json, f, f.Declaration(i));
            json.Close('}');
        }
        json.Close(']');
    }
    if (f.Kinds.Duplicates) {
        json.Key("duplicates");
        json.Open('[', true);
        for (const auto& places : f.Images.Found.Duplicates) {
            json.Open('{', false);
            json.Key("name");
            json.String(s.DefinedNames[places.front()]);
            json.Key("places");
            json.Open('[', false);
            for (const int32_t i : places) {
                json.Open('{', false);
                WriteJsonPlace(json, f, f.Declaration(i));
                json.Close('}');
            }
            json.Close(']');
            json.Close('}');
        }
        json.Close(']');
    }
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
    json.String(Utf8FromCp1251(f.Summary));
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
