// Writes a seeded, reproducible tree of definition files for the benchmark:
// nested folders, object files whose blocks use images (padded, commented out,
// with trailing comments), image files full of MappedImage blocks, CR LF and
// LF files, some names in capitals, and a share of names that nothing declares.
// With --rules U, U per thousand of the object blocks' lines that may name a
// thing of ten other kinds do (the others are plain lines), files of their
// own declare those things, and DIR/tessaron.toml holds the ten rules.
//
//   tessaron-bench-gen DIR --files N --mb M --refs R --decls D [--seed S] [--missing-permille P] [--rules U]
//   tessaron-bench-gen DIR --long-line-mb M
//
// DIR/tree.txt receives what was written, including the number of undeclared
// references that a correct checker must report.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class TRandom {
public:
    explicit TRandom(uint64_t seed) : State_(seed) {}
    uint64_t Next() {
        uint64_t z = (State_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint64_t n) { return static_cast<uint32_t>(Next() % n); }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
    bool Chance(double p) { return Unit() < p; }

private:
    uint64_t State_;
};

const char* const kWords[] = {
    "America",  "China",   "Gla",    "Tank",     "Crusader", "Paladin",  "Ranger",   "Humvee",   "Raptor",
    "Comanche", "Chinook", "Dozer",  "Barracks", "Factory",  "Reactor",  "Bunker",   "Gattling", "Overlord",
    "Troop",    "Scud",    "Rebel",  "Hijacker", "Jarmen",   "Saboteur", "Marauder", "Scorpion", "Quad",
    "Bomb",     "Truck",   "Supply", "Center",   "Command",  "Strategy", "Airfield", "Patriot",  "Laser",
    "Nuke",     "Cannon",  "Dragon", "Inferno",  "Helix",    "Mig",      "Stealth",  "Aurora",   "Ambulance",
    "Sentry",   "Drone",   "Scout",  "Battle",   "Master"};
constexpr int kWordCount = sizeof(kWords) / sizeof(kWords[0]);

const char* const kPrefixes[] = {"SN", "SS", "SU", "SA", "SC", "BN", "SAU", "SCU", "SNG", "SSU"};
constexpr int kPrefixCount = sizeof(kPrefixes) / sizeof(kPrefixes[0]);

const char* const kFolderWords[] = {"Data",        "INI",      "Object",   "MappedImages", "TextureSize_512",
                                    "HandCreated", "Default",  "Campaign", "Maps",         "Generals",
                                    "Faction",     "Upgrades", "Weapons",  "CommandSets",  "Art",
                                    "Patch",       "Mod",      "Civilian", "Boss",         "Shared"};
constexpr int kFolderWordCount = sizeof(kFolderWords) / sizeof(kFolderWords[0]);

// Ordinary body lines of object blocks; %d takes a number, %s a word.
const char* const kFiller[] = {
    "DisplayName         = OBJECT:%s%d",
    "Side                = %s",
    "EditorSorting       = VEHICLE",
    "TransportSlotCount  = %d",
    "BuildCost           = %d",
    "BuildTime           = %d.0",
    "VisionRange         = %d",
    "ShroudClearingRange = %d",
    "ArmorSet",
    "  Conditions      = None",
    "  Armor           = %sArmor",
    "  DamageFX        = %sDamageFX",
    "End",
    "WeaponSet",
    "  Conditions = None",
    "  Weapon = PRIMARY %sGun%d",
    "End",
    "Draw = W3DTankDraw ModuleTag_%02d",
    "  OkToChangeModelColor = Yes",
    "  DefaultConditionState",
    "    Model = AV%s%d",
    "    Turret = Turret%d",
    "  End",
    "End",
    "Behavior = PhysicsBehavior ModuleTag_%02d",
    "  Mass = %d.0",
    "End",
    "Locomotor = SET_NORMAL %sLocomotor",
    "Geometry            = BOX",
    "GeometryMajorRadius = %d.0",
    "GeometryMinorRadius = %d.0",
    "GeometryHeight      = %d.0",
    "Shadow              = SHADOW_VOLUME",
    "VoiceSelect         = %sVoiceSelect",
    "UnitSpecificSounds",
    "  VoiceCreate = %sVoiceCreate",
    "End",
    "KindOf = PRELOAD SELECTABLE CAN_ATTACK ATTACK_NEEDS_LINE_OF_SIGHT VEHICLE SCORE",
    "CommandSet = %sCommandSet",
    "ExperienceValue     = %d %d %d %d",
    "Prerequisites",
    "  Object = %sWarFactory",
    "End",
};
constexpr int kFillerCount = sizeof(kFiller) / sizeof(kFiller[0]);

