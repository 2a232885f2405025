// The practice session's order, position and results.
#include "practice/practice_session.h"

#include <utility>

#include "base/report.h"

namespace {

// A small generator of its own, so that one seed gives one order on every
// system (the standard distributions differ between libraries).
uint32_t NextRandom(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

} // namespace

bool PracticeSession::Start(std::vector<std::u16string> pictures, uint32_t seed,
                            int64_t secondsPerPicture) {
    *this = PracticeSession();
    if (pictures.empty()) return false;
    order_ = std::move(pictures);
    uint32_t state = seed ? seed : 0x9E3779B9u;
    for (size_t i = order_.size() - 1; i > 0; --i) {
        const size_t j = NextRandom(state) % (i + 1);
        std::swap(order_[i], order_[j]);
    }
    setSecondsPerPicture(secondsPerPicture);
    active_ = true;
    return true;
}

void PracticeSession::End() {
    active_ = false;
    paused_ = false;
}

const std::u16string& PracticeSession::current() const {
    static const std::u16string none;
    return active_ && position_ < order_.size() ? order_[position_] : none;
}

bool PracticeSession::Next() {
    if (!active_ || position_ + 1 >= order_.size()) return false;
    ++position_;
    return true;
}

PracticeSession& ThePracticeSession() {
    static PracticeSession session;
    return session;
}

std::u16string PracticeSession::Progress() const {
    if (!active_) return std::u16string();
    std::u16string text =
        AsciiToUtf16((std::to_string(position_ + 1) + "/" + std::to_string(order_.size())).c_str());
    if (paused_) text += u" paused";
    return text;
}
