// The SARIF 2.1.0 log as code-scanning services take it: every property in an
// object whose schema allows it (the schema closes its objects), regions and
// relative URIs that point at the finding.
#include <algorithm>
#include <set>

#include "checked.h"

namespace {

// "parent.key" for every member below `parent`, an array's items under the array's name.
std::set<std::string> Members(const TJson& v, const std::string& parent = "") {
    std::set<std::string> out;
    for (const auto& m : v.items()) {
        if (v.is_object()) out.insert(parent + "." + m.key());
        if (m.value().is_structured()) out.merge(Members(m.value(), v.is_object() ? m.key() : parent));
    }
    return out;
}

// "URI LINE COLUMN END-COLUMN"
std::string Where(const TJson& location) {
    const TJson& physical = location["physicalLocation"];
    return Fields(physical["artifactLocation"], "uri uriBaseId") + " " +
           Fields(physical["region"], "startLine startColumn endColumn");
}

}  // namespace

TEST(Sarif, EveryKindIsAValidResultWithARegion) {
    TTempTree tree;
    // Unreserved bytes stay as they are, others are percent-encoded.
    tree.File("INI/my units/a~z_A-Z.09.ini", "  ButtonImage = Gone\r\nButtonImage = Here\r\n");
#ifdef _WIN32
    // An ASCII name under Wine, whose file names are not the ANSI bytes; '%' itself is encoded.
    const std::string file = "Images/%C1.ini", image = "Images/%25C1.ini";
#else
    const std::string file = "Images/\xC1.ini", image = "Images/%C1.ini";
#endif
    tree.File(file, "MappedImage Here\r\nMappedImage Spare\r\nMappedImage here\r\n");
    // Passed over and read, but not as written: tool execution notifications.
    tree.File("INI/bom.ini", "\xEF\xBB\xBFMappedImage Gone\r\n");
    const bool fifo = MakeFifo(tree.Path("INI/fifo.ini"));
    const TRun run = Checked({"--format=sarif", "--unused", "--duplicates", tree.Root()});
    EXPECT_EQ(run.Status, 1) << "a FIFO is passed over by design";
    const TJson doc = ValidJson(run.Out);
    std::string members;
    for (const std::string& m : Members(doc)) members += m + " ";
    EXPECT_EQ(
        members,
        "%SRCROOT%.uri .$schema .runs .version artifactLocation.uri artifactLocation.uriBaseId "
        "defaultConfiguration.level driver.name driver.rules driver.version invocations.executionSuccessful "
        "invocations.toolExecutionNotifications locations.physicalLocation message.text originalUriBaseIds.%SRCROOT% "
        "physicalLocation.artifactLocation physicalLocation.region region.endColumn region.startColumn "
        "region.startLine relatedLocations.id relatedLocations.physicalLocation results.level results.locations "
        "results.message results.relatedLocations results.ruleId results.ruleIndex rules.defaultConfiguration rules.id "
        "rules.name rules.shortDescription runs.columnKind runs.invocations runs.originalUriBaseIds runs.results "
        "runs.tool shortDescription.text tool.driver toolExecutionNotifications.level "
        "toolExecutionNotifications.message ");
    EXPECT_EQ(Fields(doc, "version"), "2.1.0");
    const TJson& sarifRun = doc["runs"].at(0);
    EXPECT_EQ(Fields(sarifRun["tool"]["driver"]["rules"], "id defaultConfiguration"),
              "undeclared-image {\"level\":\"error\"}, unused-image {\"level\":\"warning\"}, "
              "duplicate-image {\"level\":\"warning\"}");
    const TJson& results = sarifRun["results"];
    EXPECT_EQ(Fields(results, "ruleId ruleIndex level"),
              "undeclared-image 0 error, unused-image 1 warning, duplicate-image 2 warning");
    EXPECT_EQ(Where(results.at(0)["locations"].at(0)), "INI/my%20units/a~z_A-Z.09.ini %SRCROOT% 1 17 21");
    EXPECT_EQ(Where(results.at(1)["locations"].at(0)), image + " %SRCROOT% 2 13 18");
    EXPECT_EQ(Where(results.at(2)["locations"].at(0)), image + " %SRCROOT% 1 13 17");
    EXPECT_EQ(Where(results[2]["relatedLocations"].at(0)), image + " %SRCROOT% 3 13 17");
    EXPECT_EQ(Fields(results[2]["relatedLocations"], "id"), "1");
    EXPECT_EQ(results[0]["message"]["text"], "MI \"gone\" указана, но не объявлена ни в одном файле.");
    EXPECT_EQ(results[2]["message"]["text"], "MI \"here\" объявлена больше одного раза.");
    const TJson& invocation = sarifRun["invocations"].at(0);
    EXPECT_EQ(invocation["executionSuccessful"], true);
    EXPECT_EQ(Fields(invocation["toolExecutionNotifications"], "level"), fifo ? "note, warning" : "warning");
    EXPECT_EQ(invocation["toolExecutionNotifications"].back()["message"]["text"],
              tree.Path("INI/bom.ini") + ": метка порядка байтов UTF-8 скрывает ключ первой строки");

    // Columns count the code points of the line as read (a 4-byte character is one, so is a byte outside
    // UTF-8); on POSIX a backslash is a byte of a name. %SRCROOT% is the root as given, made absolute.
    TTempTree odd;
    odd.File("back\\slash.ini", "\tButtonImage\xD0\x96 = \xD0\x96\xF0\x9D\x84\x9E\xC1\r\nMappedImage x\r\n");
    odd.File("sub/none.txt");
    odd.File("tessaron.toml", "[[rule]]\nid = \"w\"\ndeclared-by = [\"W\"]\nuse = [{ key = \"U\" }]\n");
    const std::string sep(1, kPathSeparator);
    const TJson oddLog = ValidJson(Checked({"--format=sarif", odd.Root() + sep + "sub" + sep + ".." + sep + "."}).Out);
    const TJson& oddRun = oddLog["runs"][0];
    const std::string uri = kPathSeparator == '/' ? "back%5Cslash.ini" : "back/slash.ini";
    EXPECT_EQ(Where(oddRun["results"].at(0)["locations"].at(0)), uri + " %SRCROOT% 1 17 20");
    std::string root = odd.Root();
    std::replace(root.begin(), root.end(), '\\', '/');
    EXPECT_EQ(Fields(oddRun, "columnKind"), "unicodeCodePoints");
    // An image's three kinds, asked for or not; a file rule's those asked for.
    EXPECT_EQ(Fields(oddRun["tool"]["driver"]["rules"], "id"),
              "undeclared-image, unused-image, duplicate-image, undeclared-w");
    EXPECT_EQ(oddRun["originalUriBaseIds"]["%SRCROOT%"]["uri"], (root[0] == '/' ? "file://" : "file:///") + root + "/");

    // An empty tree still gives a valid log, with an empty list of results.
    TTempTree clean;
    const std::string none = Checked({"--format=sarif", clean.Root()}).Out;
    EXPECT_EQ(ValidJson(none)["runs"][0]["results"], TJson::array());
    EXPECT_NE(none.find("\n      \"results\": []\n"), std::string::npos) << "an empty list closes on its line";
}