// The ten kinds of the rules variant, in the shapes a project file gives:
// header declarations, keyed uses, context blocks, '*' keys, N and N- tokens, ignore.
struct TKind {
    const char* Id;
    const char* Prefix;      // of the names of this kind
    const char* DeclaredBy;  // the header that declares one in the kind's own file
    const char* Also;        // another declaring header, or nullptr
    const char* Ignore;      // a value that names nothing, or nullptr
    const char* Uses;        // the `use` list of the project file
};
const TKind kKinds[] = {
    {"weapon", "Wpn", "Weapon", nullptr, "NONE",
     R"({ key = "Weapon", in = "WeaponSet", tokens = "2" }, { key = "DeathWeapon" })"},
    {"armor", "Arm", "Armor", nullptr, nullptr, R"({ key = "Armor", in = "ArmorSet" })"},
    {"damagefx", "Dfx", "DamageFX", nullptr, nullptr, R"({ key = "DamageFX", in = "ArmorSet" })"},
    {"locomotor", "Loc", "Locomotor", nullptr, nullptr, R"({ key = "Locomotor", tokens = "2-" })"},
    {"sound", "Snd", "AudioEvent", nullptr, "NoSound",
     R"({ key = "VoiceSelect" }, { key = "VoiceCreate", in = "UnitSpecificSounds" })"},
    {"commandset", "Cs", "CommandSet", nullptr, nullptr, R"({ key = "CommandSet" })"},
    {"object", "Obj", "ChildObject", "Object", nullptr, R"({ key = "Object", in = "Prerequisites" })"},
    {"button", "Btn", "CommandButton", nullptr, nullptr, R"({ key = "*", in = "CommandSet" })"},
    {"upgrade", "Upg", "Upgrade", nullptr, "None", R"({ key = "Upgrade", in = "CommandButton" })"},
    {"science", "Sci", "Science", nullptr, nullptr, R"({ key = "Science", tokens = "1-" })"},
};
constexpr int kKindCount = sizeof(kKinds) / sizeof(kKinds[0]);
enum EKind { kWeapon, kArmor, kDamageFx, kLocomotor, kSound, kCommandSet, kObject, kButton, kUpgrade, kScience };

// In the rules variant, the filler lines that use a thing of a kind: the
// text before the name (or names), the kind, and the context block that the
// use needs open (nullptr: none).
struct TKindLine {
    int Filler;
    const char* Head;
    int Kind;
    const char* In;
};
const TKindLine kKindLines[] = {
    {10, "  Armor           = ", kArmor, "ArmorSet"},  {11, "  DamageFX        = ", kDamageFx, "ArmorSet"},
    {15, "  Weapon = PRIMARY ", kWeapon, "WeaponSet"}, {27, "Locomotor = SET_NORMAL ", kLocomotor, nullptr},
    {33, "VoiceSelect         = ", kSound, nullptr},   {35, "  VoiceCreate = ", kSound, "UnitSpecificSounds"},
    {38, "CommandSet = ", kCommandSet, nullptr},       {41, "  Object = ", kObject, "Prerequisites"},
};
// The filler's headers that open a context block of the rules.
const char* const kContexts[] = {"ArmorSet", "WeaponSet", "UnitSpecificSounds", "Prerequisites"};

