// The ten 800 x 600 backgrounds of "graphics.dat".
#pragma once

#include "canvas.h"

Canvas draw_title_screen();           // object 0
Canvas draw_form_screen();            // object 1
Canvas draw_board_screen();           // object 2
Canvas draw_result_screen(int type);  // objects 3..9, type 0..6
