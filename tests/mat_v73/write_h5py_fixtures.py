"""Writes version 7.3 MAT-files with h5py, laid out as MATLAB lays them out:
a 512-byte user block starting with the 128-byte MAT-file header, one root
link per variable, MATLAB_* attributes, and "#refs#" for what cells and
structs refer to. Also writes damaged files, each holding one variable that
the reader must refuse.

Usage: write_h5py_fixtures.py OUTPUT_DIRECTORY
"""
import os
import sys

import h5py
import numpy as np

HEADER_TEXT = b"MATLAB 7.3 MAT-file, Platform: GLNXA64, Created on: Tue Dec  8 10:00:00 2026 HDF5 schema 1.00 ."


class MatFile:
    def __init__(self, path):
        self.path = path
        self.file = h5py.File(path, "w", userblock_size=512, libver="earliest")
        self.refs = None
        self.ref_count = 0

    def close(self):
        self.file.close()
        header = HEADER_TEXT.ljust(116, b" ") + b"\0" * 8 + b"\x00\x02" + b"IM"
        with open(self.path, "r+b") as out:
            out.write(header)

    # Where cells and struct arrays keep their elements.
    def new_ref_name(self):
        if self.refs is None:
            self.refs = self.file.create_group("#refs#")
        self.ref_count += 1
        return "r%d" % self.ref_count


def set_class(obj, name, style="nullpad"):
    """MATLAB_class in one of the string forms writers use."""
    raw = name.encode()
    if style == "nullpad":
        obj.attrs["MATLAB_class"] = np.bytes_(raw)
    elif style == "nullpad_wide":
        obj.attrs.create("MATLAB_class", np.array(raw, dtype="S16"))
    elif style == "vlen":
        obj.attrs["MATLAB_class"] = name
    elif style == "nullterm":
        tid = h5py.h5t.C_S1.copy()
        tid.set_size(len(raw) + 4)
        tid.set_strpad(h5py.h5t.STR_NULLTERM)
        space = h5py.h5s.create(h5py.h5s.SCALAR)
        attr = h5py.h5a.create(obj.id, b"MATLAB_class", tid, space)
        attr.write(np.array(raw, dtype="S%d" % (len(raw) + 4)))
    else:
        raise ValueError(style)


def stored(values, dims):
    """MATLAB's column-major array of `dims` as HDF5 stores it: dims reversed."""
    return np.asarray(values).reshape(tuple(reversed(dims)))


def numeric(parent, name, values, dims, cls="double", dtype="<f8", style="nullpad", **options):
    ds = parent.create_dataset(name, data=stored(np.asarray(values, dtype=dtype), dims), **options)
    set_class(ds, cls, style)
    return ds


def global_flag(obj):
    obj.attrs["MATLAB_global"] = np.uint8(1)


def char(parent, name, text):
    codes = np.frombuffer(text.encode("utf-16-le"), dtype="<u2")
    ds = parent.create_dataset(name, data=stored(codes, [1, len(codes)]))
    set_class(ds, "char")
    ds.attrs["MATLAB_int_decode"] = np.int32(2)
    return ds


def logical(parent, name, values, dims):
    ds = parent.create_dataset(name, data=stored(np.asarray(values, dtype="u1"), dims))
    set_class(ds, "logical")
    ds.attrs["MATLAB_int_decode"] = np.int32(1)
    return ds


def complex_double(parent, name, real, imag, dims):
    data = np.zeros(len(real), dtype=[("real", "<f8"), ("imag", "<f8")])
    data["real"] = real
    data["imag"] = imag
    ds = parent.create_dataset(name, data=stored(data, dims))
    set_class(ds, "double")
    return ds


def empty(parent, name, cls, dims):
    ds = parent.create_dataset(name, data=np.array(dims, dtype="<u8"))
    set_class(ds, cls)
    ds.attrs["MATLAB_empty"] = np.uint8(1)
    return ds


