#pragma once
// What a hotkey letter box accepts of a typed character.
#include <cstdint>

namespace LetterFilter {
// The upper-case form of the character when that is a letter A..Z, otherwise 0: the key
// stroke is discarded. Control codes (Backspace, Enter, Escape, Ctrl+letter) are refused too.
int16_t Filter(int16_t code);
}
