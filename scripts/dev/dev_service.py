#!/usr/bin/env python3
"""Development stand-in for the maker's web service, used by scripts/run.

Plain HTTP on 127.0.0.1 (no certificate involved), with the routes of the
test service (tests/support/test_service.py): the start-up answer of
/api.init.php, reports stored by POST /report.php and the result page
"/?report=<key>" showing the memory regained and the processes ended.
The start-up answer adds one entry to the file white list, so that the
list additions can be seen at work.

  dev_service.py --port PORT --state-dir DIR [--keep NAME.exe]
"""

import argparse
import os
import sys
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
import test_service  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--state-dir", required=True)
    parser.add_argument("--keep", default="winemine.exe",
                        help="program the start-up answer adds to the file white list")
    args = parser.parse_args()
    os.makedirs(args.state_dir, exist_ok=True)
    test_service.state_dir = args.state_dir
    test_service.STARTUP_ANSWER["file_white"] = [args.keep + "*"]
    test_service.serve(args.port, None)
    with open(os.path.join(args.state_dir, "ready"), "w") as f:
        f.write(str(os.getpid()))
    threading.Event().wait()


if __name__ == "__main__":
    main()
