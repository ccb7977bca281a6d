#include "SerialProxy.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace neva::sim {

SerialProxy::SerialProxy(SerialLine& outer, int inner_master_fd, int inner_slave_fd, int answer_fd,
                         int stop_fd, LineBarrier& barrier, LineFaults faults, bool log)
    : outer_(outer), inner_(inner_master_fd), inner_slave_(inner_slave_fd), answer_fd_(answer_fd),
      stop_fd_(stop_fd), barrier_(barrier), faults_(faults), log_(log) {
    if (faults_.pace_baud > 0) {
        // One start bit, eight data bits, one stop bit.
        byte_time_ = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(10.0 / faults_.pace_baud));
    }
}

bool SerialProxy::read_exact(int fd, std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = read(fd, data + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0) return false;
            continue;
        }
        return false;
    }
    return true;
}

void SerialProxy::peer_departed() {
    if (log_)
        std::fprintf(stderr, "neva-relay-sim: the port was closed%s\n",
                     pending_.empty() ? "" : "; the answer on its way is lost");
    pending_.clear();
    segments_.clear();
    // Bytes still waiting on the outer line while nobody holds it were sent by the
    // program that left: never answer them. When the next program has already
    // opened the port they are taken as its first request, which is the likely case
    // (a program does not close its port a few microseconds after a request).
    if (!outer_.refresh_peer()) {
        std::vector<std::uint8_t> abandoned;
        outer_.read_available(abandoned);
    }
    // Requests the slave has not read yet die with the session; the one it may be
    // answering right now is caught by the barrier.
    if (inner_slave_ >= 0) tcflush(inner_slave_, TCIFLUSH);
    // Every request passed on has had its answer: nothing can be on its way.
    if (!unanswered_forward_) return;
    unanswered_forward_ = false;
    std::uint32_t next = (barrier_.requested.load() + 1) & ~LineBarrier::kBarrierFlag;
    if (next == 0) next = 1;
    barrier_.requested.store(next);
    awaited_barrier_ = next;
}

void SerialProxy::take_answer(std::uint32_t length) {
    if (length & LineBarrier::kBarrierFlag) {
        if ((length & ~LineBarrier::kBarrierFlag) == awaited_barrier_) awaited_barrier_ = 0;
        return;
    }
    std::vector<std::uint8_t> answer(length);
    if (length == 0 || !read_exact(inner_, answer.data(), answer.size())) return;
    if (awaited_barrier_ != 0) return;
    unanswered_forward_ = false;  // an answer for a program that has gone
    ++answers_;
    if (faults_.silent) {
        if (log_) std::fprintf(stderr, "neva-relay-sim: answer %llu dropped (silent)\n",
                               static_cast<unsigned long long>(answers_));
        return;
    }
    if (faults_.bad_crc_every > 0 && answers_ % faults_.bad_crc_every == 0) {
        if (faults_.modbus_tcp) {
            if (answer.size() >= 8) {
                answer.resize(9);
                answer[4] = 0x00;
                answer[5] = 0x03;
                answer[7] |= 0x80;
                answer[8] = 0x0B;
            }
        } else {
            answer.back() ^= 0xFF;
        }
        if (log_)
            std::fprintf(stderr, "neva-relay-sim: answer %llu %s\n", static_cast<unsigned long long>(answers_),
                         faults_.modbus_tcp ? "replaced by the gateway's exception 11" : "sent with a bad CRC");
    }
    const auto now = Clock::now();
    segments_.push_back({now + std::chrono::milliseconds(faults_.reply_delay_ms), answer.size()});
    pending_.insert(pending_.end(), answer.begin(), answer.end());
}

SerialProxy::Clock::time_point SerialProxy::next_due() const {
    if (segments_.empty()) return next_byte_at_;
    const Segment& s = segments_.front();
    return s.started ? next_byte_at_ : std::max(next_byte_at_, s.earliest);
}

