"""The game's sound: the ALSA set-ups that capture it to a file or leave
no device at all, and the capture read back."""
import struct

from layout import check

ALSA_CAPTURE = """# The default sound device writes everything the game plays to a file.
pcm.!default {
    type file
    slave.pcm { type null }
    file "%s"
    format "wav"
}
"""


# No sound device at all: the library is told to use ALSA, whose default
# device names a card that is not there, so the sound cannot start.
ALSA_MISSING = "pcm.!default { type hw card 9 }\n"
ALLEGRO_ALSA_ONLY = "[sound]\ndigi_card = ALSA\n"


def read_wav(path):
    """(frames per second, channels, 16-bit signed samples) of the capture.
    The header's lengths are not trusted: the data runs to the end of the
    file. The library may hand ALSA unsigned samples under a header that says
    signed; the reading whose samples sit closer to zero is the right one."""
    with open(path, "rb") as f:
        data = f.read()
    check(data[:4] == b"RIFF" and data[8:12] == b"WAVE", "the sound capture is no WAV file")
    pos, fmt, body = 12, None, None
    while pos + 8 <= len(data):
        chunk, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        if chunk == b"fmt ":
            fmt = struct.unpack("<HHIIHH", data[pos + 8:pos + 24])
        if chunk == b"data":
            body = data[pos + 8:]
            break
        pos += 8 + size
    check(fmt is not None and body is not None, "the sound capture has no data")
    _, channels, rate, _, _, bits = fmt
    check(bits == 16, "the sound capture has %d-bit samples" % bits)
    body = body[:len(body) // 2 * 2]
    signed = struct.unpack("<%dh" % (len(body) // 2), body)
    flipped = [s ^ -0x8000 for s in signed]     # unsigned data read as signed
    sample = range(0, len(signed), max(1, len(signed) // 20000))
    if sum(abs(flipped[i]) for i in sample) < sum(abs(signed[i]) for i in sample):
        signed = flipped
    return rate, channels, signed, pos + 8


def rms(samples):
    return (sum(s * s for s in samples) / max(1, len(samples))) ** 0.5
