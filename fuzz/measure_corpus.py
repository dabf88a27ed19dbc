"""Runs kestrum on every file of the given directories and reports, against
each file's size N, the CPU time and peak memory of the run (as the kernel
counts them for kestrum and the processes it waited for), the worst cases,
and every run that broke kestrum's bounds: a signal, output on stderr, more
than 2 s, or a peak above 64 MiB + 1100 N.

Usage: measure_corpus.py KESTRUM DIRECTORY...
"""
import os
import subprocess
import sys
import time

BASE = 64 << 20
PER_BYTE = 1100


def run(kestrum, path):
    started = time.monotonic()
    child = subprocess.Popen([kestrum, path], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    stderr = child.stderr.read()
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - started
    return status, stderr, usage.ru_utime + usage.ru_stime, wall, usage.ru_maxrss * 1024


def main():
    kestrum, directories = sys.argv[1], sys.argv[2:]
    files = sorted(os.path.join(d, f) for d in directories for f in os.listdir(d)
                   if os.path.isfile(os.path.join(d, f)))
    worst_cpu = worst_wall = (0, None)
    worst_excess = (-1e18, None)
    broken = []
    for path in files:
        size = os.path.getsize(path)
        status, stderr, cpu, wall, peak = run(kestrum, path)
        excess = peak - BASE - PER_BYTE * size
        worst_cpu = max(worst_cpu, (cpu, path))
        worst_wall = max(worst_wall, (wall, path))
        worst_excess = max(worst_excess, (excess, path))
        ended = os.WIFEXITED(status) and os.WEXITSTATUS(status) in (0, 1)
        if not ended or stderr or cpu > 2 or wall > 2 or excess > 0:
            broken.append((path, status, len(stderr), cpu, wall, peak))
    print("%d files, largest %d bytes" % (len(files), max(os.path.getsize(f) for f in files)))
    print("worst CPU time %.3f s (%s)" % worst_cpu)
    print("worst wall time %.3f s (%s)" % worst_wall)
    print("worst peak against 64 MiB + 1100 N: %+.1f MiB (%s)" % (worst_excess[0] / 2**20,
                                                                  worst_excess[1]))
    for path, status, err, cpu, wall, peak in broken:
        print("BROKEN %s: status %#x, %d bytes on stderr, %.2f s CPU, %.2f s, peak %d MiB"
              % (path, status, err, cpu, wall, peak >> 20))
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