struct TFilePlan {
    std::string Path;  // relative to the root
    bool ImageFile = false;
    bool Crlf = false;
    uint64_t Budget = 0;
    uint64_t Refs = 0;
    uint64_t Decls = 0;
};

struct TTotals {
    uint64_t Files = 0;
    uint64_t Bytes = 0;
    uint64_t Refs = 0;
    uint64_t Decls = 0;
    uint64_t Missing = 0;
    uint64_t PathBytes = 0;
    uint64_t UsedNameBytes = 0;
    uint64_t DeclNameBytes = 0;
    uint64_t RuleUses = 0;
    uint64_t RuleMissing = 0;
    uint64_t RuleDecls = 0;
};

class TWriter {
public:
    TWriter(TRandom& random, uint64_t declared, uint64_t missingPool, double missingShare)
        : Random_(random), Declared_(declared), MissingPool_(missingPool), MissingShare_(missingShare) {}

    // The rules variant: `pool` names of each kind are declared, and of the
    // filler lines that may use one, `permille` do.
    void WithRules(uint64_t pool, uint64_t permille) {
        KindPool_ = pool;
        KindShare_ = static_cast<double>(permille) / 1000.0;
    }

    void Line(bool crlf, const char* text) {
        Text_ += text;
        Text_ += crlf ? "\r\n" : "\n";
    }
    void Printf(bool crlf, const char* format, ...) __attribute__((format(printf, 3, 4))) {
        char buffer[512];
        va_list args;
        va_start(args, format);
        vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        Line(crlf, buffer);
    }

    static std::string NameOf(uint64_t id) {
        std::string name = kPrefixes[id % kPrefixCount];
        name += kWords[(id / kPrefixCount) % kWordCount];
        name += kWords[(id / 7) % kWordCount];
        name += '_';
        name += std::to_string(id);
        return name;
    }

