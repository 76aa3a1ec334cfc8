// Checks the SARIF output against the 2.1.0 schema: the required properties,
// the value constraints, and the property names that the schema's closed
// objects allow (it sets additionalProperties to false on them).
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "checked.h"
#include "temp_tree.h"
#include "unix_files.h"

namespace {

using TNames = std::set<std::string>;

// The names in `list`, separated by blanks.
TNames Names(const std::string& list) {
    std::istringstream in(list);
    TNames names;
    for (std::string name; in >> name;) names.insert(name);
    return names;
}

const TNames kLogKeys = Names("$schema version runs inlineExternalProperties properties");
const TNames kRunKeys = Names(
    "tool invocations conversion language versionControlProvenance originalUriBaseIds artifacts logicalLocations "
    "graphs results automationDetails runAggregates baselineGuid redactionTokens defaultEncoding defaultSourceLanguage "
    "newlineSequences columnKind externalPropertyFileReferences threadFlowLocations taxonomies addresses translations "
    "policies webRequests webResponses specialLocations properties");
const TNames kToolKeys = Names("driver extensions properties");
const TNames kComponentKeys = Names(
    "guid name organization product productSuite shortDescription fullDescription fullName version semanticVersion "
    "dottedQuadFileVersion releaseDateUtc downloadUri informationUri globalMessageStrings notifications rules taxa "
    "locations language contents isComprehensive localizedDataSemanticVersion "
    "minimumRequiredLocalizedDataSemanticVersion associatedComponent translationMetadata supportedTaxonomies "
    "properties");
const TNames kRuleKeys = Names(
    "id deprecatedIds guid deprecatedGuids name deprecatedNames shortDescription fullDescription messageStrings "
    "defaultConfiguration helpUri help relationships properties");
const TNames kConfigurationKeys = Names("enabled level rank parameters properties");
const TNames kResultKeys = Names(
    "ruleId ruleIndex rule kind level message analysisTarget locations guid correlationGuid occurrenceCount "
    "partialFingerprints fingerprints stacks codeFlows graphs graphTraversals relatedLocations suppressions "
    "baselineState rank attachments hostedViewerUri workItemUris provenance fixes taxa webRequest webResponse "
    "properties");
const TNames kMessageKeys = Names("text markdown id arguments properties");
const TNames kLocationKeys = Names("id physicalLocation logicalLocations message annotations relationships properties");
const TNames kPhysicalKeys = Names("address artifactLocation region contextRegion properties");
const TNames kArtifactKeys = Names("uri uriBaseId index description properties");
const TNames kRegionKeys = Names(
    "startLine startColumn endLine endColumn charOffset charLength byteOffset byteLength snippet message "
    "sourceLanguage properties");
const TNames kInvocationKeys = Names(
    "commandLine arguments responseFiles startTimeUtc endTimeUtc exitCode ruleConfigurationOverrides "
    "notificationConfigurationOverrides toolExecutionNotifications toolConfigurationNotifications exitCodeDescription "
    "exitSignalName exitSignalNumber processStartFailureMessage executionSuccessful machine account processId "
    "executableLocation workingDirectory environmentVariables stdin stdout stderr stdoutStderr properties");
const TNames kNotificationKeys =
    Names("locations message level threadId timeUtc exception descriptor associatedRule properties");
const TNames kLevels = Names("none note warning error");

void ExpectObject(const TJson& v, const TNames& allowed, const TNames& required, const std::string& where) {
    ASSERT_TRUE(v.is_object()) << where;
    for (const auto& member : v.items()) EXPECT_EQ(allowed.count(member.key()), 1u) << where << " has " << member.key();
    for (const std::string& key : required) EXPECT_EQ(v.count(key), 1u) << where << " lacks " << key;
}

void ExpectMessage(const TJson& v, const std::string& where) {
    ExpectObject(v, kMessageKeys, {"text"}, where);
    EXPECT_TRUE(v["text"].is_string()) << where;
}

// A relative URI reference: no scheme, no backslash, no blank, no raw byte above 0x7E.
void ExpectLocation(const TJson& loc, const std::string& where) {
    ExpectObject(loc, kLocationKeys, {"physicalLocation"}, where);
    const TJson& physical = loc["physicalLocation"];
    ExpectObject(physical, kPhysicalKeys, {"artifactLocation", "region"}, where + ".physicalLocation");
    ExpectObject(physical["artifactLocation"], kArtifactKeys, {"uri"}, where + ".artifactLocation");
    const std::string& uri = physical["artifactLocation"]["uri"].get<std::string>();
    EXPECT_TRUE(!uri.empty() && uri[0] != '/' && uri.find(':') == std::string::npos) << where << ": " << uri;
    for (const char c : uri) EXPECT_TRUE(c > 0x20 && c < 0x7F && c != '\\' && c != '"') << where << ": " << uri;
    const TJson& region = physical["region"];
    ExpectObject(region, kRegionKeys, {"startLine", "startColumn", "endColumn"}, where + ".region");
    EXPECT_GE(region["startLine"].get<double>(), 1) << where;
    EXPECT_GE(region["startColumn"].get<double>(), 1) << where;
    EXPECT_GT(region["endColumn"].get<double>(), region["startColumn"].get<double>()) << where;
}

// Validates the whole log; returns the results.
TJson ValidSarif(const std::string& text) {
    const TJson log = ValidJson(text);
    ExpectObject(log, kLogKeys, {"version", "runs"}, "log");
    EXPECT_EQ(log["version"].get<std::string>(), "2.1.0");
    EXPECT_EQ(log["runs"].size(), 1u);
    if (log["runs"].size() != 1) return {};
    const TJson& run = log["runs"][0];
    ExpectObject(run, kRunKeys, {"tool", "results"}, "run");
    ExpectObject(run["tool"], kToolKeys, {"driver"}, "tool");
    const TJson& driver = run["tool"]["driver"];
    ExpectObject(driver, kComponentKeys, {"name"}, "driver");
    const auto& rules = driver["rules"];
    for (const TJson& rule : rules) {
        ExpectObject(rule, kRuleKeys, {"id"}, "rule");
        ExpectMessage(rule["shortDescription"], "rule.shortDescription");
        ExpectObject(rule["defaultConfiguration"], kConfigurationKeys, {}, "rule.defaultConfiguration");
        EXPECT_EQ(kLevels.count(rule["defaultConfiguration"]["level"].get<std::string>()), 1u);
    }
    for (const TJson& invocation : run.value("invocations", TJson::array())) {
        ExpectObject(invocation, kInvocationKeys, {"executionSuccessful"}, "invocation");
        EXPECT_TRUE(invocation["executionSuccessful"].is_boolean());
        for (const TJson& note : invocation.value("toolExecutionNotifications", TJson::array())) {
            ExpectObject(note, kNotificationKeys, {"message"}, "notification");
            ExpectMessage(note["message"], "notification.message");
            EXPECT_EQ(kLevels.count(note["level"].get<std::string>()), 1u);
        }
    }
    for (const TJson& result : run["results"]) {
        ExpectObject(result, kResultKeys, {"message", "ruleId", "locations"}, "result");
        ExpectMessage(result["message"], "result.message");
        EXPECT_EQ(kLevels.count(result["level"].get<std::string>()), 1u);
        const auto index = static_cast<std::size_t>(result["ruleIndex"].get<double>());
        EXPECT_EQ(index < rules.size() ? rules[index]["id"].get<std::string>() : "",
                  result["ruleId"].get<std::string>());
        EXPECT_EQ(result["locations"].size(), 1u);
        for (const TJson& loc : result["locations"]) ExpectLocation(loc, "result.location");
        for (const TJson& loc : result.value("relatedLocations", TJson::array()))
            ExpectLocation(loc, "result.relatedLocation");
    }
    return run["results"];
}

// "URI LINE COLUMN END-COLUMN"
std::string Where(const TJson& location) {
    const TJson& physical = location["physicalLocation"];
    return physical["artifactLocation"]["uri"].get<std::string>() + " " +
           Fields(physical["region"], "startLine startColumn endColumn");
}

}  // namespace