def sparse(parent, name, rows, columns, entries, cls="double", complex_values=False):
    """entries: (row, column, value) with 0-based rows and columns."""
    entries = sorted(entries, key=lambda e: (e[1], e[0]))
    group = parent.create_group(name)
    set_class(group, cls)
    group.attrs["MATLAB_sparse"] = np.uint64(rows)
    jc = np.zeros(columns + 1, dtype="<u8")
    for _, column, _ in entries:
        jc[column + 1:] += 1
    group.create_dataset("jc", data=jc)
    if entries:
        group.create_dataset("ir", data=np.array([e[0] for e in entries], dtype="<u8"))
        if complex_values:
            data = np.zeros(len(entries), dtype=[("real", "<f8"), ("imag", "<f8")])
            data["real"] = [e[2].real for e in entries]
            data["imag"] = [e[2].imag for e in entries]
        else:
            data = np.array([e[2] for e in entries], dtype="u1" if cls == "logical" else "<f8")
        group.create_dataset("data", data=data)
    return group


def cell(mat, parent, name, dims, writers):
    """writers: one function (group, name) per element, column-major."""
    refs = []
    for write in writers:
        ref_name = mat.new_ref_name()
        refs.append(write(mat.refs, ref_name).ref)
    ds = parent.create_dataset(name, data=stored(np.array(refs, dtype=h5py.ref_dtype), dims),
                               dtype=h5py.ref_dtype)
    set_class(ds, "cell")
    return ds


def field_names(group, names):
    """MATLAB_fields: each name as a variable-length sequence of characters."""
    listed = np.empty(len(names), dtype=object)
    for i, name in enumerate(names):
        listed[i] = np.frombuffer(name.encode(), dtype="S1")
    if "MATLAB_fields" in group.attrs:
        del group.attrs["MATLAB_fields"]
    group.attrs.create("MATLAB_fields", listed, dtype=h5py.vlen_dtype(np.dtype("S1")))


def struct(parent, name, fields, cls="struct"):
    """fields: (name, writer) pairs of a 1x1 struct."""
    group = parent.create_group(name)
    set_class(group, cls)
    field_names(group, [f for f, _ in fields])
    for field, write in fields:
        write(group, field)
    return group


def struct_array(mat, parent, name, dims, fields):
    """fields: (name, [writer per element]) pairs."""
    group = parent.create_group(name)
    set_class(group, "struct")
    field_names(group, [f for f, _ in fields])
    for field, writers in fields:
        refs = []
        for write in writers:
            ref_name = mat.new_ref_name()
            refs.append(write(mat.refs, ref_name).ref)
        group.create_dataset(field, data=stored(np.array(refs, dtype=h5py.ref_dtype), dims),
                             dtype=h5py.ref_dtype)
    return group


def scalar(value):
    return lambda parent, name: numeric(parent, name, [value], [1, 1])


def text(value):
    return lambda parent, name: char(parent, name, value)


