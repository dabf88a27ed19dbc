#!/usr/bin/python3
"""kestrum's complete report on a few hundred MAT-files written by GNU Octave
and by scipy, checked against what the writer itself says it wrote.

The variables are drawn at random (with a fixed seed) from every class the
writer saves: numeric classes real and complex, logical, char (ASCII, Latin-1
and UTF-8 text), sparse double, complex and logical, empty and N-d shapes,
cells and structs holding such values, global variables. Octave writes them
with -v4, -v6 and -v7 and records, for each variable, ndims() and isglobal()
and whether it loads its own file back; scipy writes format 4 and 5,
compressed or not, with 1-D arrays as rows and as columns, and the expected
dimension count comes from the array's shape.

A file its writer reads back must get a complete report; a file its writer
cannot read back (Octave's -v6 char matrices of some sizes) must get a
failure message. Prints each disagreement and exits 1 if there is any;
exits 77 (skipped) when neither writer is installed.

usage: writers_test.py KESTRUM WORK_DIR [LEAK_SUPPRESSIONS]

LEAK_SUPPRESSIONS, for a sanitizer build: what a run that ends in a failure
leaves allocated (kestrum does not close the file it fails on).
"""
import os
import random
import shutil
import subprocess
import sys

SEED = 11
OCTAVE_FILES_PER_FORMAT = 70
SCIPY_FILES_PER_VARIANT = 30


def expected_report(path, variables):
    """kestrum's report on a healthy file: variables are (name, ndims, global)."""
    lines = ["Reading file %s..." % path, "", "Directory of %s:" % path]
    lines += [name for name, _, _ in variables]
    lines += ["", "Examining the header for each variable:"]
    for name, ndims, is_global in variables:
        lines.append("According to its header, array %s has %d dimensions" % (name, ndims))
        lines.append("  and was a %s variable when saved" % ("global" if is_global else "local"))
    lines += ["", "Reading in the actual array contents:"]
    for name, ndims, is_global in variables:
        lines.append("According to its contents, array %s has %d dimensions" % (name, ndims))
        lines.append("  and was a %s variable when saved" % ("global" if is_global else "local"))
    lines.append("Done")
    return "\n".join(lines) + "\n"


def run_kestrum(kestrum, path, suppressions=None):
    env = dict(os.environ)
    if suppressions:
        env["LSAN_OPTIONS"] = "print_suppressions=0:suppressions=" + suppressions
    done = subprocess.run([kestrum, path], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=60, env=env)
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr


def check_file(kestrum, path, variables, healthy, problems, suppressions):
    status, out, err = run_kestrum(kestrum, path, None if healthy else suppressions)
    if err:
        problems.append("%s: wrote to standard error: %r" % (path, err[:200]))
    if healthy:
        want = expected_report(path, variables)
        if status != 0 or out != want:
            last = out.strip().splitlines()[-1:] if out.strip() else ["(nothing)"]
            problems.append("%s: status %d, last line %r; expected a complete report of %s"
                            % (path, status, last[0], variables))
        return
    lines = out.splitlines()
    if status != 1 or not lines or not lines[-1].startswith("Error "):
        problems.append("%s: the writer cannot read it back, yet status %d" % (path, status))


# ---------------------------------------------------------------- GNU Octave

SHAPES_2D = [(0, 0), (1, 0), (0, 3), (1, 1), (1, 5), (4, 1), (3, 4), (2, 2)]
SHAPES_ND = [(2, 3, 4), (2, 1, 3), (1, 1, 2), (0, 3, 2), (2, 2, 1, 2), (1, 2, 0, 3)]
INTEGER_CLASSES = ["int8", "uint8", "int16", "uint16", "int32", "uint32", "int64", "uint64"]


def octave_shape(shape):
    return "[%s]" % " ".join(str(d) for d in shape)


def prod(shape):
    n = 1
    for d in shape:
        n *= d
    return n


def octave_leaf(rnd, kind, shape):
    """An Octave expression of the given kind and shape."""
    s, n = octave_shape(shape), prod(shape)
    ramp = "reshape(mod(0:%d, 7) - 2.5, %s)" % (n - 1, s)
    if kind == "double":
        return ramp
    if kind == "complex":
        return "complex(%s, reshape(mod(0:%d, 3), %s))" % (ramp, n - 1, s)
    if kind == "single":
        return "single(%s)" % ramp
    if kind == "single complex":
        return "complex(single(%s), single(ones(%s)))" % (ramp, s)
    if kind in INTEGER_CLASSES:
        return "%s(reshape(mod(0:%d, 250) - 100, %s))" % (kind, n - 1, s)
    if kind == "complex integer":
        cls = rnd.choice(INTEGER_CLASSES)
        return "complex(%s(reshape(0:%d, %s)), %s(ones(%s)))" % (cls, n - 1, s, cls, s)
    if kind == "logical":
        return "reshape(mod(0:%d, 3) == 0, %s)" % (n - 1, s)
    if kind == "ascii":
        return "reshape(char(97 + mod(0:%d, 26)), %s)" % (n - 1, s)
    if kind == "latin1":
        # Bytes 192-251: Latin-1 letters, never UTF-8 lead bytes that work.
        return "reshape(char(192 + mod(0:%d, 60)), %s)" % (n - 1, s)
    if kind == "utf8":
        return "['caf' char([195 169]) ' ' char([226 130 172]) ' na' char([195 175]) 've']"
    if kind == "sparse":
        return "sparse(reshape(mod(0:%d, 4) == 1, %s) .* reshape(1:%d, %s))" % (n - 1, s, n, s)
    if kind == "sparse complex":
        return "sparse(reshape(mod(0:%d, 4) == 1, %s) .* (1 + 2i))" % (n - 1, s)
    if kind == "sparse logical":
        return "sparse(reshape(mod(0:%d, 4) == 1, %s))" % (n - 1, s)
    raise ValueError(kind)


