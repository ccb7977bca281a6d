// The Modbus TCP framing byte for byte, the network diagnosis, the port targets and
// the port switch that carries the link's bytes to the chosen one.

#include <gtest/gtest.h>

#include "link/Frames.h"
#include "net/Mbap.h"
#include "net/NetLineWatch.h"
#include "net/PortSwitch.h"
#include "net/PortTarget.h"
#include "platform/PortSource.h"
#include "testing/FakePort.h"

namespace neva {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Mbap, RequestsCarryTransactionAndUnitAndLoseTheCrc) {
    const Bytes rtu = frame_read_input(7, 0x02, 0x03, 0x00, 0x06);
    EXPECT_EQ(*mbap::wrap_request(rtu, 1), (Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x07, 0x04, 0x02, 0x03, 0x00, 0x06}));
    EXPECT_EQ(*mbap::wrap_request(rtu, 0xABCD), (Bytes{0xAB, 0xCD, 0x00, 0x00, 0x00, 0x06, 0x07, 0x04, 0x02, 0x03, 0x00, 0x06}));
    Bytes garbled = rtu;
    garbled.back() ^= 1;
    EXPECT_FALSE(mbap::wrap_request(garbled, 1));  // nothing garbled goes on the network
    EXPECT_FALSE(mbap::wrap_request(Bytes{0x00}, 1));
}

TEST(Mbap, AnswersBecomeTheRtuAnswerOfTheRequestInFlightOnly) {
    mbap::AnswerReader reader;
    reader.expect(5);
    // Read of one register answered in two pieces, after a stale answer to request 4.
    const Bytes stale{0x00, 0x04, 0x00, 0x00, 0x00, 0x05, 0x01, 0x04, 0x02, 0x12, 0x34};
    const Bytes good{0x00, 0x05, 0x00, 0x00, 0x00, 0x05, 0x01, 0x04, 0x02, 0xAB, 0xCD};
    Bytes stream = stale;
    stream.insert(stream.end(), good.begin(), good.begin() + 8);
    auto r = reader.feed(stream.data(), stream.size());
    EXPECT_EQ(r.stale, 1);
    EXPECT_TRUE(r.answers.empty());
    EXPECT_EQ(reader.pending(), 8u);
    r = reader.feed(good.data() + 8, good.size() - 8);
    Bytes want{0x01, 0x04, 0x02, 0xAB, 0xCD};
    append_crc(want);
    ASSERT_EQ(r.answers.size(), 1u);
    EXPECT_EQ(r.answers[0], want);
    // A second answer with the same id is a duplicate: one answer per request.
    r = reader.feed(good.data(), good.size());
    EXPECT_TRUE(r.answers.empty());
    EXPECT_EQ(r.stale, 1);

    // A gateway's exception and an answer with no PDU at all reach the link as what
    // they are (an exception, a frame too short), each with a CRC the link can check.
    reader.expect(6);
    const Bytes exception{0x00, 0x06, 0x00, 0x00, 0x00, 0x03, 0x01, 0x84, 0x0B};
    r = reader.feed(exception.data(), exception.size());
    Bytes want_exception{0x01, 0x84, 0x0B};
    append_crc(want_exception);
    ASSERT_EQ(r.answers.size(), 1u);
    EXPECT_EQ(r.answers[0], want_exception);
    reader.expect(7);
    const Bytes empty_pdu{0x00, 0x07, 0x00, 0x00, 0x00, 0x01, 0x01};
    r = reader.feed(empty_pdu.data(), empty_pdu.size());
    ASSERT_EQ(r.answers.size(), 1u);
    EXPECT_EQ(r.answers[0].size(), 3u);
}

TEST(Mbap, HeadersNoGatewaySendsDropTheStream) {
    mbap::AnswerReader reader;
    reader.expect(1);
    const Bytes oversized{0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x04};  // length 256
    auto r = reader.feed(oversized.data(), oversized.size());
    EXPECT_TRUE(r.malformed);
    EXPECT_EQ(reader.pending(), 0u);
    const Bytes other_protocol{0x00, 0x01, 0x00, 0x01, 0x00, 0x03, 0x01, 0x04, 0x00};
    EXPECT_TRUE(reader.feed(other_protocol.data(), other_protocol.size()).malformed);
    const Bytes zero_length{0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01};
    EXPECT_TRUE(reader.feed(zero_length.data(), zero_length.size()).malformed);
}

