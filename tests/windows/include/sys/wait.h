// Windows' system() returns the command's exit status itself.
#pragma once
#define WIFEXITED(status) ((status) != -1)
#define WEXITSTATUS(status) (status)
