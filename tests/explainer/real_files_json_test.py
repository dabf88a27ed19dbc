#!/usr/bin/python3
"""kestrum-explain --json on real files, good and damaged: each document is
valid against the schema, its summary agrees with its variables, and the
exit status with the verdicts (0: every variable intact and the whole file
located; 1: damage found; 2: nothing on standard output).

usage: real_files_json_test.py KESTRUM_EXPLAIN SCHEMA DIR...

Exits 77 (skipped) when jsonschema (Debian: python3-jsonschema) is missing.
"""
import json
import os
import subprocess
import sys

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed: skipped")
    sys.exit(77)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    program, schema_path, dirs = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(schema_path) as f:
        schema = json.load(f)
    validator = jsonschema.Draft202012Validator(schema)
    files = sorted(os.path.join(d, n) for d in dirs if os.path.isdir(d)
                   for n in os.listdir(d) if os.path.isfile(os.path.join(d, n)))
    failures, counts = [], {0: 0, 1: 0, 2: 0}
    for path in files:
        done = subprocess.run([program, "--json", path], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=120)
        counts[done.returncode] = counts.get(done.returncode, 0) + 1
        if done.returncode == 2:
            if done.stdout:
                failures.append("%s: status 2 with a document" % path)
            continue
        try:
            document = json.loads(done.stdout)
        except ValueError as error:
            failures.append("%s: not JSON: %s" % (path, error))
            continue
        errors = sorted(validator.iter_errors(document), key=str)
        if errors:
            failures.append("%s: %s" % (path, errors[0].message))
            continue
        intact = [v for v in document["variables"] if v["fault"] is None]
        damaged = len(document["variables"]) - len(intact)
        if document["summary"]["variables"] != len(document["variables"]) or \
                document["summary"]["intact"] != len(intact):
            failures.append("%s: the summary does not count the variables" % path)
        all_good = damaged == 0 and document["stop"] is None
        if done.returncode != (0 if all_good else 1):
            failures.append("%s: status %d for %d damaged" % (path, done.returncode, damaged))
    for failure in failures:
        print("FAIL:", failure)
    print("%d files: %d all intact, %d with damage, %d not examined; %d failures" % (
        len(files), counts[0], counts[1], counts[2], len(failures)))
    return 1 if failures or not files else 0


if __name__ == "__main__":
    sys.exit(main())
