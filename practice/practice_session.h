// A practice session: the pictures in a shuffled order, the one being drawn,
// the pause, and what each finished drawing left for the sheet. No window code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "practice/thumbnails.h"

// Each picture's time when no time limit is set.
constexpr int64_t kDefaultPracticeSeconds = 60;

// One drawing made during the session, in the order drawn.
struct PracticeResult {
    std::u16string reference; // the reference picture's path
    std::u16string drawing;   // where the drawing was saved
    int64_t seconds = 0;      // how long it was drawn
    RgbImage referenceThumb;  // empty when the picture could not be read
    RgbImage drawingThumb;
};

class PracticeSession {
  public:
    // Starts over with the pictures in an order drawn from the seed; false
    // (and no session) when the list is empty.
    bool Start(std::vector<std::u16string> pictures, uint32_t seed, int64_t secondsPerPicture);
    void End();

    bool active() const { return active_; }
    bool paused() const { return paused_; }
    void setPaused(bool paused) { paused_ = active_ && paused; }
    int64_t secondsPerPicture() const { return secondsPerPicture_; }
    void setSecondsPerPicture(int64_t seconds) {
        secondsPerPicture_ = seconds > 0 ? seconds : kDefaultPracticeSeconds;
    }
    size_t count() const { return order_.size(); }
    // 0-based position of the picture being drawn.
    size_t position() const { return position_; }
    const std::u16string& current() const;

    // Moves on to the next picture: false when there is none (the session
    // stays active until End, so the last drawing can still be recorded).
    bool Next();

    // "3/12", with " paused" while paused; empty outside a session.
    std::u16string Progress() const;

    void Record(PracticeResult result) { results_.push_back(std::move(result)); }
    const std::vector<PracticeResult>& results() const { return results_; }
    // Pictures the session passed over because they could not be read.
    void CountUnreadable() { ++unreadable_; }
    size_t unreadable() const { return unreadable_; }

  private:
    std::vector<std::u16string> order_;
    std::vector<PracticeResult> results_;
    size_t position_ = 0;
    size_t unreadable_ = 0;
    int64_t secondsPerPicture_ = kDefaultPracticeSeconds;
    bool active_ = false;
    bool paused_ = false;
};

// The program's one session.
PracticeSession& ThePracticeSession();

// The per-picture time for a time limit in seconds (0: no limit).
constexpr int64_t PracticeSecondsFor(int64_t timeLimitSeconds) {
    return timeLimitSeconds > 0 ? timeLimitSeconds : kDefaultPracticeSeconds;
}
