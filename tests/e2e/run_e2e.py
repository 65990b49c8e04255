#!/usr/bin/env python3
"""Runs end-to-end scenarios of the game by name (see scenarios.py), or the
scripted pass that saves a PNG of each screen (--screenshots DIR).

    run_e2e.py --build-dir build full_pass esc_on_title
    run_e2e.py --build-dir build --screenshots build/screens
    run_e2e.py --build-dir build --all
    run_e2e.py --list          (the scenario names, one a line: CTest's list)
    run_e2e.py --build-dir build --wine build-windows/tabellone.exe full_pass

With --wine the game is the Windows build under Wine; the datafiles and the
helper programs still come from the Linux build.
"""
import argparse
import os
import sys
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import Failure, Session, Wine, run_with_timeout  # noqa: E402
import left_alone_scenarios  # noqa: E402
import operator_scenarios  # noqa: E402
import record_scenarios  # noqa: E402
import scenarios  # noqa: E402
import screens_tour  # noqa: E402


SKIPPED = 77   # the exit status CTest counts as skipped


def run_one(build_dir, function, keep, wine):
    session = Session(build_dir, wine)
    ok = False
    try:
        # Under Wine each key and click waits for its effect (wine_input.py).
        run_with_timeout(150 * session.display.slowdown)
        function(session)
        ok = True
    except record_scenarios.Skip as reason:
        print("SKIP %s: %s" % (function.__name__, reason))
        ok = SKIPPED
    except Failure as failure:
        print("FAIL %s: %s" % (function.__name__, failure))
    except Exception:
        traceback.print_exc()
        print("FAIL %s: the harness broke" % function.__name__)
    finally:
        run_with_timeout(0)
        session.close(keep=keep or not ok)
    if ok is True:
        print("PASS %s" % function.__name__)
    elif ok is False:
        print("     scratch kept in %s" % session.scratch)
    return ok


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-dir")
    parser.add_argument("--all", action="store_true", help="every scenario")
    parser.add_argument("--list", action="store_true", help="print the scenario names and stop")
    parser.add_argument("--screenshots", metavar="DIR", help="one pass, a PNG of each screen")
    parser.add_argument("--keep", action="store_true", help="keep the scratch folder")
    parser.add_argument("--wine", metavar="EXE", help="run this Windows build of the game under Wine")
    parser.add_argument("names", nargs="*")
    args = parser.parse_args()
    every = (scenarios.SCENARIOS + record_scenarios.SCENARIOS + operator_scenarios.SCENARIOS +
             left_alone_scenarios.SCENARIOS)
    if args.list:
        print("\n".join(f.__name__ for f in every))
        return 0
    if not args.build_dir:
        parser.error("--build-dir is needed to run the game")
    build_dir = os.path.abspath(args.build_dir)
    wine = Wine(os.path.abspath(args.wine)) if args.wine else None

    if args.screenshots:
        session = Session(build_dir, wine)
        try:
            screens_tour.tour(session, os.path.abspath(args.screenshots))
        finally:
            session.close(keep=args.keep)
        return 0

    by_name = {f.__name__: f for f in every}
    unknown = [n for n in args.names if n not in by_name]
    if unknown:
        print("unknown scenarios: %s" % ", ".join(unknown))
        return 2
    chosen = every if args.all else [by_name[n] for n in args.names]
    results = [run_one(build_dir, f, args.keep, wine) for f in chosen]
    if any(r is False for r in results):
        return 1
    return SKIPPED if results and all(r == SKIPPED for r in results) else 0


if __name__ == "__main__":
    sys.exit(main())