void SerialProxy::write_due_bytes(Clock::time_point now) {
    while (!segments_.empty()) {
        Segment& seg = segments_.front();
        if (!seg.started) {
            if (now < seg.earliest) return;
            next_byte_at_ = std::max(next_byte_at_, seg.earliest);
            seg.started = true;
        }
        if (now < next_byte_at_) return;
        std::size_t due = seg.remaining;
        if (byte_time_.count() > 0) {
            // Every byte whose wire time has come, so a late wake-up catches up.
            const auto behind = (now - next_byte_at_) / byte_time_;
            due = std::min<std::size_t>(due, static_cast<std::size_t>(behind) + 1);
        }
        std::vector<std::uint8_t> chunk(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(due));
        const std::size_t taken = outer_.write_some(chunk.data(), chunk.size());
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(taken));
        seg.remaining -= taken;
        if (byte_time_.count() > 0) next_byte_at_ += byte_time_ * static_cast<long>(taken);
        if (seg.remaining > 0) return;
        segments_.pop_front();
    }
}

bool SerialProxy::run() {
    std::vector<std::uint8_t> request;
    departures_seen_ = outer_.departures();
    for (;;) {
        const auto now = Clock::now();
        if (!outer_.peer_present()) outer_.refresh_peer();
        if (outer_.departures() != departures_seen_) {
            departures_seen_ = outer_.departures();
            peer_departed();
        }
        write_due_bytes(now);

        // The outer line is watched only while a program holds it and no barrier is
        // pending; without a peer the master reports a hang-up on every poll.
        const bool watch_outer = outer_.peer_present() && awaited_barrier_ == 0;
        pollfd fds[4] = {{stop_fd_, POLLIN, 0}, {answer_fd_, POLLIN, 0}, {outer_.watch_fd(), POLLIN, 0},
                         {outer_.fd(), POLLIN, 0}};
        const nfds_t count = watch_outer ? 4 : 3;
        // Waits are exact to the microsecond (ppoll), so paced bytes keep their wire
        // time and a close notice is seen at once even between two paced bytes.
        std::int64_t wait_us = (outer_.peer_present() || outer_.watch_fd() >= 0) ? -1 : 20000;
        if (!pending_.empty()) {
            const auto until = std::chrono::duration_cast<std::chrono::microseconds>(next_due() - now).count();
            // A line that did not take everything is retried soon.
            wait_us = until > 0 ? until : 1000;
        }
        timespec ts{static_cast<time_t>(wait_us / 1000000), static_cast<long>(wait_us % 1000000) * 1000};
        const int ready = ppoll(fds, count, wait_us < 0 ? nullptr : &ts, nullptr);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (fds[0].revents & POLLIN) return true;
        if (fds[1].revents & POLLIN) {
            std::uint32_t length = 0;
            if (read_exact(answer_fd_, reinterpret_cast<std::uint8_t*>(&length), sizeof length))
                take_answer(length);
        }
        if (fds[2].revents & POLLIN) {
            // A program closed the port: handled at the top of the loop, before any
            // of the bytes now waiting are passed on.
            outer_.read_watch_events();
            continue;
        }
        if (count == 4 && fds[3].revents) {
            request.clear();
            const bool line_ok = outer_.read_available(request);
            std::size_t done = 0;
            if (!request.empty()) unanswered_forward_ = true;
            while (done < request.size()) {
                ssize_t n = write(inner_, request.data() + done, request.size() - done);
                if (n > 0) {
                    done += static_cast<std::size_t>(n);
                } else if (n < 0 && errno == EAGAIN) {
                    usleep(1000);
                } else if (n < 0 && errno != EINTR) {
                    break;
                }
            }
            if (!line_ok && !outer_.is_pseudo_terminal() && !outer_.is_network()) return false;
            if (fds[3].revents & POLLHUP) {
                outer_.refresh_peer();
                // A device whose far end is not connected (a pseudo-terminal pair of
                // another tool) reports a hang-up on every poll: do not spin on it.
                if (!outer_.is_pseudo_terminal() && !outer_.is_network() && !(fds[3].revents & POLLIN))
                    usleep(10000);
            }
        }
    }
}

}  // namespace neva::sim
