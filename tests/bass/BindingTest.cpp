#include "audio/BassLibrary.h"
#include "audio/BassWmaLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using quaverly::BassLibrary;
using quaverly::BassWmaLibrary;

namespace {

std::string BinFolder()
{
    return std::string(QUAVERLY_BIN_DIR) + "/";
}

}  // namespace

TEST(BassBinding, LoadsBothLibrariesFromTheirFolderAndBindsEveryEntryPoint)
{
    BassLibrary bass;
    ASSERT_TRUE(bass.Load(BinFolder())) << bass.error();
    EXPECT_EQ(bass.api().GetVersion(), 2u | (4u << 16));
    BassWmaLibrary wma;
    ASSERT_TRUE(wma.Load(BinFolder())) << wma.error();
    ASSERT_NE(wma.StreamCreateFile, nullptr);
    // No output open: a stream that needs one is refused with a failure value.
    EXPECT_EQ(wma.StreamCreateFile(FALSE, "/nonexistent.wma", 0, 0, 0), 0u);
    bass.Unload();
    EXPECT_FALSE(bass.loaded());
    wma.Unload();
    EXPECT_FALSE(wma.loaded());
}

TEST(BassBinding, MissingFileOrMissingEntryPointCountsAsAbsent)
{
    BassLibrary bass;
    EXPECT_FALSE(bass.Load("/nonexistent/folder/"));
    EXPECT_FALSE(bass.loaded());
    EXPECT_FALSE(bass.error().empty());

    // A folder holding a "libbass.so" that lacks BASS_ChannelGetData.
    const fs::path dir = fs::temp_directory_path() / ("bass-binding-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::copy_file(QUAVERLY_BASS_INCOMPLETE, dir / BassLibrary::kFileName, fs::copy_options::overwrite_existing);
    EXPECT_FALSE(bass.Load(dir.string() + "/"));
    EXPECT_FALSE(bass.loaded());
    EXPECT_NE(bass.error().find("BASS_ChannelGetData"), std::string::npos) << bass.error();

    // The same file is no WMA add-on either.
    fs::copy_file(QUAVERLY_BASS_INCOMPLETE, dir / BassWmaLibrary::kFileName, fs::copy_options::overwrite_existing);
    BassWmaLibrary wma;
    EXPECT_FALSE(wma.Load(dir.string() + "/"));
    EXPECT_EQ(wma.StreamCreateFile, nullptr);
    fs::remove_all(dir);
}
