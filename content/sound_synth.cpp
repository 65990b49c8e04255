// Additive synthesis in doubles, then one scaling to 16 bits. The music is mixed
// into a circular buffer: every tail that runs past the end wraps to the start,
// so the last sample flows into the first and the loop has no seam.
#include "sound_synth.h"

#include <cmath>
#include <cstddef>

namespace
{

constexpr double pi = 3.14159265358979323846;

double midi_hz(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

struct Noise {
    uint32_t state = 12345;
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1u << 23) - 1.0;
    }
};

// Adds `value` at position i of a circular buffer.
void add_wrapped(std::vector<double> &buf, long i, double value)
{
    const long n = long(buf.size());
    buf[size_t(((i % n) + n) % n)] += value;
}

// A plucked, bell-tinged tone: fundamental plus soft upper partials, exponential decay.
void pluck(std::vector<double> &buf, double start_s, double dur_s, int note, double amp, double decay,
           double brightness)
{
    const double f = midi_hz(note);
    const long start = std::lround(start_s * sound_rate);
    const long len = long((dur_s + 0.5) * sound_rate);
    const long hold = long(dur_s * sound_rate);
    for (long k = 0; k < len; ++k) {
        double t = double(k) / sound_rate;
        double env = std::exp(-t * decay) * std::min(1.0, t / 0.004);
        if (k > hold)
            env *= std::exp(-double(k - hold) / sound_rate * 18.0);  // release after the note
        double v = std::sin(2 * pi * f * t) + brightness * 0.5 * std::sin(4 * pi * f * t) +
                   brightness * 0.2 * std::sin(6 * pi * f * t);
        add_wrapped(buf, start + k, amp * env * v);
    }
}

void kick(std::vector<double> &buf, double start_s, double amp)
{
    const long start = std::lround(start_s * sound_rate);
    double phase = 0;
    for (long k = 0; k < long(0.18 * sound_rate); ++k) {
        double t = double(k) / sound_rate;
        double f = 50 + 70 * std::exp(-t * 30);
        phase += 2 * pi * f / sound_rate;
        add_wrapped(buf, start + k, amp * std::exp(-t * 22) * std::min(1.0, t / 0.002) * std::sin(phase));
    }
}

void hiss(std::vector<double> &buf, Noise &noise, double start_s, double amp, double decay, double len_s)
{
    const long start = std::lround(start_s * sound_rate);
    double prev = 0;
    for (long k = 0; k < long(len_s * sound_rate); ++k) {
        double t = double(k) / sound_rate;
        double n = noise.next();
        double high = n - prev;  // first difference: keeps the bright part of the noise
        prev = n;
        add_wrapped(buf, start + k, amp * std::exp(-t * decay) * std::min(1.0, t / 0.001) * high);
    }
}

std::vector<int16_t> to_pcm(const std::vector<double> &buf, double peak)
{
    double top = 1e-9;
    for (double v : buf)
        top = std::max(top, std::fabs(v));
    std::vector<int16_t> out(buf.size());
    for (size_t i = 0; i < buf.size(); ++i)
        out[i] = int16_t(std::lround(buf[i] / top * peak * 32767.0));
    return out;
}

}  // namespace