def write_well_formed(directory):
    def new(name):
        return MatFile(os.path.join(directory, name + ".mat"))

    m = new("h5py_basic")
    numeric(m.file, "a", range(6), [2, 3])
    numeric(m.file, "b", range(4), [4, 1])
    m.close()

    m = new("h5py_class_strings")
    numeric(m.file, "nul_padded", [1, 2], [1, 2], style="nullpad")
    numeric(m.file, "nul_padded_wide", [1, 2, 3], [3, 1], style="nullpad_wide")
    numeric(m.file, "nul_terminated", range(8), [2, 2, 2], style="nullterm")
    numeric(m.file, "variable_length", [5], [1, 1], style="vlen")
    m.close()

    m = new("h5py_globals")
    global_flag(numeric(m.file, "g_scalar", [1], [1, 1]))
    numeric(m.file, "local", [1, 2], [1, 2])
    global_flag(char(m.file, "g_text", "global"))
    global_flag(numeric(m.file, "g_cube", range(24), [2, 3, 4], cls="int32", dtype="<i4"))
    m.close()

    m = new("h5py_empty")
    empty(m.file, "e00", "double", [0, 0])
    empty(m.file, "e03", "double", [0, 3])
    empty(m.file, "e_cell", "cell", [1, 0])
    empty(m.file, "e_char", "char", [0, 0])
    empty(m.file, "e_cube", "single", [0, 3, 4])
    empty(m.file, "e_struct", "struct", [0, 0])
    m.close()

    m = new("h5py_dimensions")
    numeric(m.file, "d3", range(24), [2, 3, 4])
    numeric(m.file, "d4", range(120), [2, 3, 4, 5], cls="int16", dtype="<i2")
    numeric(m.file, "d5", range(12), [2, 1, 3, 1, 2], cls="single", dtype="<f4")
    numeric(m.file, "trailing_one", range(6), [2, 3, 1])
    numeric(m.file, "trailing_ones", range(24), [2, 3, 4, 1, 1], cls="uint8", dtype="u1")
    m.close()

    m = new("h5py_kinds")
    char(m.file, "ch", "hello")
    complex_double(m.file, "cz", [1, 2, 3, 4, 5, 6], [-1, -2, -3, -4, -5, -6], [3, 2])
    numeric(m.file, "i8", [-1, 0, 1], [1, 3], cls="int8", dtype="i1")
    logical(m.file, "lg", [1, 0, 0, 1], [2, 2])
    sparse(m.file, "sp", 4, 5, [(0, 0, 1.5), (3, 0, 2.5), (2, 3, -1.0)])
    sparse(m.file, "sp_complex", 2, 2, [(1, 1, 1 + 2j)], complex_values=True)
    sparse(m.file, "sp_empty", 3, 2, [])
    sparse(m.file, "sp_logical", 3, 3, [(0, 0, 1), (2, 2, 1)], cls="logical")
    numeric(m.file, "u64", [2**64 - 1], [1, 1], cls="uint64", dtype="<u8")
    numeric(m.file, "widened", [1, 2, 250], [1, 3], dtype="u1")  # double stored as uint8
    m.close()

    m = new("h5py_containers")
    cell(m, m.file, "c", [2, 2], [scalar(1), text("ab"), scalar(3),
                                  lambda p, n: empty(p, n, "double", [0, 0])])
    cell(m, m.file, "nested", [1, 1], [lambda p, n: struct(p, n, [
        ("inner", lambda q, k: cell(m, q, k, [1, 2], [scalar(7), scalar(8)]))])])
    struct(m.file, "s", [("x", scalar(1)), ("y", text("why"))])
    struct_array(m, m.file, "sa", [1, 3], [("p", [scalar(1), scalar(2), scalar(3)]),
                                          ("q", [text("a"), text("b"), text("c")])])
    m.close()

    m = new("h5py_objects")
    handle = m.file.create_group("fh")
    set_class(handle, "function_handle")
    struct(m.file, "old_style", [("value", scalar(4))], cls="polynom")
    opaque = m.file.create_dataset("opaque", data=np.array([[0xDD000000, 2, 1, 1, 1, 1]], dtype="<u4"))
    set_class(opaque, "string")
    opaque.attrs["MATLAB_object_decode"] = np.int32(3)
    subsystem = m.file.create_group("#subsystem#")
    subsystem.create_dataset("MCOS", data=np.zeros(4, dtype="u1"))
    numeric(m.file, "plain", [1], [1, 1])
    m.close()

    m = new("h5py_zero_variables")
    m.new_ref_name()  # "#refs#" alone is not a variable
    m.close()

    # Chunked datasets with chunks cut by the array's edges, compressed
    # (deflate alone) or not; "columns" has matio's chunks across the columns.
    m = new("h5py_chunked")
    numeric(m.file, "columns", range(6000), [300, 20], chunks=(16, 1), compression="gzip")
    numeric(m.file, "cube", range(105), [7, 5, 3], chunks=(2, 2, 3), compression="gzip")
    numeric(m.file, "plain_chunks", range(90), [9, 10], chunks=(4, 4))
    numeric(m.file, "shorts", range(1000), [10, 100], cls="int16", dtype="<i2", chunks=(7, 3),
            compression="gzip", compression_opts=9)
    complex_part = np.arange(40, dtype="<f8")
    ds = m.file.create_dataset("complex_chunks", data=stored(
        np.array(list(zip(complex_part, -complex_part)), dtype=[("real", "<f8"), ("imag", "<f8")]),
        [8, 5]), chunks=(2, 3), compression="gzip")
    set_class(ds, "double")
    # Over a megabyte each: the process that reads for kestrum reads these
    # chunks from the file itself.
    numeric(m.file, "large", range(300000), [600, 500], chunks=(64, 37), compression="gzip")
    numeric(m.file, "large_plain", range(300000), [600, 500], chunks=(100, 100))
    m.close()

    m = new("h5py_compressed")
    numeric(m.file, "z", np.arange(20000) % 97, [100, 200], chunks=(50, 50), compression="gzip",
            shuffle=True)
    m.close()


