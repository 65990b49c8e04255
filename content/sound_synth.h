// The game's two sounds, synthesised: the reveal chime and the looping music.
#pragma once

#include <cstdint>
#include <vector>

constexpr int sound_rate = 22050;  // samples per second, both sounds

std::vector<int16_t> synth_reveal_chime();  // under one second, bright, near full scale
std::vector<int16_t> synth_music_loop();    // 16 s, seamless when looped, quieter than the chime
