// Links, permission bits and pipes as a POSIX system has them.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "files/Manejo_de_Archivos.h"
#include "files/SafeSave.h"
#include "testing/FakeClock.h"
#include "testing/ScriptedMessages.h"

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
    // Links planted at the temporary names of earlier versions are never followed.
    fs::create_symlink("victim", dir / "a.NEVA2.saving");
    fs::create_symlink("victim", dir / "AT.tmp");
    ASSERT_TRUE(save(f, "new").ok);
    ASSERT_TRUE(save(dir / "AT", "modem").ok);
    EXPECT_EQ(slurp(f), "new");
    EXPECT_EQ(fs::status(f).permissions(), static_cast<fs::perms>(0640));
    EXPECT_EQ(slurp(dir / "victim"), "keep");

    // A link is written through and stays a link.
    fs::create_symlink("a.NEVA2", dir / "link.NEVA2");
    ASSERT_TRUE(save(dir / "link.NEVA2", "through").ok);
    EXPECT_TRUE(fs::is_symlink(dir / "link.NEVA2"));
    EXPECT_EQ(slurp(f), "through");

    // Read-only (refused for root too), a folder, a pipe: refused and left alone.
    fs::permissions(f, static_cast<fs::perms>(0444));
    EXPECT_NE(save(f, "x").reason.find("read-only"), std::string::npos);
    EXPECT_EQ(slurp(f), "through");
    // The setpoint save says where and why, and keeps its buffer as it was.
    SharedState state;
    RegisterImages images;
    testing::ScriptedMessages msgs;
    testing::FakeClock clock;
    Manejo_de_Archivos files(state, images, msgs, clock);
    msgs.expect_message(Manejo_de_Archivos::save_failed_text(f.string(), save(f, "x").reason));
    EXPECT_FALSE(files.Guardar_Archivo(f.string(), {}));
    msgs.verify();
    fs::create_directory(dir / "sub");
    EXPECT_EQ(save(dir / "sub", "x").reason, "what is there is a folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(save(dir / "pipe", "x").reason, kNotPlainFile);
    EXPECT_EQ(save(dir / "none" / "x", "x").reason, "the folder does not exist");

    // No temporary file is left behind by any of it.
    // a.NEVA2, AT, victim, the two planted links, link.NEVA2, sub, pipe
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 8);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace neva
#endif
