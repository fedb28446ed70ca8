// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "replay/player.h"

namespace skyvane::replay {

Player::Player(DesktopBase& desktop, std::vector<Form*> forms, Recording inputs)
    : desktop_(desktop),
      forms_(std::move(forms)),
      inputs_(std::move(inputs)),
      last_(inputs_.lastPeriod()) {
    desktop_.setInputSource(this);
}

Player::~Player() {
    desktop_.setInputSource(nullptr);
}

void Player::applyNext() {
    const Input in = inputs_[next_++];
    if (in.kind == Input::Kind::BoxClosed && desktop_.modal()) {
        closing_ = desktop_.boxes();
        closed_ = closing_;
    }
    desktop_.apply(in, forms_);
}

void Player::reachEnd() {
    if (ended_) return;
    ended_ = true;
    if (onEnded) onEnded();
}

void Player::programEnded() {
    reachEnd();
}

bool Player::beforePeriod() {
    if (ended_ || desktop_.ended()) return false;
    // The handler behind a box the replay closed goes on before anything else happens.
    if (closing_ > 0) {
        if (desktop_.boxes() >= closing_) return false;
        closing_ = 0;
    }
    while (!finished()) {
        const auto period = inputs_.period(next_);
        if (period > desktop_.period()) return true;
        // A repeat belongs to the start of its period, which has begun: too late to make it.
        if (inputs_.kind(next_) == Input::Kind::Repeat) {
            ++next_;
            continue;
        }
        applyNext();
        if (ended_ || desktop_.ended()) return false;
        if (closing_ > 0) return false;
    }
    if (desktop_.period() >= last_) {
        reachEnd();
        return false;
    }
    return true;
}

void Player::periodStart() {
    while (!finished() && inputs_.kind(next_) == Input::Kind::Repeat &&
           inputs_.period(next_) == desktop_.period())
        applyNext();
}

void Player::pump(const std::function<void()>& runPeriod) {
    const int box = desktop_.modal() ? desktop_.boxes() : 0;
    while (!ended_ && !desktop_.ended()) {
        if (box > 0 && closed_ == box) {
            closed_ = 0;
            return;
        }
        const auto period = desktop_.period();
        const auto next = next_;
        runPeriod();
        // A grid that would not move with nothing applied would spin here for ever.
        if (desktop_.period() == period && next_ == next && !ended_ && !desktop_.ended() &&
            !(box > 0 && closed_ == box) && closing_ == 0)
            reachEnd();
    }
}

}  // namespace skyvane::replay
