#include "formats.h"

#include <string>

#include "console_text.h"
#include "cp1251.h"
#include "json.h"

namespace {

std::string Decimal(int64_t value) {
    return std::to_string(value);
}

// The window's report line, piece by piece so that each piece keeps its encoding.
void WriteMissingLine(const TFindings& f, int32_t k, TOutput& out) {
    const TRefRec& ref = f.State.RefTable[k];
    out.Text(UiText[utMissingPrefix]);
    out.Bytes(f.State.UsedNames[k]);
    out.Text(UiText[utInFile]);
    out.Bytes(f.Relative(ref.FileIndex));
    out.Text(UiText[utAtLine]);
    out.Text(Decimal(int64_t{ref.LineIndex} + 1) + "\n");
}

void WriteText(const TFindings& f, TOutput& out) {
    for (const int32_t k : f.Missing) WriteMissingLine(f, k, out);
    out.Text(f.Summary + "\n");
}

// PATH:LINE:COLUMN: what "NAME"
void WriteGnuLine(const TFindings& f, const TRefRec& place, TConsoleTextId what, std::string_view name, TOutput& out) {
    out.Bytes(f.State.FileList[static_cast<int32_t>(place.FileIndex)]);
    out.Text(":" + Decimal(int64_t{place.LineIndex} + 1) + ":" + Decimal(place.Column) + ConsoleText[what]);
    out.Bytes(name);
    out.Text("\"\n");
}

void WriteGnu(const TFindings& f, TOutput& out, TOutput& err) {
    for (const int32_t k : f.Missing) WriteGnuLine(f, f.State.RefTable[k], ctGnuMissing, f.State.UsedNames[k], out);
    err.Text(f.Summary + "\n");
}

// A JSON document written by hand: objects inside arrays on one line each,
// so that two runs diff line by line.
class TJson {
public:
    void Key(std::string_view key) {
        Item();
        AppendJsonString(Text_, key);
        Text_ += ": ";
        AfterKey_ = true;
    }
    void String(std::string_view bytes) {
        Item();
        AppendJsonString(Text_, bytes);
    }
    void Number(int64_t value) {
        Item();
        Text_ += Decimal(value);
    }
    void Open(char bracket, bool multiline) {
        Item();
        Text_ += bracket;
        Levels_.push_back({multiline, true});
    }
    void Close(char bracket) {
        const TLevel level = Levels_.back();
        Levels_.pop_back();
        if (level.Multiline && !level.Empty) NewLine();
        Text_ += bracket;
    }
    const std::string& Str() const { return Text_; }

private:
    struct TLevel {
        bool Multiline;
        bool Empty;
    };

    // Before every key, and before every value that does not follow a key.
    void Item() {
        if (AfterKey_) {
            AfterKey_ = false;
            return;
        }
        if (Levels_.empty()) return;
        TLevel& level = Levels_.back();
        if (!level.Empty) Text_ += ',';
        if (level.Multiline) {
            NewLine();
        } else if (!level.Empty) {
            Text_ += ' ';
        }
        level.Empty = false;
    }
    void NewLine() {
        Text_ += '\n';
        Text_.append(2 * Levels_.size(), ' ');
    }

    std::string Text_;
    std::vector<TLevel> Levels_;
    bool AfterKey_ = false;
};

void WriteJsonPlace(TJson& json, const TFindings& f, const TRefRec& place) {
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

void WriteJson(const TFindings& f, TOutput& out) {
    TJson json;
    json.Open('{', true);
    json.Key("root");
    json.String(f.Root);
    json.Key("files");
    json.Number(f.State.FileList.Count());
    json.Key("references");
    json.Number(f.State.UsedNames.Count());
    json.Key("declarations");
    json.Number(f.State.DefinedNames.Count());
    json.Key("missing");
    json.Open('[', true);
    for (const int32_t k : f.Missing) {
        json.Open('{', false);
        json.Key("ref");
        json.Number(k);
        json.Key("name");
        json.String(f.State.UsedNames[k]);
        WriteJsonPlace(json, f, f.State.RefTable[k]);
        json.Close('}');
    }
    json.Close(']');
    json.Key("summary");
    json.String(Utf8FromCp1251(f.Summary));
    json.Close('}');
    out.Utf8(json.Str() + "\n");
}

}  // namespace

void WriteFindings(TFormat format, const TFindings& findings, TOutput& out, TOutput& err) {
    switch (format) {
        case TFormat::Text:
            WriteText(findings, out);
            break;
        case TFormat::Gnu:
            WriteGnu(findings, out, err);
            break;
        case TFormat::Json:
        case TFormat::Sarif:
            WriteJson(findings, out);
            break;
    }
}
