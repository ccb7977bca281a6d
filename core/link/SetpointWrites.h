#pragma once
// What became of the setpoint blocks the program sent to the relay. A write sends
// the block as the user stored it, every repeat sends those same bytes, at most
// kAttempts exchanges are spent on it, and a confirmed write is read back: only a
// relay that holds exactly the bytes sent counts as holding the user's setpoints.
// Several blocks can go out as one group (a whole setpoint file): each block is
// written and read back before the next one starts, and the first block that
// does not end verified ends the group, so that what the relay holds can be said
// block by block.
//
// Plain bookkeeping: the link feeds it the outcome of each exchange and acts on
// the verdicts (repeat, read back, give up); the messages are built elsewhere.

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

#include "image/RegisterImages.h"
#include "link/LinkFault.h"

namespace neva {

enum class BlockOutcome {
    NotSent,      // nothing of this write went out: the relay keeps its old values
    Unconfirmed,  // sent, never confirmed: the relay may hold either
    Refused,      // every answer was an exception: the relay keeps its old values
    Confirmed,    // the relay confirmed the write; it could not be read back
    Verified,     // read back: the relay holds exactly the bytes sent
    Differs,      // read back: the relay holds other values
};

struct BlockWrite {
    enum class Step { Idle, Write, ReadBack };
    Step step = Step::Idle;
    BlockOutcome outcome = BlockOutcome::NotSent;
    int failures = 0;       // failed exchanges of the step in progress
    bool only_refusals = true;
    LinkFault fault;        // the last failure
    SetpointImage sent{};   // the block's bytes as sent (positions of the block only)
    SetpointImage held{};   // the stored image as read back
    bool holds_old_values() const { return outcome == BlockOutcome::NotSent || outcome == BlockOutcome::Refused; }
};

class SetpointWrites {
public:
    static constexpr int kAttempts = 3;

    enum class Verdict {
        None,      // the exchange belongs to no write in progress
        Repeat,    // send the same request again
        ReadBack,  // the write is confirmed: read the block back
        Closed,    // the block's write has ended (see its outcome)
    };

    // Starts a group: the blocks in the order they are sent, their bytes taken from
    // the edit image now. The first block's write is then the one to send.
    void begin_group(const std::vector<int>& blocks, const SetpointImage& edicion);
    bool in_group() const { return !group_.empty(); }
    const std::vector<int>& group() const { return group_; }
    // After a block of the group closed verified: the next block to write (its
    // write step started), or 0 when the group is complete or ended by a failure.
    int next_in_group();
    // Ends the group (complete or not); its blocks keep their outcomes.
    void end_group() { group_.clear(); }

    // The bytes the write of `block` sends now. A block without a write step in
    // progress starts one from the edit image as it stands (a page's STORE); a
    // repeat gets the very bytes of the first attempt.
    const SetpointImage& bytes_to_send(int block, const SetpointImage& edicion);
    // Outcome of one exchange of a write, and of a read of the block (a read that is
    // not the read-back of a confirmed write gives None). `held` is the stored image
    // after a valid read.
    Verdict write_answered(int block, const LinkFault& fault);
    Verdict block_read(int block, const LinkFault& fault, const SetpointImage& held);
    // The link has failed: every step in progress ends where it stands. Returns the
    // blocks that were open.
    std::vector<int> interrupt();

    const BlockWrite& block(int b) const { return blocks_[index(b)]; }
    bool open(int b) const { return block(b).step != BlockWrite::Step::Idle; }

private:
    static int index(int b) { return b == 2 ? 1 : 0; }
    Verdict failed(BlockWrite& w, const LinkFault& fault);

    std::array<BlockWrite, 2> blocks_{};
    std::vector<int> group_;
};

// The image positions [first, end) a write of `block` carries: block 1 without its
// last register 0x011B, which is never sent.
std::pair<std::size_t, std::size_t> sent_range(int block);
// Whether the bytes a write of `block` carries are the same in both images.
bool sent_bytes_equal(int block, const SetpointImage& a, const SetpointImage& b);

}  // namespace neva
