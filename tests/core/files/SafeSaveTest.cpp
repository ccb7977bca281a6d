// Links, permission bits and pipes as a POSIX system has them.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "files/SafeSave.h"

namespace neva {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

SaveOutcome save(const fs::path& p, const std::string& text) {
    return save_file_safely(p, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

TEST(SafeSave, KeepsWhatIsThereSafeAndRefusesWhatItMustNotReplace) {
    const fs::path dir = fs::temp_directory_path() / ("neva_safe_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    const fs::path f = dir / "a.NEVA2";
    std::ofstream(f) << "old";
    std::ofstream(dir / "victim") << "keep";
    fs::permissions(f, static_cast<fs::perms>(0640));
    // A link planted at the temporary name of earlier versions is never followed.
    fs::create_symlink("victim", dir / "a.NEVA2.saving");
    ASSERT_TRUE(save(f, "new").ok);
    EXPECT_EQ(slurp(f), "new");
    EXPECT_EQ(fs::status(f).permissions(), static_cast<fs::perms>(0640));
    EXPECT_EQ(slurp(dir / "victim"), "keep");

    // A link is written through and stays a link.
    fs::create_symlink("a.NEVA2", dir / "link.NEVA2");
    ASSERT_TRUE(save(dir / "link.NEVA2", "through").ok);
    EXPECT_TRUE(fs::is_symlink(dir / "link.NEVA2"));
    EXPECT_EQ(slurp(f), "through");

    // Read-only (refused for root too), a pipe, no folder: refused, left alone.
    fs::permissions(f, static_cast<fs::perms>(0444));
    EXPECT_NE(save(f, "x").reason.find("read-only"), std::string::npos);
    EXPECT_EQ(slurp(f), "through");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(save(dir / "pipe", "x").reason, kNotPlainFile);
    EXPECT_EQ(save(dir / "none" / "x", "x").reason, "the folder does not exist");

    // No temporary file is left: a.NEVA2, victim, the planted link, link.NEVA2, pipe.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace neva
#endif
