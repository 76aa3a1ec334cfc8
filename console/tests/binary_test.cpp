// Runs the real tessaron-check, natively or under Wine from the Windows build,
// for what only the process shows: its exit status, the bytes that reach stdout
// and stderr, arguments as a command line passes them, and the examples folder.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "checked.h"

namespace {

std::string Written(const std::string& path) {
    std::string bytes = FileBytes(path);
    // Windows writes LF to a text stream as CR LF.
    if (kPathSeparator == '\\') bytes.erase(std::remove(bytes.begin(), bytes.end(), '\r'), bytes.end());
    return bytes;
}

// The binary lies at a path relative to the test's working directory.
// `runner` goes before it; `redirect` after the shell's own, which it overrides.
TRun RunBinary(const std::vector<std::string>& args, const std::string& runner = "", const std::string& redirect = "") {
    static TTempTree scratch;
    const std::string out = scratch.Path("out"), err = scratch.Path("err");
    std::string command = runner + TESSARON_CHECK;
    std::replace(command.begin(), command.end(), '/', kPathSeparator);
    // Temporary paths hold no character that double quotes leave special.
    for (const std::string& arg : args) command += " \"" + arg + "\"";
    command += " >\"" + out + "\" 2>\"" + err + "\"" + redirect;
    int status = std::system(command.c_str());
#ifdef _WIN32
    // Under load Wine now and then fails to start the command interpreter at
    // all (-1); that says nothing about the binary, so start it again.
    for (int tries = 1; status == -1 && tries < 5; ++tries) status = std::system(command.c_str());
#else
    status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return {status, Written(out), Written(err)};
}

}  // namespace

// The process writes what the check wrote in-process, and exits with its status;
// the large report passes the output buffers in many pieces, JSON and text alike.
TEST(Binary, WritesWhatTheCheckWritesAndExitsWithItsStatus) {
    TTempTree large;
    std::string uses = "MappedImage Known\r\n";
    for (int i = 0; i < 3000; ++i) uses += "ButtonImage = image" + std::to_string(i) + "\r\n";
    large.File("a.ini", uses);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"examples"},
             {"--format", "json", "--unused", "examples"},
             {"--lang=en", "--format=gnu", "--duplicates", "examples"},
             {},
             {""},  // an empty argument still arrives
             {"--lang=en", large.Root()},
             {"--format=json", large.Root()},
         }) {
        const TRun binary = RunBinary(args), inProcess = Checked(args);
        EXPECT_EQ(binary.All(), inProcess.All());
    }
    EXPECT_EQ(ValidJson(RunBinary({"--format=json", large.Root()}).Out)["missing"].size(), 3000u);
#ifndef _WIN32
    EXPECT_EQ(RunBinary({"examples"}, "", " >/dev/full").Said(), "2tessaron-check: не могу записать вывод\n");
    // scripts/run names its default root so (a root on the line wins: an options test).
    EXPECT_EQ(RunBinary({"--jobs", "2"}, "TESSARON_DEFAULT_ROOT=" + large.Root() + " ").All(),
              Checked({"--jobs", "2", large.Root()}).All());
    // A baseline that cannot be written whole leaves the old one as it was, and no file beside it.
    TTempTree work;
    const std::string old = Put(work, "baseline.txt", "# old\n");
    EXPECT_EQ(RunBinary({"--write-baseline", old, large.Root()}, "trap '' XFSZ; ulimit -f 4; ").Said(),
              "2tessaron-check: не могу записать " + old + ": " + ErrorText(EFBIG) + "\n");
    EXPECT_EQ(Written(old), "# old\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.Root()), {}), 1);
}

// Run as a user who may not read some of the tree: each such entry is named,
// the rest is reported, and the status says that something was not read.
TEST(Binary, AUserWithoutAccessHearsOfWhatWasNotRead) {
    if (geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "needs root and setpriv";
    const std::string nobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    TTempTree tree, closed;
    tree.File("a.ini", "MappedImage A\r\nButtonImage = a\r\nButtonImage = c\r\n");
    tree.File("b.ini", "MappedImage B\r\n");
    tree.File("sub/c.ini", "MappedImage C\r\n");
    const std::string b = tree.Path("b.ini"), sub = tree.Path("sub"), denied = ": " + ErrorText(EACCES);
    ASSERT_EQ(chmod(b.c_str(), 0) | chmod(sub.c_str(), 0) | chmod(closed.Root().c_str(), 0), 0);
    const TRun run = RunBinary({"--lang=en", "--format=gnu", tree.Root()}, nobody);
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, tree.Path("a.ini") + ":3:15: missing image \"c\"\n");
    EXPECT_EQ(run.Err, "tessaron-check: cannot read " + sub + denied + "\ntessaron-check: cannot read " + b + denied +
                           "\nDone! Missing MI Total: 1. Double click the line brings You to edit position\n");
    EXPECT_EQ(RunBinary({"--lang=en", closed.Root()}, nobody).Said(),
              "2tessaron-check: cannot read " + closed.Root() + denied + "\n");
#endif
}
