#include "link/SetpointWrites.h"

#include <algorithm>

namespace neva {

std::pair<std::size_t, std::size_t> sent_range(int block) {
    return block == 2 ? std::pair<std::size_t, std::size_t>{kBlock2.first, kBlock2.last + 1}
                      : std::pair<std::size_t, std::size_t>{kBlock1.first, kBlock1.last - 1};
}

bool sent_bytes_equal(int block, const SetpointImage& a, const SetpointImage& b) {
    const auto [first, end] = sent_range(block);
    return std::equal(a.begin() + first, a.begin() + end, b.begin() + first);
}

void SetpointWrites::begin_group(const std::vector<int>& blocks, const SetpointImage& edicion) {
    group_ = blocks;
    for (int b : blocks) {
        BlockWrite& w = blocks_[index(b)];
        w = BlockWrite{};
        w.sent = edicion;
    }
    if (!group_.empty()) blocks_[index(group_.front())].step = BlockWrite::Step::Write;
}

int SetpointWrites::next_in_group() {
    if (group_.empty()) return 0;
    for (std::size_t i = 0; i < group_.size(); ++i) {
        const BlockWrite& w = block(group_[i]);
        if (w.step != BlockWrite::Step::Idle) return 0;  // still in progress
        if (w.outcome == BlockOutcome::Verified) continue;
        if (w.outcome != BlockOutcome::NotSent) return 0;  // a failure ends the group
        blocks_[index(group_[i])].step = BlockWrite::Step::Write;
        return group_[i];
    }
    return 0;
}

const SetpointImage& SetpointWrites::bytes_to_send(int block, const SetpointImage& edicion) {
    BlockWrite& w = blocks_[index(block)];
    if (w.step != BlockWrite::Step::Write) {
        w = BlockWrite{};
        w.step = BlockWrite::Step::Write;
        w.sent = edicion;
    }
    if (w.outcome == BlockOutcome::NotSent) w.outcome = BlockOutcome::Unconfirmed;
    return w.sent;
}

SetpointWrites::Verdict SetpointWrites::failed(BlockWrite& w, const LinkFault& fault) {
    ++w.failures;
    w.fault = fault;
    if (fault.kind != LinkFaultKind::Exception) w.only_refusals = false;
    if (w.failures < kAttempts) return Verdict::Repeat;
    if (w.step == BlockWrite::Step::Write && w.only_refusals) w.outcome = BlockOutcome::Refused;
    w.step = BlockWrite::Step::Idle;
    return Verdict::Closed;
}

SetpointWrites::Verdict SetpointWrites::write_answered(int block, const LinkFault& fault) {
    BlockWrite& w = blocks_[index(block)];
    if (w.step != BlockWrite::Step::Write) return Verdict::None;
    if (fault.kind != LinkFaultKind::None) return failed(w, fault);
    w.outcome = BlockOutcome::Confirmed;
    w.step = BlockWrite::Step::ReadBack;
    w.failures = 0;
    w.only_refusals = true;
    return Verdict::ReadBack;
}

SetpointWrites::Verdict SetpointWrites::block_read(int block, const LinkFault& fault, const SetpointImage& held) {
    BlockWrite& w = blocks_[index(block)];
    if (w.step != BlockWrite::Step::ReadBack) return Verdict::None;
    if (fault.kind != LinkFaultKind::None) return failed(w, fault);
    w.held = held;
    w.outcome = sent_bytes_equal(block, w.sent, held) ? BlockOutcome::Verified : BlockOutcome::Differs;
    w.step = BlockWrite::Step::Idle;
    return Verdict::Closed;
}

std::vector<int> SetpointWrites::interrupt() {
    std::vector<int> open_blocks;
    for (int b : {1, 2}) {
        BlockWrite& w = blocks_[index(b)];
        if (w.step == BlockWrite::Step::Idle) continue;
        if (w.step == BlockWrite::Step::Write && w.failures > 0 && w.only_refusals) w.outcome = BlockOutcome::Refused;
        w.step = BlockWrite::Step::Idle;
        open_blocks.push_back(b);
    }
    return open_blocks;
}

}  // namespace neva
