#include "options.h"

#include <optional>
#include <set>
#include <string_view>

namespace {

// A Value option may be given once; a List option as often as wanted.
enum class TArity { Flag, Value, List };

struct TOptionRule {
    std::string_view Name;
    TArity Arity;
    // Stores the value; false when the value is not one the option takes.
    bool (*Apply)(TOptions& options, const std::string& value);
};

bool ApplyLang(TOptions& o, const std::string& v) {
    if (v != "ru" && v != "en") return false;
    o.English = v == "en";
    return true;
}

bool ApplyFormat(TOptions& o, const std::string& v) {
    if (v == "text") {
        o.Format = TFormat::Text;
    } else if (v == "gnu") {
        o.Format = TFormat::Gnu;
    } else if (v == "json") {
        o.Format = TFormat::Json;
    } else if (v == "sarif") {
        o.Format = TFormat::Sarif;
    } else {
        return false;
    }
    return true;
}

// 1 to kMostJobs threads, in decimal digits.
bool ApplyJobs(TOptions& o, const std::string& v) {
    constexpr unsigned kMostJobs = 256;
    if (v.empty() || v.size() > 3 || v.find_first_not_of("0123456789") != std::string::npos) return false;
    o.Jobs = static_cast<unsigned>(std::stoul(v));
    return o.Jobs >= 1 && o.Jobs <= kMostJobs;
}

bool NonEmpty(const std::string& v) {
    return !v.empty();
}

// clang-format off
const TOptionRule kOptions[] = {
    {"--help", TArity::Flag, [](TOptions& o, const std::string&) { return o.Help = true; }},
    {"-h", TArity::Flag, [](TOptions& o, const std::string&) { return o.Help = true; }},
    {"--version", TArity::Flag, [](TOptions& o, const std::string&) { return o.Version = true; }},
    {"--lang", TArity::Value, ApplyLang},
    {"--format", TArity::Value, ApplyFormat},
    {"--declared-in", TArity::List, [](TOptions& o, const std::string& v) { o.DeclaredIn.push_back(v); return NonEmpty(v); }},
    {"--names", TArity::List, [](TOptions& o, const std::string& v) { o.NameFiles.push_back(v); return NonEmpty(v); }},
    {"--rules", TArity::Value, [](TOptions& o, const std::string& v) { o.RulesFile = v; return NonEmpty(v); }},
    {"--unused", TArity::Flag, [](TOptions& o, const std::string&) { return o.Unused = true; }},
    {"--duplicates", TArity::Flag, [](TOptions& o, const std::string&) { return o.Duplicates = true; }},
    {"--baseline", TArity::Value, [](TOptions& o, const std::string& v) { o.Baseline = v; return NonEmpty(v); }},
    {"--write-baseline", TArity::Value, [](TOptions& o, const std::string& v) { o.WriteBaseline = v; return NonEmpty(v); }},
    {"--jobs", TArity::Value, ApplyJobs},
};
// clang-format on

const TOptionRule* FindOption(std::string_view name) {
    for (const TOptionRule& rule : kOptions) {
        if (rule.Name == name) return &rule;
    }
    return nullptr;
}

void Complain(TParsedOptions& parsed, TTextId text, const std::string& subject) {
    if (!parsed.Error) parsed.Error = TComplaint{text, subject};
}

}  // namespace

TParsedOptions ParseOptions(const std::vector<std::string>& args, const std::optional<std::string>& defaultRoot) {
    TParsedOptions parsed;
    TOptions& options = parsed.Options;
    std::optional<std::string> root;
    std::set<const TOptionRule*> given;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsEnded && !arg.empty() && arg[0] == '-';
        if (!isOption) {
            if (root) {
                Complain(parsed, utExtraRoot, arg);
            } else {
                root = arg;
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const TOptionRule* rule = FindOption(name);
        if (rule == nullptr || (rule->Arity == TArity::Flag && eq != std::string::npos)) {
            Complain(parsed, utUnknownOption, arg);
            continue;
        }
        std::string value;
        if (rule->Arity != TArity::Flag) {
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                Complain(parsed, utNeedsValue, name);
                continue;
            }
        }
        // The first value stays, so that a repeated --lang still picks the language of the message.
        if (rule->Arity == TArity::Value && !given.insert(rule).second) {
            Complain(parsed, utRepeatedOption, name);
            continue;
        }
        if (!rule->Apply(options, value)) Complain(parsed, utBadValue, std::string(name).append(": ").append(value));
    }
    if (options.Help || options.Version) return parsed;
    if (!root) root = defaultRoot;
    if (!root) {
        Complain(parsed, utNoRoot, "");
        return parsed;
    }
    options.Root = *root;
    return parsed;
}
