"""How the release tests end: each failure on a line of its own, then the exit code."""
import sys


def exit_with(failures):
    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        sys.exit(1)
    print("PASS")
    sys.exit(0)
