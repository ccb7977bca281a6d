// show and diff on setpoint files written by the program's own save, the bytes a
// write compares, and the pieces the relay commands print with. The checks a file
// must pass before it is sent are run on the binary (CliE2eTest) and per setpoint
// in the register map's tests.

#include <gtest/gtest.h>

#include <sstream>

#include "CliArguments.h"
#include "CliFilesTestSupport.h"
#include "EventRecord.h"
#include "FileCommands.h"
#include "JsonWriter.h"
#include "SetpointReport.h"

namespace neva::cli {
namespace {

using testing::TempDir;

struct CommandRun {
    int status = -1;
    std::string out, err;
};

CommandRun run(int (*command)(const CliOptions&, std::ostream&, std::ostream&), std::vector<std::string> operands) {
    CliOptions o;
    o.operands = std::move(operands);
    std::ostringstream out, err;
    CommandRun r;
    r.status = command(o, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

int count_of(const std::vector<std::string>& v, const std::string& part) {
    int n = 0;
    for (const auto& l : v) n += l.find(part) != std::string::npos;
    return n;
}

TEST(FileCommandsTest, ShowPrintsTheHeaderAndEveryVisibleSetpointAsThePageShowsIt) {
    TempDir dir;
    const std::string file = dir.path("factory.NEVA2");
    testing::write_setpoint_file(file, testing::factory_setpoints());

    const CommandRun r = run(run_show, {file});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    const auto l = lines(r.out);
    ASSERT_GT(l.size(), 7u);
    // The fixed-width texts without their padding; the save date as ISO date-time.
    EXPECT_EQ(std::vector<std::string>(l.begin(), l.begin() + 7),
              (std::vector<std::string>{"File:\t" + file, "Programmer:\tJ. Tester", "Relay name:\tFeeder 7",
                                        "Observations:\tSpare bay", "Firmware version:\t1.03",
                                        "Saved:\t2026-12-06T12:00:00", ""}));

    EXPECT_EQ(l.size() - 7, visible_entries(shipped_register_map()).size());
    // One row per control kind: number, list, timed value, relay check boxes.
    EXPECT_EQ(count_of(l, "SETPOINTS - System Setup\tPhase CT Rating Primary:\t400 A\t400"), 1);
    EXPECT_EQ(count_of(l, "SETPOINTS - System Setup\tBreaker Type:\tCircuit Breaker\t0"), 1);
    EXPECT_EQ(count_of(l, "SETPOINTS - Phase and Ground Protections\tPhase Timed O/C Delay:\t1.0 Sec\t100"), 1);
    EXPECT_EQ(count_of(l, "\tBreaker Discrepancy Relay:\t[ ] Trip [x] Aux 1 [ ] Aux 2 [ ] Aux 3\t2"), 1);
    // The never-seen copy of the supervision rows is not listed twice.
    EXPECT_EQ(count_of(l, "\tBlock Trip Delay:\t"), 1);
}

TEST(FileCommandsTest, DiffListsOnlyTheSetpointsThatDifferAndRefusesForeignFiles) {
    TempDir dir;
    const SetpointImage factory = testing::factory_setpoints();
    const std::string a = dir.path("a.NEVA2"), b = dir.path("b.NEVA2"), c = dir.path("c.NEVA2");
    testing::write_setpoint_file(a, factory);

    // Files the program would refuse: nothing on standard output, the reason on error.
    neva::testing::write_file(b, std::string(kRecordSize, 'x'));
    CommandRun r = run(run_show, {b});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("It isn't NEVA File"), std::string::npos) << r.err;
    r = run(run_diff, {a, dir.path("missing.NEVA2")});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_NE(r.err.find("missing.NEVA2: no such file"), std::string::npos) << r.err;

    // Equal setpoints, other header: no difference.
    testing::write_setpoint_file(b, factory, {"Somebody else", "Other", "", "1.05"});
    r = run(run_diff, {a, b});
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out, "");

    SetpointImage changed = factory;
    testing::put_word(changed, "0184", 250);  // phase timed delay 1.00 -> 2.50 s
    testing::put_word(changed, "0101", testing::word(factory, "0101") | 0x0100);  // breaker type
    // Bits and registers no setpoint owns are no difference: 0101 bit 15, 011B.
    testing::put_word(changed, "0101", testing::word(changed, "0101") | 0x8000);
    testing::put_word(changed, "011B", 0x1234);
    testing::write_setpoint_file(c, changed);

    r = run(run_diff, {a, c});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{
                                "SETPOINTS - System Setup\tBreaker Type:\tCircuit Breaker\tDisconnector",
                                "SETPOINTS - Phase and Ground Protections\tPhase Timed O/C Delay:\t1.0 Sec\t2.5 Sec",
                            }));
}