    // A used name: mostly a declared one, some undeclared; ASCII case may differ.
    std::string UsedName(bool& missing) {
        missing = Random_.Chance(MissingShare_);
        const uint64_t id = missing ? Declared_ + Random_.Below(MissingPool_) : Random_.Below(Declared_);
        std::string name = NameOf(id);
        if (Random_.Chance(0.03)) {
            for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return name;
    }

    void Ref(bool crlf, TTotals& totals) {
        bool missing = false;
        const std::string name = UsedName(missing);
        const char* key = Random_.Chance(0.5) ? "SelectPortrait" : "ButtonImage";
        const int indent = static_cast<int>(Random_.Below(3)) * 2;
        const uint32_t style = Random_.Below(10);
        if (style < 6) {
            Printf(crlf, "%*s%-20s= %s", indent, "", key, name.c_str());
        } else if (style < 8) {
            Printf(crlf, "%*s%s = %s ; was %s", indent, "", key, name.c_str(), kWords[Random_.Below(kWordCount)]);
        } else if (style < 9) {
            Printf(crlf, "%*s%s\t= %s   // keep", indent, "", key, name.c_str());
        } else {
            Printf(crlf, "%*s%s=%s", indent, "", key, name.c_str());
        }
        ++totals.Refs;
        totals.UsedNameBytes += name.size();
        if (missing) ++totals.Missing;
    }

    // A use that a comment switched off: it counts for nothing.
    void DeadRef(bool crlf) {
        bool missing = false;
        const std::string name = UsedName(missing);
        const char* key = Random_.Chance(0.5) ? "SelectPortrait" : "ButtonImage";
        if (Random_.Chance(0.5)) {
            Printf(crlf, ";%-20s= %s", key, name.c_str());
        } else {
            Printf(crlf, "  //%s = %s", key, name.c_str());
        }
    }

    static std::string KindName(int kind, uint64_t id) {
        return std::string(kKinds[kind].Prefix) + kWords[id % kWordCount] + "_" + std::to_string(id);
    }

    // A name of the kind, or a few undeclared ones, where the use counts.
    void KindToken(int kind, bool counts, std::string& text, TTotals& totals) {
        const char* ignore = kKinds[kind].Ignore;
        if (ignore != nullptr && Random_.Chance(0.02)) {
            text += ignore;
            return;
        }
        const bool missing = counts && Random_.Chance(kKindMissingShare);
        text += KindName(kind, missing ? KindPool_ + Random_.Below(100) : Random_.Below(KindPool_));
        totals.RuleUses += counts ? 1 : 0;
        totals.RuleMissing += missing ? 1 : 0;
    }

    // Follows the context blocks as the rules see them.
    void Track(const char* line) {
        while (*line == ' ') ++line;
        if (std::strcmp(line, "End") == 0) Open_ = nullptr;
        for (const char* context : kContexts) {
            if (std::strcmp(line, context) == 0) Open_ = context;
        }
    }

    void KindLine(bool crlf, const TKindLine& use, TTotals& totals) {
        const bool counts = use.In == nullptr || (Open_ != nullptr && std::strcmp(Open_, use.In) == 0);
        std::string text = use.Head;
        for (uint32_t n = use.Kind == kLocomotor ? 1 + Random_.Below(2) : 1; n > 0; --n) {
            KindToken(use.Kind, counts, text, totals);
            if (n > 1) text += ' ';
        }
        Printf(crlf, "  %s", text.c_str());
    }

    void Filler(bool crlf, uint32_t line, TTotals& totals) {
        if (KindPool_ > 0) {
            for (const TKindLine& use : kKindLines) {
                if (use.Filler != static_cast<int>(line % kFillerCount)) continue;
                if (Random_.Chance(KindShare_)) return KindLine(crlf, use, totals);
                // One of the plain lines at the top of the cycle instead.
                line = Random_.Below(8);
                break;
            }
            Track(kFiller[line % kFillerCount]);
        }
        const char* format = kFiller[line % kFillerCount];
        const char* word = kWords[Random_.Below(kWordCount)];
        const int number = static_cast<int>(Random_.Below(2000));
        char buffer[256];
        if (std::strstr(format, "%s") != nullptr) {
            if (std::strstr(format, "%d") != nullptr) {
                std::snprintf(buffer, sizeof buffer, format, word, number);
            } else {
                std::snprintf(buffer, sizeof buffer, format, word);
            }
        } else {
            std::snprintf(buffer, sizeof buffer, format, number, number / 2, number / 3, number / 4);
        }
        Printf(crlf, "  %s", buffer);
    }

    void ObjectFile(const TFilePlan& plan, TTotals& totals) {
        const bool crlf = plan.Crlf;
        uint64_t refsLeft = plan.Refs;
        Line(crlf, ";------------------------------------------------------------------------------");
        Printf(crlf, "; %s", plan.Path.c_str());
        Line(crlf, ";------------------------------------------------------------------------------");
        while (Text_.size() < plan.Budget || refsLeft > 0) {
            Printf(crlf, "Object %s%s_%u", kWords[Random_.Below(kWordCount)], kWords[Random_.Below(kWordCount)],
                   Random_.Below(100000));
            const uint64_t roomLeft = plan.Budget > Text_.size() ? plan.Budget - Text_.size() : 0;
            // Spread the references evenly over the bytes that are left.
            const uint64_t blockRefs = refsLeft == 0     ? 0
                                       : roomLeft < 1200 ? refsLeft
                                                         : std::max<uint64_t>(1, refsLeft * 1200 / roomLeft);
            const uint64_t here = std::min(refsLeft, blockRefs + Random_.Below(2));
            const uint32_t body = 12 + Random_.Below(30);
            const uint32_t first = Random_.Below(kFillerCount);
            for (uint32_t i = 0; i < body; ++i) {
                if (i % 8 == 3 && Random_.Chance(0.3)) Line(crlf, "");
                if (i % 11 == 5 && Random_.Chance(0.3)) Line(crlf, "  ; *** AUDIO Parameters ***");
                Filler(crlf, first + i, totals);
                if (i == body / 2 && Random_.Chance(0.2)) DeadRef(crlf);
            }
            for (uint64_t r = 0; r < here; ++r) Ref(crlf, totals);
            refsLeft -= here;
            Line(crlf, "End");
            Open_ = nullptr;
            Line(crlf, "");
        }
    }

    void ImageFile(const TFilePlan& plan, uint64_t& nextDecl, TTotals& totals) {
        const bool crlf = plan.Crlf;
        Line(crlf, "; Images on one texture page");
        for (uint64_t d = 0; d < plan.Decls;) {
            // A few names are declared twice; the list keeps both.
            const bool again = Random_.Chance(0.01) && nextDecl > 0;
            const uint64_t id = again ? Random_.Below(nextDecl) : nextDecl++;
            if (!again) ++d;
            const std::string name = NameOf(id);
            const uint32_t style = Random_.Below(20);
            if (style == 0) {
                Printf(crlf, "MappedImage %s ; page %u", name.c_str(), Random_.Below(9));
            } else if (style == 1) {
                Printf(crlf, "MappedImage  %s", name.c_str());
            } else {
                Printf(crlf, "MappedImage %s", name.c_str());
            }
            const uint32_t page = Random_.Below(40);
            const uint32_t left = Random_.Below(450);
            const uint32_t top = Random_.Below(450);
            Printf(crlf, "  Texture = SN%sPage%02u.tga", kWords[page % kWordCount], page);
            Line(crlf, "  TextureWidth = 512");
            Line(crlf, "  TextureHeight = 512");
            Printf(crlf, "  Coords = Left:%u Top:%u Right:%u Bottom:%u", left, top, left + 61, top + 48);
            Line(crlf, "  Status = NONE");
            Line(crlf, "End");
            if (Random_.Chance(0.02)) Printf(crlf, ";MappedImage %sOld", name.c_str());
            Line(crlf, "");
            ++totals.Decls;
            totals.DeclNameBytes += name.size();
        }
    }

    // The declarations of one kind: blocks whose lines use other kinds.
    void KindFile(int kind, TTotals& totals) {
        const bool crlf = kind % 2 == 0;
        Printf(crlf, "; Things of the kind %s", kKinds[kind].Id);
        for (uint64_t id = 0; id < KindPool_; ++id) {
            const std::string name = KindName(kind, id);
            Printf(crlf, "%s %s", kKinds[kind].DeclaredBy, name.c_str());
            ++totals.RuleDecls;
            std::string text;
            if (kind == kCommandSet) {
                const uint32_t slots = 1 + Random_.Below(8);
                for (uint32_t slot = 1; slot <= slots; ++slot) {
                    text = "  " + std::to_string(slot) + " = ";
                    KindToken(kButton, true, text, totals);
                    Line(crlf, text.c_str());
                }
            } else if (kind == kButton) {
                Line(crlf, "  Command = UNIT_BUILD");
                text = "  Upgrade = ";
                KindToken(kUpgrade, true, text, totals);
                Line(crlf, text.c_str());
                text = "  Science = ";
                KindToken(kScience, true, text, totals);
                text += ' ';
                KindToken(kScience, true, text, totals);
                Line(crlf, text.c_str());
            } else {
                Printf(crlf, "  Value = %u ; %s", Random_.Below(1000), kWords[Random_.Below(kWordCount)]);
            }
            Line(crlf, "End");
            Line(crlf, "");
        }
    }

    std::string& Text() { return Text_; }

private:
    TRandom& Random_;
    uint64_t Declared_;
    uint64_t MissingPool_;
    double MissingShare_;
    static constexpr double kKindMissingShare = 0.0002;
    uint64_t KindPool_ = 0;
    double KindShare_ = 0;
    const char* Open_ = nullptr;  // the open context block
    std::string Text_;
};

// The project file of the rules variant.
std::string ProjectFile() {
    std::string text = "# The ten rules of the benchmark's rules variant\nimage = true\n";
    for (const TKind& kind : kKinds) {
        text += std::string("\n[[rule]]\nid = \"") + kind.Id + "\"\ntitle = \"" + kind.Id + "\"\ndeclared-by = [\"" +
                kind.DeclaredBy + "\"" + (kind.Also != nullptr ? std::string(", \"") + kind.Also + "\"" : "") + "]\n";
        if (kind.Ignore != nullptr) text += std::string("ignore = [\"") + kind.Ignore + "\"]\n";
        text += std::string("use = [") + kind.Uses + "]\n";
    }
    return text;
}

void MakeDirs(const std::string& path) {
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
    }
}

