#!/usr/bin/env python3
"""velsync options on a terminal: a field starts out with its value, arrow keys move in it instead of
landing in the URL as escape bytes, and a save exits 0."""
import atexit
import fcntl
import os
import pty
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time

velsync = sys.argv[1]
home = tempfile.mkdtemp()
atexit.register(shutil.rmtree, home, True)
env = dict(os.environ, VELSYNC_HOME=home + "/home", APPDATA=home + "/appdata", TERM="xterm")


def run(*args):
    return subprocess.run([velsync, *args], env=env, capture_output=True, text=True, timeout=60,
                          stdin=subprocess.DEVNULL)


pid = 0


def fail(why, seen=""):
    print("FAIL:", why, "\n--- output ---\n" + seen)
    if pid:
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    sys.exit(1)


assert run("register", "--user").returncode == 0
assert run("options", "--url", "http://example.invalid/dav/", "--email", "alice").returncode == 0

pid, fd = pty.fork()
if pid == 0:
    os.execve(velsync, [velsync, "options"], env)
# A terminal of 24 lines by 100 columns, so the editor does not wrap the prompts.
fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 100, 0, 0))
seen = ""


def expect(text, seconds=20):
    global seen
    deadline = time.monotonic() + seconds
    while text not in seen:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            fail("no " + repr(text), seen)
        try:
            seen += os.read(fd, 4096).decode("utf-8", "replace")
        except OSError:
            fail("the program ended before " + repr(text), seen)


expect("Enter for OK")
os.write(fd, b"1\r")
expect("Server URL: http://example.invalid/dav/")
# Two steps left, one letter in, then Enter.
os.write(fd, b"\x1b[D\x1b[DX\r")
expect("Enter for OK")
os.write(fd, b"\r")
expect("Settings saved.")
status = 1
for _ in range(100):
    done, status = os.waitpid(pid, os.WNOHANG)
    if done:
        break
    time.sleep(0.1)
if not os.WIFEXITED(status) or os.WEXITSTATUS(status) != 0:
    fail("exit status %d after a save" % status, seen)
page = run("options").stderr
if "http://example.invalid/daXv/" not in page:
    fail("the URL was not edited in place", page)
print("options on a terminal: edited in place, saved, exit 0")
