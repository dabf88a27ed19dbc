#!/usr/bin/python3
"""Writes the version 7.3 MAT-file of the one-chunk memory case: one
5000x5000 double array, all of it in a single deflated chunk, in MATLAB's
layout (h5py, a 512-byte user block with the MAT-file header). It holds
200,000,000 bytes of data in about 200 KB.

usage: write_one_chunk.py OUT
"""
import sys

import h5py
import numpy

HEADER = (b"MATLAB 7.3 MAT-file, Platform: GLNXA64, Created on: Tue Dec  8 10:00:00 2026 "
          b"HDF5 schema 1.00 .").ljust(116, b" ") + b"\0" * 8 + b"\x00\x02" + b"IM"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    with h5py.File(path, "w", userblock_size=512, libver="earliest") as f:
        values = numpy.full((5000, 5000), 1.5)
        dataset = f.create_dataset("one_chunk", data=values, chunks=(5000, 5000),
                                   compression="gzip", compression_opts=9)
        dataset.attrs["MATLAB_class"] = numpy.bytes_(b"double")
    with open(path, "r+b") as f:
        f.write(HEADER)


if __name__ == "__main__":
    main()