TEST(PortTargets, TextsReadBackAndBadOnesAreRefused) {
    for (const char* text : {"COM 3", "/dev/ttyUSB0", "tcp://10.0.0.5:4001", "mbtcp://relay-gw.local:1502",
                             "mbtcp://[fe80::1]:502"}) {
        auto t = PortTarget::parse(text);
        ASSERT_TRUE(t) << text;
        EXPECT_EQ(t->text(), text);
    }
    EXPECT_EQ(PortTarget::parse("3")->number, 3);
    EXPECT_EQ(PortTarget::parse("tcp://10.0.0.5")->tcp_port, PortTarget::kDefaultServerPort);
    EXPECT_EQ(PortTarget::parse("MBTCP://gw")->tcp_port, PortTarget::kDefaultModbusTcpPort);
    EXPECT_EQ(PortTarget::parse("mbtcp://[::1]:1502")->host, "::1");
    for (const char* bad : {"", "0", "256", "tcp://", "tcp://host:0", "tcp://host:65536", "tcp://ho st:1",
                            "tcp://host:x", "udp://host:1", "COM 0"})
        EXPECT_FALSE(PortTarget::parse(bad)) << bad;
}

TEST(PortSwitch, OpensThePortOfTheTargetWithTheLinksSettings) {
    auto numbered = std::make_unique<testing::FakePort>();
    testing::FakePort* com = numbered.get();
    std::vector<PortTarget> made;
    testing::FakePort* last = nullptr;
    PortSwitch sw(std::move(numbered), [&](const PortTarget& t) -> std::unique_ptr<SerialPort> {
        made.push_back(t);
        if (t.kind == PortTarget::Kind::Device) return nullptr;
        auto p = std::make_unique<testing::FakePort>();
        last = p.get();
        return p;
    });
    int events = 0;
    sw.on_event = [&](SerialPort::Event) { ++events; };

    sw.set_port_number(2);
    sw.set_settings("19200,N,8,1");
    ASSERT_TRUE(sw.open());
    EXPECT_EQ(com->port_number(), 2);
    EXPECT_TRUE(made.empty());

    sw.set_target(*PortTarget::parse("tcp://127.0.0.1:4001"));
    EXPECT_TRUE(com->is_open());  // until the link opens again
    ASSERT_TRUE(sw.open());
    EXPECT_FALSE(com->is_open());
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(last->settings(), "19200,N,8,1");
    sw.set_receive_threshold(3);
    last->deliver({1, 2, 3});
    EXPECT_EQ(events, 1);
    EXPECT_EQ(sw.read_all(), (Bytes{1, 2, 3}));
    ASSERT_TRUE(sw.open());  // the same target keeps its port
    EXPECT_EQ(made.size(), 1u);

    sw.set_target(PortTarget::serial_device("/dev/ttyUSB9"));
    EXPECT_FALSE(sw.open());
    EXPECT_EQ(sw.diagnosis(), "this program cannot open /dev/ttyUSB9");
}

TEST(NetLineWatch, TellsASlowNetworkFromASilentRelay) {
    NetLineWatch w("10.0.0.5:4001");
    w.connecting(0);
    EXPECT_EQ(w.diagnosis(4000), "no connection to 10.0.0.5:4001 after 4 s: the network is slow or the device "
                                 "cannot be reached");
    w.connected(100);
    w.request_sent(200);
    w.request_sent(2200);
    EXPECT_NE(w.diagnosis(4300).find("nothing comes back: the relay does not answer"), std::string::npos);
    w.bytes_received(2700);  // the first request's answer, 2.5 s late
    EXPECT_NE(w.diagnosis(2800).find("come back after 2500 ms"), std::string::npos);
    w.request_sent(3000);
    w.bytes_received(3040);
    EXPECT_EQ(w.diagnosis(3100), "");
    w.gateway_exception(11);
    EXPECT_NE(w.diagnosis(3100).find("reports that the relay does not (exception 11)"), std::string::npos);
    w.failed("the connection to 10.0.0.5:4001 was refused");
    w.failed("10.0.0.5:4001 closed the connection");
    EXPECT_EQ(w.diagnosis(5000), "the connection to 10.0.0.5:4001 was refused");
}

}  // namespace
}  // namespace neva
