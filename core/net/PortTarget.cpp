#include "net/PortTarget.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace neva {

namespace {

std::optional<int> to_int(std::string_view s, int lo, int hi) {
    if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < lo || v > hi) return std::nullopt;
    return v;
}

bool starts_with_nocase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    return true;
}

}  // namespace

PortTarget PortTarget::numbered(int n) {
    PortTarget t;
    t.kind = Kind::Numbered;
    t.number = n;
    return t;
}

PortTarget PortTarget::serial_device(std::string path) {
    PortTarget t;
    t.kind = Kind::Device;
    t.device = std::move(path);
    return t;
}

PortTarget PortTarget::network(Kind kind, std::string host, int tcp_port) {
    PortTarget t;
    t.kind = kind;
    t.host = std::move(host);
    t.tcp_port = tcp_port;
    return t;
}

std::string PortTarget::endpoint() const {
    const bool v6 = host.find(':') != std::string::npos && host.front() != '[';
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(tcp_port);
}

std::string PortTarget::text() const {
    switch (kind) {
        case Kind::Numbered: return "COM " + std::to_string(number);
        case Kind::Device: return device;
        case Kind::Tcp: return "tcp://" + endpoint();
        case Kind::ModbusTcp: return "mbtcp://" + endpoint();
    }
    return {};
}

bool PortTarget::valid_host(std::string_view host) {
    if (host.empty() || host.size() > 253) return false;
    if (host.front() == '[') return host.size() > 2 && host.back() == ']' && valid_host(host.substr(1, host.size() - 2));
    return std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
               c == '_' || c == ':' || c == '%';
    });
}

std::optional<PortTarget> PortTarget::parse(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;

    struct Scheme {
        std::string_view prefix;
        Kind kind;
        int default_port;
    };
    static constexpr Scheme kSchemes[] = {{"tcp://", Kind::Tcp, kDefaultServerPort},
                                          {"mbtcp://", Kind::ModbusTcp, kDefaultModbusTcpPort}};
    for (const auto& [scheme, kind, default_port] : kSchemes) {
        if (!starts_with_nocase(text, scheme)) continue;
        std::string_view rest = text.substr(scheme.size());
        if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
        std::string_view host = rest;
        int port = default_port;
        // "[v6]:port", "[v6]", "name:port", "name"; a bare IPv6 address has more than one colon.
        std::size_t colon = std::string_view::npos;
        if (!rest.empty() && rest.front() == '[') {
            const std::size_t close = rest.find(']');
            if (close == std::string_view::npos) return std::nullopt;
            host = rest.substr(1, close - 1);
            if (close + 1 < rest.size()) {
                if (rest[close + 1] != ':') return std::nullopt;
                colon = close + 1;
            }
        } else if (std::count(rest.begin(), rest.end(), ':') == 1) {
            colon = rest.find(':');
            host = rest.substr(0, colon);
        }
        if (colon != std::string_view::npos) {
            const auto p = to_int(rest.substr(colon + 1), 1, 65535);
            if (!p) return std::nullopt;
            port = *p;
        }
        if (!valid_host(host)) return std::nullopt;
        return network(kind, std::string(host), port);
    }
    if (text.find("://") != std::string_view::npos) return std::nullopt;

    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        if (auto n = to_int(text, 1, 255)) return numbered(*n);
        return std::nullopt;
    }
    // "COM 3" as the dialog writes it; "COM3" is the name of a Windows device.
    if (starts_with_nocase(text, "com ")) {
        if (auto n = to_int(text.substr(4), 1, 255)) return numbered(*n);
        return std::nullopt;
    }
    return serial_device(std::string(text));
}

bool PortTarget::operator==(const PortTarget& o) const {
    if (kind != o.kind) return false;
    switch (kind) {
        case Kind::Numbered: return number == o.number;
        case Kind::Device: return device == o.device;
        default: return host == o.host && tcp_port == o.tcp_port;
    }
}

}  // namespace neva