TEST(Sarif, EveryKindIsAValidResultWithARegion) {
    TTempTree tree;
    tree.File("INI/my units/a.ini", "  ButtonImage = Gone\r\nButtonImage = Here\r\n");
#ifdef _WIN32
    // An ASCII name under Wine, whose file names are not the ANSI bytes; '%' itself is encoded.
    const std::string file = "Images/%C1.ini";
    const std::string image = "Images/%25C1.ini";
#else
    const std::string file = "Images/\xC1.ini";
    const std::string image = "Images/%C1.ini";
#endif
    tree.File(file, "MappedImage Here\r\nMappedImage Spare\r\nMappedImage here\r\n");
    // Passed over and read, but not as written: tool execution notifications.
    tree.File("INI/bom.ini", "\xEF\xBB\xBFMappedImage Gone\r\n");
    const bool fifo = MakeFifo(tree.Path("INI/fifo.ini"));
    const TRun run = Checked({"--format=sarif", "--unused", "--duplicates", tree.Root()});
    EXPECT_EQ(run.Status, 1);
    const TJson results = ValidSarif(run.Out);
    ASSERT_EQ(results.size(), 3u) << run.Out;
    EXPECT_EQ(Fields(results, "ruleId"), "undeclared-image, unused-image, duplicate-image");
    EXPECT_EQ(Where(results[0]["locations"].at(0)), "INI/my%20units/a.ini 1 17 21");
    EXPECT_EQ(Where(results[1]["locations"].at(0)), image + " 2 13 18");
    EXPECT_EQ(Where(results[2]["locations"].at(0)), image + " 1 13 17");
    EXPECT_EQ(Where(results[2]["relatedLocations"].at(0)), image + " 3 13 17");
    EXPECT_EQ(results[0]["message"]["text"].get<std::string>(),
              "MI \"gone\" указана, но не объявлена ни в одном файле.");
    const TJson invocation = ValidJson(run.Out)["runs"][0]["invocations"][0];
    EXPECT_EQ(invocation["executionSuccessful"], true);
    EXPECT_EQ(Fields(invocation["toolExecutionNotifications"], "level"), fifo ? "note, warning" : "warning");
    EXPECT_EQ(invocation["toolExecutionNotifications"].back()["message"]["text"],
              tree.Path("INI/bom.ini") + ": метка порядка байтов UTF-8 скрывает ключ первой строки");
    const TJson english = ValidSarif(Checked({"--lang=en", "--format=sarif", "--duplicates", tree.Root()}).Out);
    EXPECT_EQ(Fields(english, "ruleId"), "undeclared-image, duplicate-image");
    EXPECT_EQ(english.at(1)["message"]["text"].get<std::string>(), "Image \"here\" is declared more than once.");

    // A clean tree still gives a valid log, with an empty list of results.
    TTempTree clean;
    clean.File("a.ini", "MappedImage A\r\nButtonImage = a\r\n");
    const TRun none = Checked({"--format=sarif", clean.Root()});
    EXPECT_EQ(none.Status, 0);
    EXPECT_TRUE(ValidSarif(none.Out).is_array());
    EXPECT_NE(none.Out.find("\"results\": []"), std::string::npos);
}
