// Checks the SARIF output against the 2.1.0 schema: the required properties,
// the value constraints, and the property names that the schema's closed
// objects allow (it sets additionalProperties to false on them).
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "json_reader.h"
#include "run_check.h"
#include "temp_tree.h"

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
const TNames kLevels = Names("none note warning error");

void ExpectObject(const TJsonValue& v, const TNames& allowed, const TNames& required, const std::string& where) {
    ASSERT_EQ(v.Type, TJsonValue::Object) << where;
    for (const auto& [key, value] : v.Members) EXPECT_EQ(allowed.count(key), 1u) << where << " has " << key;
    for (const std::string& key : required) EXPECT_EQ(v.Members.count(key), 1u) << where << " lacks " << key;
}

void ExpectMessage(const TJsonValue& v, const std::string& where) {
    ExpectObject(v, kMessageKeys, {"text"}, where);
    EXPECT_EQ(v["text"].Type, TJsonValue::String) << where;
}

// A relative URI reference: no scheme, no backslash, no blank, no raw byte above 0x7E.
void ExpectLocation(const TJsonValue& loc, const std::string& where) {
    ExpectObject(loc, kLocationKeys, {"physicalLocation"}, where);
    const TJsonValue& physical = loc["physicalLocation"];
    ExpectObject(physical, kPhysicalKeys, {"artifactLocation", "region"}, where + ".physicalLocation");
    ExpectObject(physical["artifactLocation"], kArtifactKeys, {"uri"}, where + ".artifactLocation");
    const std::string& uri = physical["artifactLocation"]["uri"].Str;
    EXPECT_TRUE(!uri.empty() && uri[0] != '/' && uri.find(':') == std::string::npos) << where << ": " << uri;
    for (const char c : uri) EXPECT_TRUE(c > 0x20 && c < 0x7F && c != '\\' && c != '"') << where << ": " << uri;
    const TJsonValue& region = physical["region"];
    ExpectObject(region, kRegionKeys, {"startLine", "startColumn", "endColumn"}, where + ".region");
    EXPECT_GE(region["startLine"].Num, 1) << where;
    EXPECT_GE(region["startColumn"].Num, 1) << where;
    EXPECT_GT(region["endColumn"].Num, region["startColumn"].Num) << where;
}

// Validates the whole log; returns the results.
TJsonValue ValidSarif(const std::string& text) {
    const TJsonValue log = ValidJson(text);
    ExpectObject(log, kLogKeys, {"version", "runs"}, "log");
    EXPECT_EQ(log["version"].Str, "2.1.0");
    EXPECT_EQ(log["runs"].Items.size(), 1u);
    if (log["runs"].Items.size() != 1) return {};
    const TJsonValue& run = log["runs"].Items[0];
    ExpectObject(run, kRunKeys, {"tool", "results"}, "run");
    ExpectObject(run["tool"], kToolKeys, {"driver"}, "tool");
    const TJsonValue& driver = run["tool"]["driver"];
    ExpectObject(driver, kComponentKeys, {"name"}, "driver");
    const auto& rules = driver["rules"].Items;
    for (const TJsonValue& rule : rules) {
        ExpectObject(rule, kRuleKeys, {"id"}, "rule");
        ExpectMessage(rule["shortDescription"], "rule.shortDescription");
        ExpectObject(rule["defaultConfiguration"], kConfigurationKeys, {}, "rule.defaultConfiguration");
        EXPECT_EQ(kLevels.count(rule["defaultConfiguration"]["level"].Str), 1u);
    }
    for (const TJsonValue& result : run["results"].Items) {
        ExpectObject(result, kResultKeys, {"message", "ruleId", "locations"}, "result");
        ExpectMessage(result["message"], "result.message");
        EXPECT_EQ(kLevels.count(result["level"].Str), 1u);
        const auto index = static_cast<std::size_t>(result["ruleIndex"].Num);
        EXPECT_EQ(index < rules.size() ? rules[index]["id"].Str : "", result["ruleId"].Str);
        EXPECT_EQ(result["locations"].Items.size(), 1u);
        for (const TJsonValue& loc : result["locations"].Items) ExpectLocation(loc, "result.location");
        for (const TJsonValue& loc : result["relatedLocations"].Items) ExpectLocation(loc, "result.relatedLocation");
    }
    return run["results"];
}

// "URI LINE COLUMN END-COLUMN"
std::string Where(const TJsonValue& location) {
    const TJsonValue& physical = location["physicalLocation"];
    return physical["artifactLocation"]["uri"].Str + " " +
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
    const TRun run = Checked({"--format=sarif", "--unused", "--duplicates", tree.Root()});
    EXPECT_EQ(run.Status, 1);
    const TJsonValue results = ValidSarif(run.Out);
    ASSERT_EQ(results.Items.size(), 3u) << run.Out;
    EXPECT_EQ(Fields(results, "ruleId"), "undeclared-image, unused-image, duplicate-image");
    EXPECT_EQ(Where(results.Items[0]["locations"].Items.at(0)), "INI/my%20units/a.ini 1 17 21");
    EXPECT_EQ(Where(results.Items[1]["locations"].Items.at(0)), image + " 2 13 18");
    EXPECT_EQ(Where(results.Items[2]["locations"].Items.at(0)), image + " 1 13 17");
    EXPECT_EQ(Where(results.Items[2]["relatedLocations"].Items.at(0)), image + " 3 13 17");
    EXPECT_EQ(results.Items[0]["message"]["text"].Str, "MI \"gone\" указана, но не объявлена ни в одном файле.");
    const TJsonValue english = ValidSarif(Checked({"--lang=en", "--format=sarif", "--duplicates", tree.Root()}).Out);
    EXPECT_EQ(Fields(english, "ruleId"), "undeclared-image, duplicate-image");
    EXPECT_EQ(english.Items.at(1)["message"]["text"].Str, "Image \"here\" is declared more than once.");

    // A clean tree still gives a valid log, with an empty list of results.
    TTempTree clean;
    clean.File("a.ini", "MappedImage A\r\nButtonImage = a\r\n");
    const TRun none = Checked({"--format=sarif", clean.Root()});
    EXPECT_EQ(none.Status, 0);
    EXPECT_EQ(ValidSarif(none.Out).Type, TJsonValue::Array);
    EXPECT_NE(none.Out.find("\"results\": []"), std::string::npos);
}
