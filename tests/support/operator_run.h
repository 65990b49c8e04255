// The operator's program run in the test's process on the current folder:
// its arguments, what it is answered, and what it printed.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

#include "operator/commands.h"
#include "platform/whole_file.h"

struct Outcome {
    int status;
    std::string out, err;
};

inline Outcome operate(const std::vector<std::string> &args, const std::string &answer = "")
{
    FILE *in = tmpfile(), *out = tmpfile(), *err = tmpfile();
    fputs(answer.c_str(), in);
    rewind(in);
    Outcome run;
    run.status = run_operator(args, Console{in, out, err});
    fclose(in);
    run.out = whole_open_file(out);
    run.err = whole_open_file(err);
    return run;
}
