# What the sound device really gives the library, read under gdb on x86-64
# (libasound's getters, whose results the library keeps):
#   DISPLAY=... gdb -q -batch -x tools/alsa-buffer-gdb.py -ex run build/tabellone
# prints the rate asked for, and the period and buffer sizes (in frames) got.
import gdb
class Out(gdb.FinishBreakpoint):
    def __init__(self, name, ptr, size):
        super().__init__(gdb.newest_frame(), internal=True)
        self.name, self.ptr, self.size = name, ptr, size
    def stop(self):
        t = "unsigned long" if self.size == 8 else "unsigned int"
        v = gdb.parse_and_eval("*(%s *)%d" % (t, self.ptr))
        print("ALSA GOT %s = %s" % (self.name, v))
        return False
class Getter(gdb.Breakpoint):
    def __init__(self, fn, size):
        super().__init__(fn)
        self.fn, self.size = fn, size
    def stop(self):
        Out(self.fn, int(gdb.parse_and_eval("$rsi")), self.size)
        return False
class Rate(gdb.Breakpoint):
    def stop(self):
        print("ALSA ASKED rate %s" % int(gdb.parse_and_eval("*(unsigned int *)$rdx")))
        return False
gdb.execute("set breakpoint pending on")
Getter("__snd_pcm_hw_params_get_period_size", 8)
Getter("__snd_pcm_hw_params_get_periods", 4)
Getter("__snd_pcm_hw_params_get_buffer_size", 8)
Rate("snd_pcm_hw_params_set_rate_near")