# Damaged files: one variable each, refused in the header pass or in the
# contents pass (the name says which).
def write_damaged(directory):
    def new(name):
        return MatFile(os.path.join(directory, name + ".mat"))

    def header(name, write):
        m = new("header_" + name)
        write(m, m.file)
        m.close()

    def contents(name, write):
        m = new("contents_" + name)
        write(m, m.file)
        m.close()

    def class_attribute(value):
        def write(m, f):
            ds = f.create_dataset("v", data=[[1.0]])
            ds.attrs["MATLAB_class"] = value
        return write

    header("class_integer", class_attribute(np.int32(6)))
    header("class_two_strings", class_attribute(np.array([b"double", b"single"])))
    header("class_float", class_attribute(np.float64(1.5)))

    def attribute(name, value, cls="double"):
        def write(m, f):
            ds = numeric(f, "v", [1], [1, 1], cls=cls)
            ds.attrs[name] = value
        return write

    header("global_string", attribute("MATLAB_global", np.bytes_(b"yes")))
    header("global_negative", attribute("MATLAB_global", np.int32(-1)))
    header("global_two_values", attribute("MATLAB_global", np.array([1, 1], dtype="u1")))
    header("empty_float", attribute("MATLAB_empty", np.float64(1)))
    header("empty_nonzero_dims", lambda m, f: empty(f, "v", "double", [3, 4]))
    header("empty_text_dims", lambda m, f: (lambda ds: ds.attrs.__setitem__("MATLAB_empty", np.uint8(1)))(
        f.create_dataset("v", data=np.array([b"0", b"0"]))))

    def fields_wrong_type(m, f):
        group = struct(f, "v", [("x", scalar(1))])
        del group.attrs["MATLAB_fields"]
        group.attrs["MATLAB_fields"] = np.array([1, 2], dtype="i4")

    header("fields_wrong_type", fields_wrong_type)
    header("cell_of_numbers", lambda m, f: numeric(f, "v", [1, 2], [1, 2], cls="cell"))
    header("struct_dataset", lambda m, f: numeric(f, "v", [1, 2], [1, 2], cls="struct"))
    header("complex_wrong_members", lambda m, f: set_class(f.create_dataset(
        "v", data=np.zeros(2, dtype=[("re", "<f8"), ("im", "<f8")])), "double"))
    header("text_data", lambda m, f: set_class(f.create_dataset("v", data=np.array([b"ab"])), "double"))
    header("sparse_without_jc", lambda m, f: (lambda g: g.create_dataset("data", data=[1.0]))(
        sparse(f, "v", 2, 2, []).__delitem__("jc") or f["v"]))
    header("sparse_of_int8", lambda m, f: sparse(f, "v", 2, 2, [(0, 0, 1.0)], cls="int8"))

    def sparse_with(change):
        def write(m, f):
            group = sparse(f, "v", 3, 3, [(0, 0, 1.0), (2, 0, 2.0), (1, 2, 3.0)])
            change(group)
        return write

    def replace(name, values, dtype="<u8"):
        def change(group):
            del group[name]
            group.create_dataset(name, data=np.array(values, dtype=dtype))
        return change

    contents("sparse_more_values_than_rows", sparse_with(replace("data", [1.0, 2.0, 3.0, 4.0], "<f8")))
    contents("sparse_jc_end_wrong", sparse_with(replace("jc", [0, 2, 2, 4])))
    contents("sparse_jc_falling", sparse_with(replace("jc", [0, 2, 1, 3])))
    contents("sparse_row_out_of_range", sparse_with(replace("ir", [0, 3, 1])))
    contents("sparse_rows_unsorted", sparse_with(replace("ir", [2, 0, 1])))
    contents("sparse_float_indices", sparse_with(replace("ir", [0, 2, 1], "<f8")))

    def struct_array_dims_differ(m, f):
        struct_array(m, f, "v", [1, 2], [("p", [scalar(1), scalar(2)])])
        refs = np.array([m.file["#refs#/r1"].ref], dtype=h5py.ref_dtype)
        f["v"].create_dataset("q", data=refs.reshape(1, 1), dtype=h5py.ref_dtype)
        field_names(f["v"], ["p", "q"])

    contents("struct_array_dims_differ", struct_array_dims_differ)
    contents("struct_field_missing", lambda m, f: field_names(struct(f, "v", [("x", scalar(1))]), ["x", "gone"]))
    contents("struct_field_is_path", lambda m, f: field_names(
        struct(f, "v", [("x", scalar(1))]), ["x", "../#refs#"]))

    def cell_loop(m, f):
        name = m.new_ref_name()
        inner = m.refs.create_dataset(name, (1, 1), dtype=h5py.ref_dtype)
        set_class(inner, "cell")
        inner[0, 0] = inner.ref
        ds = f.create_dataset("v", data=np.array([[inner.ref]], dtype=h5py.ref_dtype), dtype=h5py.ref_dtype)
        set_class(ds, "cell")

    contents("cell_loop", cell_loop)

    def cell_fan_out(m, f):
        # 40 levels of two references to the same cell: 2**40 arrays if followed.
        previous = scalar(1)(m.refs if m.refs is not None else m.file.create_group("#refs#"), "leaf")
        m.refs = m.file["#refs#"]
        for level in range(40):
            ds = m.refs.create_dataset("level%d" % level, data=np.array([[previous.ref, previous.ref]],
                                                                         dtype=h5py.ref_dtype).reshape(2, 1),
                                       dtype=h5py.ref_dtype)
            set_class(ds, "cell")
            previous = ds
        top = f.create_dataset("v", data=np.array([[previous.ref]], dtype=h5py.ref_dtype), dtype=h5py.ref_dtype)
        set_class(top, "cell")

    contents("cell_fan_out", cell_fan_out)

    def corrupt_chunk_later(path):
        with h5py.File(path, "r") as f:
            info = f["v"].id.get_chunk_info(1)
        with open(path, "r+b") as out:
            out.seek(512 + info.byte_offset + 8)  # offsets count from the user block end
            out.write(b"\xff" * 16)

    contents("compressed_chunk_damaged", lambda m, f: numeric(
        f, "v", np.arange(10000) % 13, [100, 100], chunks=(50, 50), compression="gzip"))
    corrupt_chunk_later(os.path.join(directory, "contents_compressed_chunk_damaged.mat"))
    contents("large_chunk_damaged", lambda m, f: numeric(
        f, "v", np.arange(300000) % 13, [600, 500], chunks=(64, 37), compression="gzip"))
    corrupt_chunk_later(os.path.join(directory, "contents_large_chunk_damaged.mat"))


def main():
    directory = sys.argv[1]
    damaged = os.path.join(directory, "damaged")
    os.makedirs(damaged, exist_ok=True)
    write_well_formed(directory)
    write_damaged(damaged)


if __name__ == "__main__":
    main()
