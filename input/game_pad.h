// The game pad: its key names, button/hat/Z presses as bound commands, and
// the stick scrolling the view.
#pragma once

#include <cstdint>

#include "base/app_state.h"

constexpr uint32_t kPadMoveMessage = 0x3A0; // MM_JOY1MOVE
// JOY_RETURNX | JOY_RETURNY | JOY_RETURNZ | JOY_RETURNPOV | JOY_RETURNBUTTONS
constexpr uint32_t kPadReadFlags = 0xC7;

// The key code of a pad key name ("Joypad button 1" … "Joypad Z"), −1 when
// there is no such name.
int32_t PadKeyCode(const char* name);

// The code of what was newly pressed between two readings, 0 for nothing:
// the hat arriving at a straight direction, Z crossing 0xC000 upward, or the
// lowest newly pressed button, the later ones taking precedence.
uint16_t PadCodeFor(const GamePadReading& previous, const GamePadReading& current);

// The command bound to a code in a key table, −1 when it has none.
int32_t PadCommandFor(const KeyTable* keys, uint16_t code);

// The scroll for a stick position (X low word, Y high word); false inside
// the dead zone.
bool StickScroll(uint32_t position, int32_t clientWidth, int32_t clientHeight, Point* by);

// MM_JOY1MOVE: a bound command for a new press, then the stick's scroll.
void OnGamePadMove(AppState* app, uint32_t position);
