#!/usr/bin/python3
"""kestrum's report through each inflater: every compressed MAT-file among
the fixtures and the regression files, and damaged copies of each (cut
short, bytes changed inside the compressed data), must get the same report
and exit status with ISA-L as with zlib (MAT_INFLATER=zlib).

usage: same_verdict_test.py [--damaged-copies N] KESTRUM LEAK_SUPPRESSIONS DIR...

Compressed files are version 7 files whose elements are compressed, and
version 7.3 files with a deflated dataset. Prints the counts, and each file
whose verdicts differ; exits 1 if there is one. Each file gets
DAMAGED_COPIES damaged copies unless --damaged-copies says otherwise (the
sanitizer build, about ten times slower per run, makes fewer).
"""
import os
import random
import subprocess
import sys
import tempfile

DAMAGED_COPIES = 3


def is_compressed(path):
    with open(path, "rb") as f:
        head = f.read(136)
    if len(head) < 136 or not head.startswith(b"MATLAB "):
        return False
    version, endian = head[124:126], head[126:128]
    if version in (b"\x00\x02", b"\x02\x00"):
        try:
            import h5py
        except ImportError:
            return False
        found = []
        try:
            with h5py.File(path, "r") as f:
                f.visititems(lambda name, item: found.append(
                    getattr(item, "compression", None) == "gzip") or None)
        except Exception:
            return False
        return any(found)
    first_type = head[128:132] if endian == b"IM" else head[128:132][::-1]
    return int.from_bytes(first_type, "little") == 15


def damaged_copies(data, rnd, count):
    """Copies cut inside the data and with bytes changed past the header."""
    copies = []
    for _ in range(count):
        changed = bytearray(data)
        if rnd.random() < 0.4:
            changed = changed[:rnd.randrange(129, len(changed))]
        else:
            for _ in range(rnd.randint(1, 4)):
                at = rnd.randrange(136, len(changed))
                changed[at] ^= rnd.randrange(1, 256)
        copies.append(bytes(changed))
    return copies


def report(kestrum, path, inflater, suppressions):
    env = dict(os.environ)
    env["LSAN_OPTIONS"] = "print_suppressions=0:suppressions=" + suppressions
    if inflater:
        env["MAT_INFLATER"] = inflater
    else:
        env.pop("MAT_INFLATER", None)
    done = subprocess.run([kestrum, path], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          env=env, timeout=120)
    return done.returncode, done.stdout, done.stderr


def main():
    args = sys.argv[1:]
    copies = DAMAGED_COPIES
    if args[:1] == ["--damaged-copies"] and len(args) > 1:
        copies, args = int(args[1]), args[2:]
    if len(args) < 3:
        sys.exit(__doc__)
    kestrum, suppressions, dirs = args[0], args[1], args[2:]
    rnd = random.Random(13)
    files = sorted(os.path.join(d, name) for d in dirs if os.path.isdir(d)
                   for name in os.listdir(d) if os.path.isfile(os.path.join(d, name)))
    compressed = [path for path in files if is_compressed(path)]
    disagreements = runs = damaged = 0
    with tempfile.TemporaryDirectory() as work:
        for path in compressed:
            with open(path, "rb") as f:
                data = f.read()
            variants = [(path, path)]
            for k, copy in enumerate(damaged_copies(data, rnd, copies)):
                copy_path = os.path.join(work, "%s.damaged%d.mat" % (os.path.basename(path), k))
                with open(copy_path, "wb") as f:
                    f.write(copy)
                variants.append((copy_path, "%s (damaged copy %d)" % (path, k)))
                damaged += 1
            for variant, label in variants:
                by_isal = report(kestrum, variant, None, suppressions)
                by_zlib = report(kestrum, variant, "zlib", suppressions)
                runs += 2
                if by_isal != by_zlib:
                    disagreements += 1
                    print("%s: ISA-L status %d, last line %r; zlib status %d, last line %r" % (
                        label, by_isal[0], by_isal[1].splitlines()[-1:], by_zlib[0],
                        by_zlib[1].splitlines()[-1:]))
    print("%d compressed files, %d damaged copies, %d runs of kestrum, %d disagreements" % (
        len(compressed), damaged, runs, disagreements))
    if not compressed:
        print("no compressed files found")
        return 1
    return 1 if disagreements else 0


if __name__ == "__main__":
    sys.exit(main())
