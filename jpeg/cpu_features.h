// What the processor can run, asked once: the fast decoder's vector paths
// are chosen by it.
#pragma once

// Whether this CPU (and OS) can run AVX2 code; false off x86.
bool cpu_has_avx2();
