// Loading the engine library: status 20 while there is none, and a retry at
// every call until one appears.

#include "EngineTestSupport.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

TEST(EngineBinding, MissingLibraryGivesMkdeInactiveUntilItAppears) {
    fs::path dir = fs::temp_directory_path() / ("qdx_binding_" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::path library = dir / "libengine_later.so";
    {
        EngineLibraryChoice choice(library.string());
        BtrieveFile file;
        EXPECT_EQ(kStatusEngineInactive, file.open("/data/x.dat"));
        EXPECT_EQ("20: MKDE Inactive", statusText(file.status()).ToStdString());
        EXPECT_FALSE(file.isOpen());
        EXPECT_FALSE(EngineLoaded());
        EXPECT_EQ(0, file.recordLength());  // Stat fails too
        EXPECT_EQ(kStatusEngineInactive, file.status());
        EXPECT_EQ(kStatusEngineInactive, BtrieveFile::createFile("x", 1, "/data/x.dat", false));

        // The library appears: the next call loads it.
        fs::copy_file(QDX_FAKE_ENGINE_PATH, library);
        EXPECT_EQ(0, file.open("/data/x.dat"));
        EXPECT_TRUE(EngineLoaded());
        EXPECT_TRUE(file.isOpen());
        EXPECT_EQ(kFakeRecordLength, file.dataLength());
        EXPECT_EQ(0, file.close());
    }
    fs::remove_all(dir);
}

TEST(EngineBinding, LibraryWithoutTheEntryGivesMkdeInactive) {
    EngineLibraryChoice choice("libm.so.6");
    BtrieveFile file;
    EXPECT_EQ(kStatusEngineInactive, file.open("/data/x.dat"));
    EXPECT_FALSE(EngineLoaded());
}

// Without QDX_ENGINE_LIBRARY the library beside the executable is used. The
// parent copies this test program and the stand-in engine (as
// libqdxengine.so) into a fresh directory and runs the copy, which performs
// the child test below in a process where no engine is loaded yet.
constexpr const char* kChildVariable = "QDX_BINDING_CHILD";

TEST(EngineBinding, WithoutTheVariableTheLibraryBesideTheExecutableIsUsed) {
    fs::path dir = fs::temp_directory_path() / ("qdx_beside_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(fs::read_symlink("/proc/self/exe"), dir / "test_copy");
    fs::copy_file(QDX_FAKE_ENGINE_PATH, dir / kEngineLibraryName);
    std::string command = "env -u " + std::string(kEngineLibraryVariable) + " " + kChildVariable + "=1 '" +
                          (dir / "test_copy").string() +
                          "' --gtest_filter=EngineBindingChild.* > '" + (dir / "log").string() + "' 2>&1";
    int result = std::system(command.c_str());
    EXPECT_EQ(0, result) << "child output in " << (dir / "log").string();
    if (result == 0) fs::remove_all(dir);
}

TEST(EngineBindingChild, OpensThroughTheLibraryBesideIt) {
    if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "runs only in the copy made by the test above";
    BtrieveFile file;
    EXPECT_EQ(0, file.open("/data/x.dat"));
    EXPECT_EQ(kFakeRecordLength, file.dataLength());  // served by the stand-in engine
}

// Status 20 alone does not say why; the binding keeps which library it tried
// and what the loader answered, until an engine loads.
TEST(EngineBinding, AFailedLoadSaysWhichLibraryAndWhy) {
    fs::path dir = fs::temp_directory_path() / ("qdx_binding_why_" + std::to_string(getpid()));
    fs::create_directories(dir);
    {
        fs::path missing = dir / "libnothere.so";
        EngineLibraryChoice choice(missing.string());
        EXPECT_EQ("", EngineLoadFailure());  // nothing tried yet
        BtrieveFile file;
        EXPECT_EQ(kStatusEngineInactive, file.open("/data/x.dat"));
        std::string why = EngineLoadFailure();
        EXPECT_NE(std::string::npos, why.find(missing.string())) << why;
        EXPECT_NE(std::string::npos, why.find("No such file")) << why;
    }
    {
        // A file that is not a library at all.
        fs::path garbage = dir / "libgarbage.so";
        { std::ofstream(garbage) << "not an ELF file\n"; }
        EngineLibraryChoice choice(garbage.string());
        BtrieveFile file;
        EXPECT_EQ(kStatusEngineInactive, file.open("/data/x.dat"));
        std::string why = EngineLoadFailure();
        EXPECT_NE(std::string::npos, why.find(garbage.string())) << why;
        EXPECT_EQ(std::string::npos, why.find("No such file")) << why;
    }
    {
        // A library without the entry point.
        EngineLibraryChoice choice("libm.so.6");
        BtrieveFile file;
        EXPECT_EQ(kStatusEngineInactive, file.open("/data/x.dat"));
        EXPECT_EQ("libm.so.6: no BTRCALL in it", EngineLoadFailure());
    }
    {
        EngineLibraryChoice choice(QDX_FAKE_ENGINE_PATH);
        BtrieveFile file;
        EXPECT_EQ(0, file.open("/data/x.dat"));
        EXPECT_EQ("", EngineLoadFailure());
        EXPECT_EQ(0, file.close());
    }
    fs::remove_all(dir);
}
