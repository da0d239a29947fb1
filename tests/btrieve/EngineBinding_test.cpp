// Loading the engine library: status 20 while there is none, and a retry at
// every call until one appears.

#include "EngineTestSupport.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(EngineBinding, UnsetVariableLooksBesideTheExecutableThenTheSearchPath) {
    // The test program does not sit beside an engine library and none is
    // installed under the plain name, so the search finds nothing.
    EngineLibraryChoice choice("");
    unsetenv(kEngineLibraryVariable);
    UnloadEngineLibrary();
    BtrieveFile file;
    fs::path beside = fs::read_symlink("/proc/self/exe").parent_path() / kEngineLibraryName;
    if (fs::exists(beside)) GTEST_SKIP() << "an engine library sits beside the test program";
    EXPECT_EQ(kStatusEngineInactive, file.open("/data/x.dat"));
}
