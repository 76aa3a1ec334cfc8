#include "options.h"

#include <optional>
#include <string_view>

#include "console_text.h"

namespace {

enum class TArity { Flag, Value };

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

bool NonEmpty(const std::string& v) {
    return !v.empty();
}

// clang-format off
const TOptionRule kOptions[] = {
    {"--help", TArity::Flag, [](TOptions& o, const std::string&) { return o.Help = true; }},
    {"--lang", TArity::Value, ApplyLang},
    {"--format", TArity::Value, ApplyFormat},
    {"--declared-in", TArity::Value, [](TOptions& o, const std::string& v) { o.DeclaredIn.push_back(v); return NonEmpty(v); }},
    {"--names", TArity::Value, [](TOptions& o, const std::string& v) { o.NameFiles.push_back(v); return NonEmpty(v); }},
    {"--unused", TArity::Flag, [](TOptions& o, const std::string&) { return o.Unused = true; }},
    {"--duplicates", TArity::Flag, [](TOptions& o, const std::string&) { return o.Duplicates = true; }},
    {"--baseline", TArity::Value, [](TOptions& o, const std::string& v) { o.Baseline = v; return NonEmpty(v); }},
    {"--write-baseline", TArity::Value, [](TOptions& o, const std::string& v) { o.WriteBaseline = v; return NonEmpty(v); }},
};
// clang-format on

const TOptionRule* FindOption(std::string_view name) {
    for (const TOptionRule& rule : kOptions) {
        if (rule.Name == name) return &rule;
    }
    return nullptr;
}

}  // namespace

TParsedOptions ParseOptions(const std::vector<std::string>& args) {
    TParsedOptions parsed;
    TOptions& options = parsed.Options;
    std::optional<std::string> root;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (root) {
                parsed.Error = ConsoleText[ctExtraRoot] + arg;
                return parsed;
            }
            root = arg;
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
            parsed.Error = ConsoleText[ctUnknownOption] + arg;
            return parsed;
        }
        std::string value;
        if (rule->Arity == TArity::Value) {
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                parsed.Error = ConsoleText[ctNeedsValue] + name;
                return parsed;
            }
        }
        if (!rule->Apply(options, value)) {
            parsed.Error = ConsoleText[ctBadValue];
            parsed.Error.append(name).append(": ").append(value);
            return parsed;
        }
    }
    if (options.Help) return parsed;
    if (!root) {
        parsed.Error = ConsoleText[ctNoRoot];
        return parsed;
    }
    options.Root = *root;
    return parsed;
}