void WriteFile(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

std::vector<std::string> MakeFolders(TRandom& random, std::size_t count) {
    std::vector<std::string> folders{"Data/INI"};
    std::vector<int> depth{2};
    while (folders.size() < count) {
        // Prefer deep parents so the tree reaches four and five levels.
        std::size_t parent = random.Below(folders.size());
        if (depth[parent] < 3 && random.Chance(0.6)) parent = random.Below(folders.size());
        if (depth[parent] >= 6) continue;
        std::string name = kFolderWords[random.Below(kFolderWordCount)];
        if (random.Chance(0.5)) name += std::to_string(random.Below(50));
        folders.push_back(folders[parent] + "/" + name);
        depth.push_back(depth[parent] + 1);
    }
    return folders;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: tessaron-bench-gen DIR --files N --mb M --refs R --decls D [--seed S] [--missing-permille P]\n"
                 "       [--rules U]\n"
                 "       tessaron-bench-gen DIR --long-line-mb M\n");
    return 2;
}

void WriteTotals(const std::string& root, const TTotals& t) {
    FILE* file = std::fopen((root + "/tree.txt").c_str(), "w");
    if (file == nullptr) {
        std::perror("tree.txt");
        std::exit(1);
    }
    std::fprintf(file,
                 "files %llu\nbytes %llu\nrefs %llu\ndecls %llu\nmissing %llu\npath_bytes %llu\n"
                 "used_name_bytes %llu\ndecl_name_bytes %llu\nrule_uses %llu\nrule_missing %llu\nrule_decls %llu\n",
                 static_cast<unsigned long long>(t.Files), static_cast<unsigned long long>(t.Bytes),
                 static_cast<unsigned long long>(t.Refs), static_cast<unsigned long long>(t.Decls),
                 static_cast<unsigned long long>(t.Missing), static_cast<unsigned long long>(t.PathBytes),
                 static_cast<unsigned long long>(t.UsedNameBytes), static_cast<unsigned long long>(t.DeclNameBytes),
                 static_cast<unsigned long long>(t.RuleUses), static_cast<unsigned long long>(t.RuleMissing),
                 static_cast<unsigned long long>(t.RuleDecls));
    std::fclose(file);
}

