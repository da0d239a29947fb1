// qdxutil eval, driven as a user runs it (skipped when qdxutil is not built).

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <string>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    std::string output;
    int exitCode = -1;
};

std::string Qdxutil() {
    const char* dir = std::getenv("QDX_BIN_DIR");
    return dir != nullptr ? std::string(dir) + "/qdxutil" : std::string();
}

Outcome RunQdxutil(const std::string& arguments) {
    Outcome outcome;
    FILE* pipe = popen((Qdxutil() + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, n);
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

bool Available() {
    const std::string path = Qdxutil();
    if (path.empty()) return false;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
}

TEST(EvalCommand, ConstantFormulas) {
    if (!Available()) GTEST_SKIP() << "qdxutil not built";
    Outcome ok = RunQdxutil("eval -e \"1 + 2 * 3 ^ 2\"");
    EXPECT_EQ(ok.output, "19\n");
    EXPECT_EQ(ok.exitCode, 0);
    Outcome text = RunQdxutil("eval -e \"LEFT('abc', 2) + STR(1 = 1)\"");
    EXPECT_EQ(text.output, "abY\n");
    Outcome failed = RunQdxutil("eval -e \"(1 + 2\"");
    EXPECT_EQ(failed.output, "");  // the message goes to stderr only
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(RunQdxutil("eval").exitCode, 2);
    EXPECT_EQ(RunQdxutil("eval -e 1 Table").exitCode, 2);
}

TEST(EvalCommand, DemoTable) {
    if (!Available()) GTEST_SKIP() << "qdxutil not built";
    char pattern[] = "/tmp/qdx-eval-XXXXXX";
    const char* dir = mkdtemp(pattern);
    ASSERT_NE(dir, nullptr);
    ASSERT_EQ(RunQdxutil(std::string("demo ") + dir).exitCode, 0);
    Outcome lines = RunQdxutil(std::string("eval -d ") + dir + " --limit 3 \"Order Lines\" \"Quantity * 1 = Quantity\"");
    EXPECT_EQ(lines.output, "Y\nY\nY\n");
    EXPECT_EQ(lines.exitCode, 0);
    Outcome mixed = RunQdxutil(std::string("eval -d ") + dir + " --limit 2 Orders \"Status / 2\"");
    EXPECT_EQ(mixed.output, "error: Incompatible types\nerror: Incompatible types\n");
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_EQ(RunQdxutil(std::string("eval -d ") + dir + " Nosuch 1").exitCode, 1);
    std::system((std::string("rm -rf ") + dir).c_str());
}

}  // namespace