LEAF_KINDS = ["double", "complex", "single", "single complex", "logical", "ascii", "latin1",
              "utf8", "sparse", "sparse complex", "sparse logical", "complex integer"] + INTEGER_CLASSES
TWO_D_ONLY = {"sparse", "sparse complex", "sparse logical", "utf8"}


def random_leaf(rnd, kinds, allow_nd=True):
    kind = rnd.choice(kinds)
    shapes = SHAPES_2D + (SHAPES_ND if allow_nd and kind not in TWO_D_ONLY else [])
    return octave_leaf(rnd, kind, rnd.choice(shapes))


def random_container(rnd, depth=0):
    """A cell or a struct (scalar or array) holding leaves and, once, containers."""
    def element():
        if depth < 1 and rnd.random() < 0.25:
            return random_container(rnd, depth + 1)
        return random_leaf(rnd, LEAF_KINDS)
    shape = rnd.choice([(1, 1), (1, 3), (2, 2), (0, 0), (1, 0), (2, 1, 2)])
    n = prod(shape)
    if rnd.random() < 0.5:
        if n == 0:
            return "cell(%s)" % octave_shape(shape)
        return "reshape({%s}, %s)" % (", ".join(element() for _ in range(n)), octave_shape(shape))
    fields = rnd.sample(["alpha", "b", "field_with_a_longer_name", "x1", "y"], rnd.randint(1, 3))
    if rnd.random() < 0.5:
        parts = ", ".join("'%s', %s" % (f, "{%s}" % element()) for f in fields)
        return "struct(%s)" % parts
    values = ", ".join("'%s', reshape({%s}, %s)" % (f, ", ".join(element() for _ in range(n)),
                                                   octave_shape(shape)) if n else
                       "'%s', cell(%s)" % (f, octave_shape(shape)) for f in fields)
    return "struct(%s)" % values


def octave_variables(rnd, version):
    count = rnd.randint(1, 4)
    variables = []
    for i in range(count):
        if version == "-v4":
            kind = rnd.choice(["double", "complex", "ascii", "latin1", "sparse", "sparse complex"])
            expression = octave_leaf(rnd, kind, rnd.choice(SHAPES_2D))
        elif rnd.random() < 0.3:
            expression = random_container(rnd)
        else:
            expression = random_leaf(rnd, LEAF_KINDS)
        is_global = version != "-v4" and rnd.random() < 0.2
        variables.append(("%s%d" % ("g" if is_global else "v", i), expression, is_global))
    return variables