TEST(FileCommandsTest, OnlyTheBytesAWriteSendsAreCompared) {
    const SetpointImage sent = testing::factory_setpoints();
    SetpointImage held = sent;
    for (int i : {54, 55, 150}) held[i] ^= 0xFF;  // register 011B is never sent; 150 lies beyond both blocks
    EXPECT_TRUE(sent_bytes_equal(sent, held));
    for (int i : {10, 56, 99}) held[i] ^= 0x01;
    EXPECT_EQ(differing_sent_positions(sent, held), (std::vector<int>{10, 56, 99}));
}

TEST(JsonWriterTest, EscapesAndConvertsTextsAndNestsWithStableIndentation) {
    EXPECT_EQ(JsonWriter::quote("a\"b\\c\nd\te"), "\"a\\\"b\\\\c\\nd\\te\"");
    EXPECT_EQ(JsonWriter::quote(std::string("x\x01y", 3)), "\"x\\u0001y\"");
    EXPECT_EQ(JsonWriter::quote("\xBA" "C"), "\"\xC2\xBA" "C\"");         // a code-page byte, as Latin-1
    EXPECT_EQ(JsonWriter::quote("\xC2\xBA" "C"), "\"\xC2\xBA" "C\"");     // already UTF-8: unchanged
    EXPECT_EQ(JsonWriter::quote("\xE2\x82"), "\"\xC3\xA2\xC2\x82\"");     // a cut sequence is not UTF-8

    std::ostringstream s;
    JsonWriter j(s);
    j.begin_object();
    j.key("n");
    j.value(-5);
    j.key("list");
    j.begin_array();
    j.value("a");
    j.null();
    j.begin_object();
    j.end_object();
    j.end_array();
    j.end_object();
    j.finish();
    EXPECT_EQ(s.str(), "{\n  \"n\": -5,\n  \"list\": [\n    \"a\",\n    null,\n    {}\n  ]\n}\n");
}

TEST(EventRecordTest, RowsFollowTheEventPagesRules) {
    std::vector<std::string> texts = {
        " 4, Phase Timed OverCurrent ,2003-03-05 10:20:30 PM",
        " 3, Trip Relay ON ,2003-03-05 12:05:00 AM",
        "garbled",  // no comma: skipped
        " 1, NO EVENT ,0 0",
        " 0, Events Clear ,2003-03-01 09:00:00 AM",
    };
    auto rows = event_rows(texts);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].number, 4);
    EXPECT_EQ(rows[0].description, " Phase Timed OverCurrent");
    EXPECT_EQ(iso_from_event_time(rows[0].date_time), "2003-03-05T22:20:30");
    EXPECT_EQ(iso_from_event_time(rows[1].date_time), "2003-03-05T00:05:00");
    EXPECT_EQ(iso_from_event_time("0 0"), "");
    EXPECT_EQ(iso_from_event_time("2003-03-05 13:00:00 PM"), "");

    // The newest number limits the rows, and never more than 20.
    texts.assign(25, " 7, Remote Trip ,0 0");
    texts[0] = " 25, Remote Trip ,0 0";
    EXPECT_EQ(event_rows(texts).size(), 20u);
    texts[0] = " 2, Remote Trip ,0 0";
    EXPECT_EQ(event_rows(texts).size(), 2u);
    // A relay with no events: the first text has no comma.
    texts[0] = " No Trip ";
    EXPECT_TRUE(event_rows(texts).empty());
}

}  // namespace
}  // namespace neva::cli