// One file holding a single line of `megabytes` MB, between two ordinary lines.
int WriteLongLine(const std::string& root, uint64_t megabytes) {
    MakeDirs(root + "/Data/INI");
    std::string text = "MappedImage SNLong\r\nCoords = ";
    text.append(megabytes << 20, 'x');
    text += "\r\nButtonImage = SNLong\r\n";
    WriteFile(root + "/Data/INI/long.ini", text);
    TTotals totals;
    totals.Files = 1;
    totals.Bytes = text.size();
    totals.Refs = 1;
    totals.Decls = 1;
    totals.PathBytes = root.size() + 17;
    totals.UsedNameBytes = 6;
    totals.DeclNameBytes = 6;
    WriteTotals(root, totals);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string root = argv[1];
    uint64_t files = 500, megabytes = 25, refs = 50000, decls = 10000, seed = 1, missingPermille = 30;
    uint64_t longLine = 0, rules = 0;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const uint64_t value = std::strtoull(argv[i + 1], nullptr, 10);
        if (option == "--files") {
            files = value;
        } else if (option == "--mb") {
            megabytes = value;
        } else if (option == "--refs") {
            refs = value;
        } else if (option == "--decls") {
            decls = value;
        } else if (option == "--seed") {
            seed = value;
        } else if (option == "--missing-permille") {
            missingPermille = value;
        } else if (option == "--rules") {
            rules = value;
        } else if (option == "--long-line-mb") {
            longLine = value;
        } else {
            return Usage();
        }
    }
    if (longLine > 0) return WriteLongLine(root, longLine);
    if (files < 2 || decls == 0) return Usage();

    TRandom random(seed);
    const std::vector<std::string> folders = MakeFolders(random, std::max<uint64_t>(4, files / 10));

    // About one file in twelve holds the image declarations; sizes vary widely.
    std::vector<TFilePlan> plans(files);
    const uint64_t imageFiles = std::max<uint64_t>(1, files / 12);
    double weightSum = 0;
    std::vector<double> weights(files);
    for (uint64_t i = 0; i < files; ++i) {
        TFilePlan& plan = plans[i];
        plan.ImageFile = i < imageFiles;
        plan.Crlf = random.Chance(0.6);
        const std::string& folder = folders[random.Below(folders.size())];
        plan.Path = folder + "/" + kWords[random.Below(kWordCount)] + std::to_string(i) +
                    (random.Chance(0.05) ? ".INI" : ".ini");
        weights[i] = plan.ImageFile ? 0 : std::exp(1.2 * (random.Unit() * 2 - 1) * 1.5);
        weightSum += weights[i];
    }
    const uint64_t imageBytes = decls * 150;
    const uint64_t totalBytes = megabytes << 20;
    const uint64_t objectBytes = totalBytes > imageBytes ? totalBytes - imageBytes : totalBytes / 2;
    uint64_t refsGiven = 0, declsGiven = 0;
    double weightSeen = 0;
    for (uint64_t i = 0; i < files; ++i) {
        TFilePlan& plan = plans[i];
        if (plan.ImageFile) {
            const uint64_t upTo = decls * (i + 1) / imageFiles;
            plan.Decls = upTo - declsGiven;
            declsGiven = upTo;
        } else {
            weightSeen += weights[i];
            plan.Budget = static_cast<uint64_t>(static_cast<double>(objectBytes) * weights[i] / weightSum);
            const auto upTo = static_cast<uint64_t>(static_cast<double>(refs) * weightSeen / weightSum + 0.5);
            plan.Refs = upTo - refsGiven;
            refsGiven = upTo;
        }
    }

    TWriter writer(random, decls, std::max<uint64_t>(1, decls / 10), static_cast<double>(missingPermille) / 1000.0);
    if (rules != 0) writer.WithRules(std::max<uint64_t>(50, decls / 40), rules);
    TTotals totals;
    uint64_t nextDecl = 0;
    for (const std::string& folder : folders) MakeDirs(root + "/" + folder);
    // Files that are not definitions, which the mask must leave out.
    WriteFile(root + "/Data/INI/readme.txt", "ButtonImage = SNNotADefinition\n");
    WriteFile(root + "/Data/INI/Object.ini.bak", "ButtonImage = SNNotADefinition\n");
    for (const TFilePlan& plan : plans) {
        writer.Text().clear();
        if (plan.ImageFile) {
            writer.ImageFile(plan, nextDecl, totals);
        } else {
            writer.ObjectFile(plan, totals);
        }
        WriteFile(root + "/" + plan.Path, writer.Text());
        ++totals.Files;
        totals.Bytes += writer.Text().size();
        totals.PathBytes += root.size() + 1 + plan.Path.size();
    }
    if (rules != 0) {
        MakeDirs(root + "/Data/INI/Kinds");
        for (int kind = 0; kind < kKindCount; ++kind) {
            writer.Text().clear();
            writer.KindFile(kind, totals);
            const std::string path = std::string("Data/INI/Kinds/") + kKinds[kind].Id + ".ini";
            WriteFile(root + "/" + path, writer.Text());
            ++totals.Files;
            totals.Bytes += writer.Text().size();
            totals.PathBytes += root.size() + 1 + path.size();
        }
        WriteFile(root + "/tessaron.toml", ProjectFile());
        // The same tree checked for images only.
        WriteFile(root + "/images-only.toml", "image = true\n");
    }
    WriteTotals(root, totals);
    return 0;
}
