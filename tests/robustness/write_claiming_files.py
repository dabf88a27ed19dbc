"""Writes MAT-files that claim more than they hold, in every version: at the
variable name, the dimensions, the element sizes and the data. Version 4, 5/6
and 7 (compressed) files are built byte by byte; version 7.3 files are
written by h5py and then damaged (skipped when h5py is missing).

Usage: write_claiming_files.py OUTPUT_DIRECTORY
Each file is named VERSION-WHAT.mat; the tests expect every one of them.
"""
import os
import struct
import sys
import zlib

BIG = 0x7FFFFFFF

# ---- version 4: records of a 20-byte header (type, rows, columns, imaginary
# flag, name length), the name with its NUL, then the data.


def v4_record(name, rows, columns, data, type_code=0, name_length=None):
    name_bytes = name.encode() + b"\0"
    if name_length is None:
        name_length = len(name_bytes)
    return struct.pack("<5i", type_code, rows, columns, 0, name_length) + name_bytes + data


def doubles(*values):
    return struct.pack("<%dd" % len(values), *values)


def version4_files():
    # A good record first, so that the file is taken for version 4.
    good = v4_record("g", 1, 1, doubles(1.0))
    return {name: good + record for name, record in {
        "v4-name": v4_record("a", 1, 1, doubles(1.0), name_length=BIG),
        "v4-dimensions": v4_record("a", BIG, BIG, doubles(1.0, 2.0)),
        # Type 0 stores doubles: 1000 elements need 8000 bytes, 1000 are there.
        "v4-element-sizes": v4_record("a", 1000, 1, bytes(1000)),
        "v4-data": v4_record("a", 10, 10, doubles(*range(5))),
        # Sparse (type 2): one entry, then the last row: 1 row, 2^31 - 1 columns.
        "v4-sparse-columns": v4_record("s", 2, 3, doubles(1.0, 1.0, 1.0, float(BIG), 5.0, 0.0),
                                       type_code=2),
    }.items()}


# ---- versions 5, 6 and 7: a 128-byte header, then tagged elements.
MI_INT8, MI_INT32, MI_UINT32, MI_DOUBLE, MI_MATRIX, MI_COMPRESSED = 1, 5, 6, 9, 14, 15
MX_DOUBLE = 6


def v5_header():
    text = b"MATLAB 5.0 MAT-file, written to claim more than it holds"
    return text.ljust(116, b" ") + bytes(8) + struct.pack("<H", 0x0100) + b"IM"


def element(kind, payload, claimed=None):
    size = len(payload) if claimed is None else claimed
    padding = bytes(-len(payload) % 8)
    return struct.pack("<II", kind, size) + payload + padding


def double_matrix(name=b"a", dims=(1, 1), values=(1.0,), name_size=None, dims_size=None,
                  data_size=None, data_kind=MI_DOUBLE, matrix_size=None):
    body = element(MI_UINT32, struct.pack("<II", MX_DOUBLE, 0))
    body += element(MI_INT32, struct.pack("<%di" % len(dims), *dims), dims_size)
    body += element(MI_INT8, name, name_size)
    body += element(data_kind, doubles(*values), data_size)
    return element(MI_MATRIX, body, matrix_size)


def version5_elements():
    return {
        "name": double_matrix(name_size=BIG),
        "dimensions": double_matrix(dims=(BIG, BIG), values=(1.0, 2.0)),
        "dimension-count": double_matrix(dims_size=BIG),
        # miDOUBLE elements of 8 bytes: 100 of them claimed, 2 there.
        "element-sizes": double_matrix(dims=(10, 10), values=(1.0, 2.0), data_size=800),
        "data": double_matrix(dims=(10, 10), values=tuple(range(5))),
        "matrix-size": double_matrix(matrix_size=BIG & ~7),
    }


def version5_files():
    files = {}
    for what, matrix in version5_elements().items():
        files["v6-" + what] = v5_header() + matrix
        compressed = zlib.compress(matrix)
        files["v7-" + what] = v5_header() + element(MI_COMPRESSED, compressed)
    good = zlib.compress(double_matrix(dims=(4, 4), values=tuple(range(16))))
    files["v7-compressed-size"] = v5_header() + element(MI_COMPRESSED, good, BIG & ~7)
    files["v7-stream-cut"] = v5_header() + element(MI_COMPRESSED, good[: len(good) // 2])
    # A stream that inflates 1000-fold into a matrix claiming still more.
    zeros = double_matrix(dims=(20000, 20000), values=(0.0,) * 100000)
    files["v7-inflation"] = v5_header() + element(MI_COMPRESSED, zlib.compress(zeros, 9))
    return files


# ---- version 7.3: HDF5 behind a 512-byte user block holding the header.
def version73_files(directory):
    try:
        import h5py
        import numpy as np
    except ImportError:
        print("h5py is missing: no version 7.3 files", file=sys.stderr)
        return
    header = (b"MATLAB 7.3 MAT-file, written to claim more than it holds".ljust(116, b" ") +
              bytes(8) + struct.pack("<H", 0x0200) + b"IM")

    def write(what, fill):
        path = os.path.join(directory, "v73-%s.mat" % what)
        with h5py.File(path, "w", userblock_size=512, libver="earliest") as f:
            fill(f)
        with open(path, "r+b") as out:
            out.write(header)
        return path

    def matlab_class(dataset, name):
        dataset.attrs.create("MATLAB_class", np.bytes_(name))

    def unwritten(shape, dtype):
        def fill(f):
            d = f.create_dataset("a", shape=shape, dtype=dtype, chunks=(1,) * len(shape))
            matlab_class(d, "double")
        return fill

    # 2^31 - 1 by 1000 doubles, no chunk ever written: a file of a few KiB.
    write("dimensions", unwritten((1000, BIG), "<f8"))
    # Elements of 1 MiB each (an HDF5 array type), 4096 of them, none written.
    write("element-sizes", unwritten((4096,), np.dtype(("<f8", (131072,)))))

    # The data cut off: the file ends halfway through the array's data.
    def contiguous(f):
        matlab_class(f.create_dataset("a", data=np.arange(20000.0).reshape(100, 200)), "double")
    path = write("data", contiguous)
    os.truncate(path, os.path.getsize(path) - 80000)

    # The root group's name heap claims a terabyte.
    path = write("name", contiguous)
    with open(path, "r+b") as f:
        data = f.read()
        heap = data.find(b"HEAP")
        f.seek(heap + 8)
        f.write(struct.pack("<Q", 1 << 40))


def main():
    directory = sys.argv[1]
    os.makedirs(directory, exist_ok=True)
    for name, data in {**version4_files(), **version5_files()}.items():
        with open(os.path.join(directory, name + ".mat"), "wb") as out:
            out.write(data)
    version73_files(directory)


if __name__ == "__main__":
    main()