def write_octave_files(rnd, work):
    """Writes the Octave script, runs it, and returns [(path, variables, healthy)]."""
    manifest = os.path.join(work, "octave_manifest.txt")
    script = ["fid = fopen('%s', 'w');" % manifest]
    for version in ["-v4", "-v6", "-v7"]:
        for k in range(OCTAVE_FILES_PER_FORMAT):
            path = os.path.join(work, "octave%s_%03d.mat" % (version, k))
            variables = octave_variables(rnd, version)
            names = [name for name, _, _ in variables]
            script.append("clear -global; clear -x fid;")
            for name, expression, is_global in variables:
                if is_global:
                    script.append("global %s;" % name)
                script.append("%s = %s;" % (name, expression))
            script.append("save('%s', '%s', %s);" % (version, path,
                                                   ", ".join("'%s'" % n for n in names)))
            script.append("try, back = load('%s'); healthy = 1; catch, healthy = 0; end" % path)
            script.append("fprintf(fid, 'file\\t%s\\t%%d\\n', healthy);" % path)
            for name in names:
                script.append("fprintf(fid, 'var\\t%s\\t%%d\\t%%d\\n', ndims(%s), isglobal('%s'));"
                              % (name, name, name))
    script.append("fclose(fid);")
    script_path = os.path.join(work, "write_files.m")
    with open(script_path, "w") as f:
        f.write("\n".join(script) + "\n")
    subprocess.run(["octave-cli", "--no-gui", "--norc", "--quiet", script_path], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
    files = []
    with open(manifest) as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "file":
                files.append((fields[1], [], fields[2] == "1"))
            else:
                files[-1][1].append((fields[1], int(fields[2]), fields[3] == "1"))
    return files


# ---------------------------------------------------------------- scipy

def matlab_ndims(shape, oned_as):
    """The dimension count MATLAB gives the array scipy writes for this shape."""
    shape = list(shape)
    if len(shape) == 0:
        shape = [1, 1]
    elif len(shape) == 1:
        shape = [1, shape[0]] if oned_as == "row" else [shape[0], 1]
    while len(shape) > 2 and shape[-1] == 1:
        shape.pop()
    return len(shape)


def scipy_variables(rnd, np, sparse, version, oned_as):
    """[(name, value, ndims)] of values scipy writes in this format."""
    numeric = ["float64", "float32", "int8", "uint8", "int16", "uint16", "int32", "uint32",
               "int64", "uint64", "complex128", "complex64", "bool"]
    shapes = [(), (0,), (5,), (1, 1), (0, 0), (3, 4), (4, 1), (1, 0)]
    nd_shapes = [(2, 3, 4), (2, 1, 3, 1), (0, 2, 2), (1, 1, 1, 2)]

    def leaf(allow_nd=True):
        kind = rnd.choice(["numeric"] * 4 + ["text", "latin1", "sparse"])
        if kind == "text":
            texts = ["hello", "", "h\u00e9llo w\u00f6rld", "abc"]
            value = rnd.choice(texts + (["\u20ac"] if version == "5" else []))  # v4 is Latin-1
            return value, (1, len(value)) if value else (0, 0)
        if kind == "latin1":
            value = np.array(["\u00e4\u00f6x", "y\u00fc\u00df"])
            return value, (2, 3)
        if kind == "sparse":
            dtype = rnd.choice(["float64", "bool", "complex128"])
            dense = (np.arange(12).reshape(3, 4) % 4 == 1).astype(dtype)
            return sparse.csc_matrix(dense), (3, 4)
        dtype = rnd.choice(numeric if version == "5" else
                           ["float64", "float32", "int32", "int16", "uint16", "uint8", "complex128"])
        shape = rnd.choice(shapes + (nd_shapes if allow_nd and version == "5" else []))
        value = (np.arange(prod(shape)) % 7 - 2).astype(dtype).reshape(shape) if shape else \
            np.array(3, dtype=dtype)
        return value, shape

    variables = []
    for i in range(rnd.randint(1, 4)):
        if version == "5" and rnd.random() < 0.3:
            if rnd.random() < 0.5:
                items = [leaf()[0] for _ in range(rnd.randint(0, 3))]
                value = np.empty((len(items),), dtype=object)
                for k, item in enumerate(items):
                    value[k] = item
                shape = value.shape
            else:
                value = {name: leaf()[0] for name in rnd.sample(["a", "bb", "c_long_name"], 2)}
                shape = (1, 1)
        else:
            value, shape = leaf()
        ndims = matlab_ndims(shape, oned_as) if len(shape) != 2 else 2
        variables.append(("s%d" % i, value, ndims))
    return variables


def write_scipy_files(rnd, work):
    try:
        import numpy as np
        import scipy.io as sio
        import scipy.sparse as sparse
    except ImportError:
        return None
    files = []
    for version in ["4", "5"]:
        for compress in ([False, True] if version == "5" else [False]):
            for oned_as in ["row", "column"]:
                for k in range(SCIPY_FILES_PER_VARIANT):
                    path = os.path.join(work, "scipy_v%s_%s_%s_%03d.mat" % (
                        version, "z" if compress else "plain", oned_as, k))
                    variables = scipy_variables(rnd, np, sparse, version, oned_as)
                    sio.savemat(path, {name: value for name, value, _ in variables},
                                format=version, do_compression=compress, oned_as=oned_as)
                    healthy = True
                    try:
                        sio.loadmat(path)
                    except Exception:
                        healthy = False
                    files.append((path, [(n, d, False) for n, _, d in variables], healthy))
    return files


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    kestrum, work = sys.argv[1], sys.argv[2]
    suppressions = sys.argv[3] if len(sys.argv) == 4 else None
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    rnd = random.Random(SEED)
    families = {}
    if shutil.which("octave-cli"):
        families["GNU Octave"] = write_octave_files(rnd, work)
    scipy_files = write_scipy_files(rnd, work)
    if scipy_files is not None:
        families["scipy"] = scipy_files
    if not families:
        print("neither GNU Octave nor scipy is installed")
        return 77
    problems = []
    for writer, files in families.items():
        unreadable = sum(1 for _, _, healthy in files if not healthy)
        variables = sum(len(v) for _, v, _ in files)
        print("%s: %d files, %d variables, %d the writer cannot read back" % (
            writer, len(files), variables, unreadable))
        for path, file_variables, healthy in files:
            check_file(kestrum, path, file_variables, healthy, problems, suppressions)
    for problem in problems:
        print(problem)
    print("%d disagreements" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
