// qdxutil check: every file of the demo is sound; copies with random bytes
// written over their pages (fixed seeds) are found damaged, each problem on
// a line of standard output; a file that is not an engine file cannot be read.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "AppTestSupport.h"

namespace {

using apptest::Lines;
using apptest::RunQdxutil;
using apptest::ScratchDir;
using apptest::ToolResult;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(QdxutilCheck, DemoFilesAreSoundAndDamagedCopiesAreNot) {
    ScratchDir dir;
    ASSERT_EQ(0, RunQdxutil({"demo", dir.Path(), "--rows", "600"}).exitCode);
    for (const char* file : {"customers.dat", "products.dat", "orders.dat", "orderlin.dat", "notes.dat",
                             "file.ddf", "field.ddf", "index.ddf"}) {
        ToolResult r = RunQdxutil({"check", dir / file});
        EXPECT_EQ(0, r.exitCode) << file << "\n" << r.out << r.err;
        EXPECT_EQ(dir / file + ": sound\n", r.out);
    }
    ToolResult payroll = RunQdxutil({"check", dir / "payroll.dat", "--owner", "paydesk"});
    EXPECT_EQ(0, payroll.exitCode) << payroll.out;
    ToolResult noOwner = RunQdxutil({"check", dir / "payroll.dat"});
    EXPECT_EQ(1, noOwner.exitCode);
    EXPECT_TRUE(Contains(noOwner.out, "cannot be read: 51: Invalid Owner")) << noOwner.out;
    ToolResult text = RunQdxutil({"check", dir / "demo-schema.txt"});
    EXPECT_EQ(1, text.exitCode);
    EXPECT_TRUE(Contains(text.out, "cannot be read: 30")) << text.out;

    std::ifstream in(dir / "orderlin.dat", std::ios::binary);
    const std::string original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(original.size(), 4u * 4096);
    for (int seed = 1; seed <= 10; ++seed) {
        std::string bytes = original;
        std::mt19937 rng(seed);
        for (int i = 0; i < 200; ++i) bytes[2 * 4096 + rng() % (bytes.size() - 2 * 4096)] = char(rng());
        const std::string copy = dir / ("damaged" + std::to_string(seed) + ".dat");
        std::ofstream(copy, std::ios::binary) << bytes;
        ToolResult r = RunQdxutil({"check", copy});
        EXPECT_EQ(1, r.exitCode) << "seed " << seed << "\n" << r.out;
        for (const std::string& line : Lines(r.out)) EXPECT_EQ(0u, line.find(copy + ": ")) << line;
        EXPECT_FALSE(Contains(r.out, ": sound")) << r.out;
    }
    EXPECT_EQ(2, RunQdxutil({"check"}).exitCode);
}

}  // namespace