std::vector<int16_t> synth_reveal_chime()
{
    const double length_s = 0.8;
    std::vector<double> buf(size_t(length_s * sound_rate), 0.0);
    // Two rising bell strikes (E6, B6) and a high sparkle (E7); partial ratios of a bell.
    struct Strike {
        double at;
        double hz;
        double amp;
    };
    const Strike strikes[] = {{0.0, 1318.5, 1.0}, {0.09, 1975.5, 0.9}, {0.18, 2637.0, 0.5}};
    const double ratios[] = {1.0, 2.76, 5.40};
    const double weights[] = {1.0, 0.35, 0.12};
    for (const Strike &s : strikes) {
        const size_t start = size_t(s.at * sound_rate);
        for (size_t k = start; k < buf.size(); ++k) {
            double t = double(k - start) / sound_rate;
            double v = 0;
            for (int p = 0; p < 3; ++p)
                if (s.hz * ratios[p] < 0.45 * sound_rate)  // nothing above Nyquist: no aliasing
                    v += weights[p] * std::exp(-t * (5.0 + 6.0 * p)) * std::sin(2 * pi * s.hz * ratios[p] * t);
            buf[k] += s.amp * std::min(1.0, t / 0.002) * v;
        }
    }
    // Fade the last 60 ms to silence so the sound ends without a click.
    const size_t fade = size_t(0.06 * sound_rate);
    for (size_t i = 0; i < fade; ++i)
        buf[buf.size() - 1 - i] *= double(i) / double(fade);
    return to_pcm(buf, 0.9);
}

std::vector<int16_t> synth_music_loop()
{
    const double beat = 0.5;  // 120 beats per minute
    const int bars = 8;
    std::vector<double> buf(size_t(bars * 4 * beat * sound_rate), 0.0);

    // I - V - vi - IV, I - V - IV - V in C major: the last bar leads back to the first.
    const int roots[bars] = {48, 43, 45, 41, 48, 43, 41, 43};
    const int chords[bars][3] = {{60, 64, 67}, {59, 62, 67}, {60, 64, 69}, {60, 65, 69},
                                 {60, 64, 67}, {59, 62, 67}, {60, 65, 69}, {59, 62, 65}};
    for (int b = 0; b < bars; ++b) {
        const double bar_s = b * 4 * beat;
        for (int q = 0; q < 4; ++q) {
            int bass = roots[b] + ((q % 2) ? 7 : 0);  // oom-pah: root, fifth
            pluck(buf, bar_s + q * beat, beat * 0.9, bass, 0.55, 4.0, 0.3);
            for (int n = 0; n < 3; ++n)  // off-beat chord stabs
                pluck(buf, bar_s + q * beat + beat / 2, beat * 0.35, chords[b][n], 0.12, 9.0, 0.8);
        }
    }

    // The tune, in eighth notes: {start, length, midi note}; lengths run to the bar line.
    struct Note {
        int start;
        int len;
        int midi;
    };
    const Note tune[] = {
        {0, 2, 76},  {2, 2, 79},  {4, 2, 84},  {6, 2, 79},  {8, 2, 83},  {10, 1, 79}, {11, 1, 81}, {12, 4, 79},
        {16, 2, 81}, {18, 2, 84}, {20, 2, 88}, {22, 2, 84}, {24, 2, 81}, {26, 1, 77}, {27, 1, 79}, {28, 4, 81},
        {32, 1, 79}, {33, 1, 81}, {34, 1, 79}, {35, 1, 76}, {36, 2, 84}, {38, 2, 79}, {40, 2, 83}, {42, 2, 86},
        {44, 1, 83}, {45, 1, 81}, {46, 2, 79}, {48, 2, 77}, {50, 2, 81}, {52, 2, 84}, {54, 1, 81}, {55, 1, 79},
        {56, 2, 74}, {58, 2, 77}, {60, 2, 79}, {62, 2, 83},
    };
    for (const Note &n : tune)
        pluck(buf, n.start * beat / 2, n.len * beat / 2 * 0.92, n.midi, 0.42, 2.5, 0.6);

    Noise noise;
    for (int e = 0; e < bars * 8; ++e) {
        const double at = e * beat / 2;
        hiss(buf, noise, at, (e % 2) ? 0.05 : 0.08, 60, 0.06);  // hi-hat on every eighth
        if (e % 4 == 0)
            kick(buf, at, 0.7);  // beats 1 and 3
        if (e % 4 == 2)
            hiss(buf, noise, at, 0.22, 18, 0.18);  // light snare on 2 and 4
    }
    return to_pcm(buf, 0.45);
}
