#!/usr/bin/python3
"""Writes sample.mat, the bundled example MAT-file for kestrum.

A version 7 MAT-file (the version 5 layout with zlib-compressed elements)
holding variables of several classes and dimension counts, one of them
global:

    matrix      2x3 double                      2 dimensions
    cube        2x3x2 double (stored as uint8)  3 dimensions
    tesseract   2x1x2x2 int16                   4 dimensions
    greeting    1x13 char                       2 dimensions
    counter     1x1 double, global              2 dimensions (not compressed)
    mask        1x4 logical                     2 dimensions
    settings    1x1 struct (gain, label)        2 dimensions
    pieces      1x2 cell                        2 dimensions

The output depends only on this script: no dates, no platform names, and
elements in a fixed order, so every run writes the same bytes.

Usage: make_sample_mat.py [output-path]   (default: sample.mat beside it)
"""
import os
import struct
import sys
import zlib

# Data types of elements.
MI_INT8, MI_UINT8, MI_INT16, MI_UINT16, MI_INT32, MI_UINT32 = 1, 2, 3, 4, 5, 6
MI_DOUBLE, MI_MATRIX, MI_COMPRESSED = 9, 14, 15

# Array classes and flags of the array-flags element.
MX_CELL, MX_STRUCT, MX_CHAR, MX_DOUBLE, MX_UINT8, MX_INT16 = 1, 2, 4, 6, 9, 10
FLAG_GLOBAL, FLAG_LOGICAL = 0x0400, 0x0200

HEADER_TEXT = b"MATLAB 5.0 MAT-file, written by make_sample_mat.py"


def file_header():
    """116 bytes of text, no subsystem data, version 0x0100, written little-endian."""
    return HEADER_TEXT.ljust(116, b" ") + bytes(8) + struct.pack("<H", 0x0100) + b"IM"


def element(data_type, payload):
    """A data element; payloads of 1 to 4 bytes take the small (one-word tag) form."""
    if 0 < len(payload) <= 4:
        return struct.pack("<HH", data_type, len(payload)) + payload.ljust(4, b"\0")
    padding = -len(payload) % 8
    return struct.pack("<II", data_type, len(payload)) + payload + bytes(padding)


def values(data_type, code, items):
    return element(data_type, struct.pack("<%d%s" % (len(items), code), *items))


def matrix(array_class, dims, name, contents, flags=0):
    """An miMATRIX element: flags, dimensions, name, then the class's contents."""
    body = (values(MI_UINT32, "I", [array_class | flags, 0])
            + values(MI_INT32, "i", dims)
            + element(MI_INT8, name.encode("ascii"))
            + contents)
    return struct.pack("<II", MI_MATRIX, len(body)) + body


def compressed(element_bytes):
    """A compressed element: one zlib stream, not padded (as writers leave it)."""
    stream = zlib.compress(element_bytes, 9)
    return struct.pack("<II", MI_COMPRESSED, len(stream)) + stream


def text(string):
    return values(MI_UINT16, "H", [ord(c) for c in string])


def char_array(name, string):
    return matrix(MX_CHAR, [1, len(string)], name, text(string))


def double_array(name, dims, items):
    return matrix(MX_DOUBLE, dims, name, values(MI_DOUBLE, "d", items))


def struct_array(name, fields):
    """A 1x1 struct; `fields` is a list of (field name, element without name)."""
    width = 1 + max(len(field) for field, _ in fields)
    names = b"".join(field.encode("ascii").ljust(width, b"\0") for field, _ in fields)
    contents = values(MI_INT32, "i", [width]) + element(MI_INT8, names)
    return matrix(MX_STRUCT, [1, 1], name, contents + b"".join(value for _, value in fields))


def cell_array(name, dims, items):
    return matrix(MX_CELL, dims, name, b"".join(items))


def variables():
    """Every variable's top-level element, in file order."""
    return [
        compressed(double_array("matrix", [2, 3], [1.5, 4, -2, 5.25, 3, 6])),
        # A double array whose values all fit in uint8 is stored as uint8.
        compressed(matrix(MX_DOUBLE, [2, 3, 2], "cube", values(MI_UINT8, "B", range(1, 13)))),
        compressed(matrix(MX_INT16, [2, 1, 2, 2], "tesseract",
                          values(MI_INT16, "h", range(-4, 4)))),
        compressed(char_array("greeting", "Hello, world!")),
        matrix(MX_DOUBLE, [1, 1], "counter", values(MI_DOUBLE, "d", [42]), FLAG_GLOBAL),
        compressed(matrix(MX_UINT8, [1, 4], "mask", values(MI_UINT8, "B", [1, 0, 1, 1]),
                          FLAG_LOGICAL)),
        compressed(struct_array("settings", [("gain", double_array("", [1, 1], [0.5])),
                                             ("label", char_array("", "left"))])),
        compressed(cell_array("pieces", [1, 2], [double_array("", [1, 3], [1, 2, 3]),
                                                 char_array("", "ab")])),
    ]


def main():
    default = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample.mat")
    path = sys.argv[1] if len(sys.argv) > 1 else default
    with open(path, "wb") as out:
        out.write(file_header() + b"".join(variables()))


if __name__ == "__main__":
    main()
