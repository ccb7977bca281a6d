#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "files/Manejo_de_Archivos.h"
#include "files/SafeSave.h"
#include "testing/FakeClock.h"
#include "testing/ScriptedMessages.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace neva {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

SaveOutcome save(const fs::path& p, const std::string& text) {
    return save_file_safely(p, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

class SafeSave : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("neva_safe_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }
    // Nothing but the named entries is left in the folder: no temporary file.
    void expect_only(std::initializer_list<const char*> names) {
        std::size_t n = 0;
        for (const auto& e : fs::directory_iterator(dir)) {
            ++n;
            EXPECT_NE(std::find_if(names.begin(), names.end(), [&](const char* x) { return e.path().filename() == x; }),
                      names.end())
                << e.path();
        }
        EXPECT_EQ(n, names.size());
    }
    fs::path dir;
};

TEST_F(SafeSave, ReplacesKeepingPermissionsAndWritesThroughLinks) {
    const fs::path f = dir / "a.NEVA2";
    put(f, "old");
    fs::permissions(f, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(save(f, "new").ok);
    EXPECT_EQ(slurp(f), "new");
    EXPECT_EQ(fs::status(f).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A link, relative or dangling, is written through and stays a link.
    fs::create_symlink("a.NEVA2", dir / "link.NEVA2");
    fs::create_symlink("made.NEVA2", dir / "dangling.NEVA2");
    ASSERT_TRUE(save(dir / "link.NEVA2", "through").ok);
    ASSERT_TRUE(save(dir / "dangling.NEVA2", "created").ok);
    EXPECT_TRUE(fs::is_symlink(dir / "link.NEVA2"));
    EXPECT_EQ(slurp(f), "through");
    EXPECT_EQ(slurp(dir / "made.NEVA2"), "created");

    // Links planted at the names earlier versions used for their temporary file are
    // never followed.
    put(dir / "victim", "keep");
    fs::create_symlink("victim", dir / "a.NEVA2.saving");
    fs::create_symlink("victim", dir / "AT.tmp");
    ASSERT_TRUE(save(f, "again").ok);
    ASSERT_TRUE(save(dir / "AT", "modem").ok);
    EXPECT_EQ(slurp(dir / "victim"), "keep");
    expect_only({"a.NEVA2", "link.NEVA2", "dangling.NEVA2", "made.NEVA2", "victim", "a.NEVA2.saving", "AT.tmp", "AT"});
}

TEST_F(SafeSave, RefusesWhatItMustNotReplaceAndLeavesItAsItWas) {
    // Read-only (also for root, who could write it anyway).
    const fs::path ro = dir / "ro.NEVA2";
    put(ro, "kept");
    fs::permissions(ro, fs::perms::owner_read | fs::perms::group_read);
    SaveOutcome r = save(ro, "x");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find("read-only"), std::string::npos) << r.reason;
    EXPECT_EQ(slurp(ro), "kept");

    // A folder in the way, a missing folder, a parent that is a file.
    fs::create_directory(dir / "sub.NEVA2");
    put(dir / "plain", "p");
    EXPECT_EQ(save(dir / "sub.NEVA2", "x").reason, "what is there is a folder");
    EXPECT_EQ(save(dir / "none" / "x.NEVA2", "x").reason, "the folder does not exist");
    EXPECT_EQ(save(dir / "plain" / "x.NEVA2", "x").reason, "the folder does not exist");
#ifndef _WIN32
    // A pipe is refused without blocking on it, and stays a pipe.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(save(dir / "pipe", "x").reason, kNotPlainFile);
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    // A new file gets the user's usual permissions, not the temporary file's private ones.
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(save(dir / "new", "n").ok);
    ::umask(mask);
    EXPECT_EQ(fs::status(dir / "new").permissions(), static_cast<fs::perms>(0644));
#endif
    EXPECT_EQ(slurp(dir / "plain"), "p");
    EXPECT_TRUE(fs::is_empty(dir / "sub.NEVA2"));

    // The setpoint save names the file and the reason, and keeps its buffer.
    SharedState state;
    RegisterImages images;
    testing::ScriptedMessages msgs;
    testing::FakeClock clock;
    Manejo_de_Archivos files(state, images, msgs, clock);
    msgs.expect_message("The setpoint file could not be saved to \"" + ro.string() +
                            "\": the file there is read-only; save under another name, or make it writable first. "
                            "Any file already there is unchanged.",
                        kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation);
    EXPECT_FALSE(files.Guardar_Archivo(ro.string(), {}));
    msgs.verify();
    EXPECT_EQ(files.record().marker.trimmed_right(), "");
    EXPECT_EQ(slurp(ro), "kept");
}

}  // namespace
}  // namespace neva
